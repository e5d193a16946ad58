#!/usr/bin/env bash
# Class sets and the explorer on every core: whole-process figures of
# morilux-cli with 2 threads against 1, and the peak memory of a class set
# against its number of pictures.
#
#   bench/classset.sh [RUNS]      (default 7 runs of every command; at least 5)
#
# Builds Release in MORILUX_BUILD_DIR (default build/), generates the bench
# pictures (bench/MakePictures.cpp: the 12-megapixel photograph), then times
# every command RUNS times, the commands of one figure alternating, and prints
# the figures as ratios of medians with the medians behind them:
#   1. --batch PHOTOS --report (every picture's report) with --jobs 2 against
#      --jobs 1, PHOTOS being MORILUX_PHOTOS (default ../shared/photos)   (<= 0.6)
#   2. --explore (the preset grid, 204 cells) on the 12 MP photograph with
#      --jobs 2 against --jobs 1                                           (<= 0.6)
#   3. peak resident memory of --batch --jobs 2 on all of PHOTOS against the
#      same on its first 30 pictures: the pictures in progress make the peak,
#      not their number                                                    (<= 1.25)
# Two threads need two cores that are free: the machine's load average is
# printed with the figures; figures taken under a load above 1 say little.
# The exit status is 0 when every figure is within its target.
set -euo pipefail

runs=${1:-7}
if ! [[ $runs =~ ^[0-9]+$ ]] || [ "$runs" -lt 5 ]; then
  echo "usage: bench/classset.sh [RUNS]   (RUNS >= 5)" >&2
  exit 2
fi
cd "$(dirname "$(realpath "$0")")/.."
build=$(realpath -m -- "${MORILUX_BUILD_DIR:-build}")
photos=$(realpath -m -- "${MORILUX_PHOTOS:-../shared/photos}")
. scripts/lib.sh
[ -d "$photos" ] || { echo "bench/classset.sh: no photographs in $photos (set MORILUX_PHOTOS)" >&2; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "bench/classset.sh: /usr/bin/time is needed (package time)" >&2; exit 2; }

morilux_configure "$build" Release -DMORILUX_FRONTENDS=ON -DMORILUX_BENCH=ON >/dev/null
cmake --build "$build" --target morilux-cli morilux-make-pictures -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/morilux-make-pictures" "$work" >/dev/null
photo=$work/photo-12mp.jpg
cli=$build/cli/morilux-cli
# The first 30 pictures of PHOTOS, as links.
mkdir "$work/thirty"
find "$photos" -maxdepth 1 -type f \( -iname '*.bmp' -o -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \) | sort | head -30 |
  while read -r picture; do ln -s "$picture" "$work/thirty/"; done
all=$(find "$photos" -maxdepth 1 -type f \( -iname '*.bmp' -o -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \) | wc -l)

. bench/timing.sh
figure_width=46
load_before=$(cut -d' ' -f1 /proc/loadavg)

# Every run writes over the files of the one before, as a teacher's runs would.
alternate batch2="$cli --batch '$photos' --report '$work/out2/index.html' --jobs 2" \
  batch1="$cli --batch '$photos' --report '$work/out1/index.html' --jobs 1"
alternate explore2="$cli --explore --jobs 2 '$photo'" explore1="$cli --explore --jobs 1 '$photo'"

peakAll=$(peak "$cli" --batch "$photos" --report "$work/peak-all/index.html" --jobs 2)
peakThirty=$(peak "$cli" --batch "$work/thirty" --report "$work/peak-thirty/index.html" --jobs 2)
load_after=$(cut -d' ' -f1 /proc/loadavg)

status=0
echo "Class sets and the explorer on 2 threads against 1, $runs alternated runs each, medians"
echo "($(nproc) cores; load average $load_before before, $load_after after)"
figure "1. --batch, $all photographs with reports" batch2 batch1 0.6
figure "2. --explore, preset grid, 12 MP photograph" explore2 explore1 0.6
awk -v all="$peakAll" -v thirty="$peakThirty" -v n="$all" 'BEGIN {
  ratio = all / thirty
  printf "%-46s %5.2f  (target <= 1.25) %s  peak RSS %.1f MB / %.1f MB\n", "3. peak memory, " n " pictures / 30 pictures", ratio,
         ratio <= 1.25 ? "ok  " : "MISS", all / 1024, thirty / 1024
  exit ratio <= 1.25 ? 0 : 1 }' || status=1
exit $status
