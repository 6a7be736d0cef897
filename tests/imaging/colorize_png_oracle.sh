#!/bin/sh
# Independent check of colorized PNG files: the writer program makes them, a stdlib-only Python
# decoder reads them back. Exit 77 (skipped) when no Python 3 is installed.
writer="$1"
out="$2"
python=$(command -v python3 || command -v /usr/bin/python3) || exit 77
mkdir -p "$out" || exit 1
"$writer" "$out/" || exit 1
exec "$python" "$(dirname "$0")/colorize_png_check.py" "$out/"
