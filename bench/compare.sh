#!/usr/bin/env bash
# Speed and memory of a large photograph, side by side with reference programs.
#
#   bench/compare.sh [RUNS]      (default 7 runs of every command; at least 5)
#
# Generates the test pictures (bench/MakePictures.cpp: a 4000 x 3000 JPEG
# photograph of a printed symbol on a textured, unevenly lit background, and
# smaller pictures), builds Release in MORILUX_BUILD_DIR (default build/),
# installs the reference programs when missing (ZXingReader from
# zxing-cpp-tools, djpeg from libjpeg-turbo-progs), then times every command
# RUNS times, the commands of one figure alternating, and prints five figures
# as ratios of medians with the medians behind them:
#   1. morilux-cli PHOTO against ZXingReader and against djpeg    (<= 0.7, <= 3)
#   2. peak resident memory of morilux-cli PHOTO, bytes per pixel (<= 16)
#   3. 2000 x 2000 crossed stripes against a 2000 x 2000 photo    (<= 3)
#   4. version 40 at 4 pixels per module (forced) against version 10 (<= 2)
#   5. the window loading and analysing PHOTO, every pane brought up to date and
#      the window painted (morilux-window-batch --analyse-and-quit, the window
#      program's own code with a timing run), against morilux-cli PHOTO (<= 1.5)
#   6. morilux-cli --out DIR PHOTO: wall time in seconds (<= 1.5) and the size
#      of DIR on disk in MB (<= 30), beside the plain decode
#   7. morilux-cli --explore (the preset grid, 204 cells) against one whole run
#      of morilux-cli, on the 2000 x 2000 photo and on the largest photograph
#      of MORILUX_PHOTOS (default ../shared/photos) when it is there (<= 30);
#      on PHOTO for information
# The exit status is 0 when every figure is within its target.
set -euo pipefail

runs=${1:-7}
if ! [[ $runs =~ ^[0-9]+$ ]] || [ "$runs" -lt 5 ]; then
  echo "usage: bench/compare.sh [RUNS]   (RUNS >= 5)" >&2
  exit 2
fi
cd "$(dirname "$(realpath "$0")")/.."
build=$(realpath -m -- "${MORILUX_BUILD_DIR:-build}")
. scripts/lib.sh

# ---- Packages: the project's own, then the reference programs (same way as install-deps.sh) ----
scripts/install-deps.sh
references=(zxing-cpp-tools libjpeg-turbo-progs time)
missing=()
for package in "${references[@]}"; do
  dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null | grep -q '^ii' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# ---- Build (Release) ----
morilux_configure "$build" Release -DMORILUX_FRONTENDS=ON -DMORILUX_BENCH=ON >/dev/null
cmake --build "$build" --target morilux-cli morilux-window-batch morilux-make-pictures -j2 >/dev/null

# ---- Pictures ----
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
"$build/bench/morilux-make-pictures" "$pictures" >/dev/null
photo=$pictures/photo-12mp.jpg
cli=$build/cli/morilux-cli
window=$build/app/morilux-window-batch
export QT_QPA_PLATFORM=offscreen

# ---- Timing ----
. bench/timing.sh
# The window times itself from the load command on (its start-up excluded).
self_timed[window]=1

alternate cli="$cli $photo" zxing="ZXingReader -format QRCode $photo" djpeg="djpeg -dct int -outfile /dev/null $photo" \
  window="$window --analyse-and-quit $photo"
alternate stripes="$cli $pictures/stripes-2k.jpg" photo2k="$cli $pictures/photo-2k.jpg"
alternate v40="$cli --force-version 40 $pictures/v40.jpg" v10="$cli $pictures/v10.jpg"

# Every run writes over the files of the one before, as a user's runs would.
alternate out="$cli --out $pictures/out $photo"
alternate explore2k="$cli --explore $pictures/photo-2k.jpg" one2k="$cli $pictures/photo-2k.jpg"
alternate explore12="$cli --explore $photo" one12="$cli $photo"
photos=${MORILUX_PHOTOS:-../shared/photos}
largest=
if [ -d "$photos" ]; then
  largest=$(find "$photos" -maxdepth 1 -type f \( -iname '*.bmp' -o -iname '*.jpg' -o -iname '*.jpeg' \) -printf '%s %p\n' |
    sort -n | tail -1 | cut -d' ' -f2-)
fi
[ -n "$largest" ] && alternate exploreLargest="$cli --explore '$largest'" oneLargest="$cli '$largest'"

peakKb=$(peak "$cli" "$photo")

# ---- Report ----
status=0
echo "Morilux against reference programs, $runs alternated runs each, medians ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
figure "1a. morilux-cli photo / ZXingReader" cli zxing 0.7
figure "1b. morilux-cli photo / djpeg" cli djpeg 3
awk -v kb="$peakKb" 'BEGIN {
  perPixel = kb * 1024 / (4000 * 3000)
  printf "%-42s %5.2f  (target <= %-4s) %s  peak RSS %.1f MB for 12 megapixels\n", "2.  peak memory, bytes per pixel", perPixel, 16,
         perPixel <= 16 ? "ok  " : "MISS", kb / 1024
  exit perPixel <= 16 ? 0 : 1 }' || status=1
figure "3.  stripes 2000x2000 / photo 2000x2000" stripes photo2k 3
figure "4.  version 40 (forced) / version 10" v40 v10 2
figure "5.  window analysis, panes shown / cli" window cli 1.5
awk -v out="$(median out)" -v plain="$(median cli)" -v kb="$(du -sk "$pictures/out" | cut -f1)" 'BEGIN {
  mb = kb / 1024
  ok = out <= 1.5 && mb <= 30
  printf "%-42s %5.2f s, %.1f MB (target <= 1.5 s, <= 30 MB) %s  plain decode %.1f ms\n", "6.  morilux-cli --out, 12 MP photo", out, mb,
         ok ? "ok  " : "MISS", plain * 1000
  exit ok ? 0 : 1 }' || status=1
figure "7a. --explore / one run, 2000x2000 photo" explore2k one2k 30
[ -n "$largest" ] && figure "7b. --explore / one run, $(basename "$largest")" exploreLargest oneLargest 30
awk -v a="$(median explore12)" -v b="$(median one12)" 'BEGIN {
  printf "%-42s %5.2f  (for information)        median explore12 %.1f ms / one12 %.1f ms\n", "7c. --explore / one run, 12 MP photo", a / b, a * 1000, b * 1000 }'
exit $status
