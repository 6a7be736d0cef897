#!/usr/bin/env bash
# The installed launcher started as the desktop starts it on a double-clicked file: its Exec line
# with %f replaced by the file's absolute path, on an X server (Xvfb). The window must come up
# showing that file, with the program's icon and the window class the launcher's StartupWMClass
# matches it by.
# usage: launch_check.sh BUILD_DIR WORK_DIR APP_ID DATA_DIR
set -euo pipefail
build=$1 work=$2 id=$3 data=$4

for tool in xvfb-run xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work/home" "$work/config" "$work/data" "$work/My Files"
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
file="$work/My Files/icons library.icl"
cp "$data/icons.icl" "$file"

# The desktop splits Exec at spaces (it holds no quotes) and puts the path in place of %f.
exec_line=$(sed -n 's/^Exec=//p' "$work/prefix/share/applications/$id.desktop")
command=()
for word in $exec_line; do
  [[ $word == %f ]] && command+=("$file") || command+=("$word")
done

# Runs on the X server: starts the program, waits for its window, prints the window's properties.
cat >"$work/on-display.sh" <<'SH'
#!/usr/bin/env bash
title=$1; shift
"$@" >"$WORK/vellum.log" 2>&1 &
pid=$!
for _ in $(seq 150); do
  window=$(xwininfo -root -tree | grep -F "\"$title\"" | awk '{print $1}' | head -n 1)
  [[ -n $window ]] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if [[ -n ${window:-} ]]; then
  xprop -id "$window" WM_CLASS _GTK_APPLICATION_ID
  xprop -id "$window" _NET_WM_ICON | head -n 2
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
SH
chmod +x "$work/on-display.sh"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$work/prefix/bin:$PATH" HOME="$work/home" \
  XDG_CONFIG_HOME="$work/config" VELLUM_DATA_DIR="$work/data" WORK="$work" \
  xvfb-run -a "$work/on-display.sh" "icons library.icl - Vellum" "${command[@]}" >"$work/props" ||
  true
[[ -s $work/props ]] || { cat "$work/vellum.log"; fail "no window showing the file came up"; }
cat "$work/props"
class=$(sed -n 's/^StartupWMClass=//p' "$work/prefix/share/applications/$id.desktop")
grep -qx "WM_CLASS(STRING) = \"vellum\", \"$class\"" "$work/props" ||
  fail "the window's class is not the launcher's StartupWMClass ($class)"
grep -q "^_NET_WM_ICON(CARDINAL) = " "$work/props" || fail "the window has no icon"
# Qt names the desktop file on X11 only in some versions; when it does, it must be the launcher.
if grep -q "^_GTK_APPLICATION_ID(" "$work/props"; then
  grep -q "^_GTK_APPLICATION_ID(UTF8_STRING) = \"$id\"$" "$work/props" ||
    fail "the window names another desktop file"
fi
echo "the launcher opened the file in the window"
rm -rf "$work"
