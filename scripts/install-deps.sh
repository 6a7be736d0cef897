#!/usr/bin/env bash
# Installs with apt whatever a fresh Debian 12 machine lacks to build, test, benchmark, fuzz and
# package Vellum (the desktop's validators and dpkg-dev, whose dpkg-shlibdeps finds the package's
# dependencies). Quick and silent when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  zlib1g-dev libpng-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
  clang libclang-rt-14-dev
  python3 python3-pefile icoutils hyperfine binutils-mingw-w64-x86-64 zip unzip
  gcc-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64
  qt6-base-dev libgl1-mesa-dev xvfb xauth
  desktop-file-utils appstream shared-mime-info xdg-utils libglib2.0-bin dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  sudo=(sudo -n)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq </dev/null
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
