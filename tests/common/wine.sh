# Sourced by the scripts that check Vellum against real Wine.
#
# wine_reg ARGS...: `wine reg ARGS...`, its output and errors passed on, its exit status returned.
# On a busy machine Wine's launcher now and then fails to start reg.exe at all and falls back to
# start.exe ("ShellExecuteEx failed: Internal error."); that is no answer from the registry, so
# such a run is repeated. Output goes through files, never pipes: the services Wine starts inherit
# them and may outlive the command.
wine_reg() {
  local out err status try
  out=$(mktemp) err=$(mktemp)
  for try in 1 2 3; do
    status=0
    wine reg "$@" > "$out" 2> "$err" || status=$?
    grep -q 'ShellExecuteEx failed' "$out" "$err" || break
    sleep 2
  done
  cat "$out"
  cat "$err" >&2
  rm -f "$out" "$err"
  return "$status"
}

# end_prefix PREFIX: ends the prefix's wineserver and deletes the private folder Debian's
# wineserver keeps in /tmp under the name the prefix's "wineserver" file gives.
end_prefix() {
  local name
  WINEPREFIX=$1 wineserver -k 2>/dev/null || true
  WINEPREFIX=$1 wineserver -w 2>/dev/null || true
  name=$(cat "$1/wineserver" 2>/dev/null || true)
  if [[ $name =~ ^wine-[A-Za-z0-9]{6}$ ]]; then rm -rf "/tmp/$name"; fi
}

# remove_prefix PREFIX: the prefix ended and deleted. A passed test leaves no prefix behind: each
# is half a gigabyte or more.
remove_prefix() {
  end_prefix "$1"
  rm -rf "$1"
}
