# Sourced by the Wine oracle scripts.
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
