#!/usr/bin/env bash
# The window's inspector on a 4000 x 3000 photograph:
#
#   bench/window.sh [BASELINE_WINDOW]
#
# Builds Release in MORILUX_BUILD_DIR (default build/), generates the pictures
# of bench/compare.sh, runs build/bench/morilux-bench-window on the photograph
# (repainting a pane after a change of view at every zoom from 1/16 to 32 and
# the stretched view, median and worst per zoom, target 16 ms; the readout under
# the cursor, target 1 ms), then measures the peak resident memory of the window
# loading and analysing the photograph (`morilux-window-batch --analyse-and-quit`,
# the window program's own code with the timing run, the largest of 5 runs).
# Given that program of an earlier build (BASELINE_WINDOW; before it existed,
# the window program `morilux` itself took --analyse-and-quit), it measures that
# one alike and prints the ratio (target <= 1.3). The exit status is 0 when
# every figure is within its target.
set -euo pipefail

baseline=${1:+$(realpath -- "$1")}
cd "$(dirname "$(realpath "$0")")/.."
build=$(realpath -m -- "${MORILUX_BUILD_DIR:-build}")
. scripts/lib.sh

scripts/install-deps.sh
morilux_configure "$build" Release -DMORILUX_FRONTENDS=ON -DMORILUX_BENCH=ON >/dev/null
cmake --build "$build" --target morilux-window-batch morilux-bench-window morilux-make-pictures -j2 >/dev/null
command -v /usr/bin/time >/dev/null || { echo "window.sh: /usr/bin/time is missing (Debian package time)" >&2; exit 2; }

pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
"$build/bench/morilux-make-pictures" "$pictures" >/dev/null
photo=$pictures/photo-12mp.jpg
export QT_QPA_PLATFORM=offscreen

status=0
"$build/bench/morilux-bench-window" --picture "$photo" 2>/dev/null || status=1

# peak PROGRAM: the largest resident set of 5 runs, in kilobytes.
peak() {
  local most=0 kb
  for _ in 1 2 3 4 5; do
    kb=$(/usr/bin/time -f '%M' "$1" --analyse-and-quit "$photo" 2>&1 >/dev/null | tail -1)
    [ "$kb" -gt "$most" ] && most=$kb
  done
  echo "$most"
}

echo
window=$(peak "$build/app/morilux-window-batch")
awk -v kb="$window" 'BEGIN { printf "Window peak memory on the photograph: %.1f MB (%.2f bytes per pixel)\n", kb / 1024, kb * 1024 / (4000 * 3000) }'
if [ -n "$baseline" ]; then
  earlier=$(peak "$baseline")
  awk -v a="$window" -v b="$earlier" -v name="$baseline" 'BEGIN {
    ratio = a / b
    printf "Against %s: %.1f MB, ratio %.2f (target <= 1.3) %s\n", name, b / 1024, ratio, ratio <= 1.3 ? "ok" : "MISS"
    exit ratio <= 1.3 ? 0 : 1 }' || status=1
fi
exit $status
