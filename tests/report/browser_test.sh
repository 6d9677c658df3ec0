#!/usr/bin/env bash
# Opens the HTML reports of two runs in headless Chromium (browser_check.py):
# siouxfalls with its true table as the reference, and a generated network of
# 300 zones. Fails on any console error, missing section or chart without its
# marks (the GEH chart's points, the legends, the reference's trip ends among
# them), a verdict not on the first screen, or a zone table that does not
# print whole; leaves the pages and their screenshots in OUT_DIR. A control page
# with a console error and a missing image must be caught as failing.
#
#   browser_test.sh VELDMARK VELDMARK_GENERATE OUT_DIR
#
# Without chromium it exits 77 (skipped), unless VELDMARK_REQUIRE_BROWSER=1.
set -euo pipefail
veldmark=$(realpath "$1")
generate=$(realpath "$2")
out=$3
here=$(cd "$(dirname "$0")" && pwd)
data=$(cd "$here/../data/tntp-siouxfalls" && pwd)

if ! command -v chromium >/dev/null; then
  echo "chromium is not installed"
  [ "${VELDMARK_REQUIRE_BROWSER:-0}" = 1 ] && exit 1
  exit 77
fi
rm -rf "$out" && mkdir -p "$out/siouxfalls" "$out/grid300"

# run DIR ARGS...: the estimator in DIR; prints its outer iterations.
run() {
  local dir=$1
  shift
  (cd "$dir" && "$veldmark" --report report.html "$@" trips.txt >console.txt 2>errors.txt) ||
    { cat "$dir/errors.txt" >&2; exit 1; }
  grep -c '^   Iteration: ' "$dir/console.txt"
}

links() { echo $(($(wc -l <"$1") - 8)); }  # link lines after 7 metadata lines and a header

iterations=$(run "$out/siouxfalls" --reference "$data/SiouxFalls_trips.tntp" \
  "$data/veldmark/base.txt" "$data/veldmark/abstract.txt" "$data/veldmark/flows.txt")
python3 "$here/browser_check.py" "$out/siouxfalls/report.html" "$out/siouxfalls.png" \
  --links "$(links "$data/veldmark/abstract.txt")" --iterations "$iterations" \
  --sections verdict,run,convergence,fit,trip-ends,table,comparison --reference-zones 24 \
  --verdict-first

"$generate" "$out/grid300" 300 3 >/dev/null
iterations=$(run "$out/grid300" base.txt abstract.txt flows.txt)
python3 "$here/browser_check.py" "$out/grid300/report.html" "$out/grid300.png" \
  --links "$(links "$out/grid300/abstract.txt")" --iterations "$iterations" \
  --sections verdict,run,convergence,fit,trip-ends,table --verdict-first

printf '<!DOCTYPE html><p>control</p><img src="absent.png"><script>console.error("x")</script>' \
  >"$out/control.html"
python3 "$here/browser_check.py" "$out/control.html" "$out/control.png" --expect-errors >/dev/null ||
  { echo "FAIL: the control page's errors were not caught"; exit 1; }
echo "browser check: 2 passed, 0 failed"
