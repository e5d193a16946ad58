#!/usr/bin/env bash
# Screenshots of the main window, one PNG per page, after analysing a
# generated picture of a version-3 symbol, then the inspector's views: the
# sampling page magnified about an alignment node (ring, readout field), a
# codeword chosen on BlockRead (its modules outlined), and the tabs' state
# icons after the picture is loaded again (stale); then the parameter
# explorer's window over its preset grid (running, done, its chosen cell
# picked) and the result page of that cell. The same again, named photo-*.png,
# for a generated 4000 x 3000 photograph, where the marks of the stages stay
# visible in the shrunk panes. The pages are shot after two failures as well,
# for the page 診断: failure-*.png for a generated symbol on a dark background
# (stopped at the finder search) and photo-failure-*.png for the photograph
# $MORILUX_PHOTO (default: ../shared/photos/qrcode-1_11.bmp, stopped at the
# error correction, with its unverified data; skipped when absent). Then the
# window's sizes (views-*.png for the version-3 symbol): the whole screen with
# the window as it opens, the window in a small window (640 x 480), fitted to
# a large one (ツール → ウィンドウに合わせる) and its two open dialogs in
# Japanese; the same as scale2-*.png with QT_SCALE_FACTOR=2 for the failure
# on a dark background (its page 診断 wraps), where the screen is half as
# large for the window. Then the sample maker: its window on a version-5-Q
# symbol with mask 3 turned by 10 degrees, that sample loaded and analysed,
# and the same photographed (sample-*.png); then all of it again with the
# window in English (en-*.png). The window runs on a virtual X
# server of 1920 x 1080 (xvfb-run, Debian package xvfb), so no display is needed, in
# build/app/morilux-window-batch: the same window as the program `morilux`,
# with the screenshot runs that the installed program does not have.
#
#   scripts/screenshots.sh [OUTDIR]        (default: out/screenshots in the repository)
#   scripts/screenshots.sh --manual        the manual's pictures, into docs/manual/images/
#
# --manual writes the pages, the inspector's views and the explorer's map of
# the version-3 symbol (the page 診断 after the dark-background failure
# instead), window.png (the page 位置検索, shown near the top of the README),
# the sample maker's window and its loaded sample, the class set's and the
# lab's windows, and the diagrams of the
# symbol (morilux_manual_pictures), each reduced to a
# palette by pngquant so that the committed pictures stay small.
#
# MORILUX_BUILD_DIR chooses the build directory (default: build/, Release).
set -euo pipefail

manual=false
if [ "${1:-}" = --manual ]; then
  manual=true
  shift
fi
out=${1:+$(realpath -m -- "$1")}
cd "$(dirname "$(realpath "$0")")/.."
root=$(pwd)
out=${out:-$root/out/screenshots}
build=$(realpath -m -- "${MORILUX_BUILD_DIR:-build}")
. scripts/lib.sh

scripts/install-deps.sh
morilux_configure "$build" Release -DMORILUX_FRONTENDS=ON -DMORILUX_TESTS=ON -DMORILUX_BENCH=ON >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shoot() {
  xvfb-run -a -s "-screen 0 1920x1080x24" env QT_QPA_PLATFORM=xcb "$build/app/morilux-window-batch" --screenshot-dir "$out" "$@"
}

if $manual; then
  cmake --build "$build" --target morilux-window-batch morilux_sample_picture morilux_manual_pictures -j2 >/dev/null
  images=$root/docs/manual/images
  out=$work/shots
  mkdir -p "$out" "$images"
  "$build/tests/app/morilux_sample_picture" "$work/version3.bmp"
  "$build/tests/app/morilux_sample_picture" "$work/dark.bmp" dark
  shoot "$work/version3.bmp" >/dev/null
  shoot --screenshot-prefix failure "$work/dark.bmp" >/dev/null
  mv "$out/failure-11-TabSheet10.png" "$out/11-TabSheet10.png"
  rm -f "$out"/failure-*.png
  shoot --sample-maker >/dev/null
  shoot --lab >/dev/null
  rm -f "$out"/lab-panes.png "$out"/help.png
  rm -f "$out"/sample-TabSheet3.png "$out"/sample-photo-TabSheet1.png
  "$build/tests/app/morilux_manual_pictures" "$out"
  cp "$out/02-TabSheet11.png" "$out/window.png"
  # The explorer's finished map is enough for the manual.
  rm -f "$out"/explorer-running.png "$out"/explorer-picked*.png
  rm -f "$images"/*.png
  for picture in "$out"/*.png; do
    pngquant --force --quality 60-90 --speed 1 --strip --output "$images/$(basename "$picture")" "$picture"
  done
  du -cb "$images"/*.png | tail -n 1
  exit 0
fi

cmake --build "$build" --target morilux-window-batch morilux_sample_picture morilux-make-pictures -j2 >/dev/null
"$build/tests/app/morilux_sample_picture" "$work/version3.bmp"
"$build/bench/morilux-make-pictures" "$work" >/dev/null

mkdir -p "$out"
rm -f "$out"/*.png
shoot "$work/version3.bmp"
shoot --screenshot-prefix photo "$work/photo-12mp.jpg"
# The pages and the inspector's views after a failed analysis.
"$build/tests/app/morilux_sample_picture" "$work/dark.bmp" dark
shoot --screenshot-prefix failure "$work/dark.bmp"
photo=${MORILUX_PHOTO:-$root/../shared/photos/qrcode-1_11.bmp}
if [ -f "$photo" ]; then
  shoot --screenshot-prefix photo-failure "$photo"
else
  echo "screenshots.sh: $photo not found; no photo-failure-*.png" >&2
fi
# The window's sizes, on the screen as it is and at twice the scale.
shoot --window-views --screenshot-prefix views "$work/version3.bmp"
QT_SCALE_FACTOR=2 shoot --window-views --screenshot-prefix scale2 "$work/dark.bmp"
# The sample maker.
shoot --sample-maker
# The error-correction lab.
shoot --lab
# The same in English (ツール → 言語 / Language → English), named en-*.png:
# every page, the inspector's views, the explorer, the help and class set
# windows, the failures' pages 診断, the window's views, the sample maker and the
# error-correction lab.
shoot --english --screenshot-prefix en "$work/version3.bmp"
shoot --english --screenshot-prefix en-failure "$work/dark.bmp"
if [ -f "$photo" ]; then shoot --english --screenshot-prefix en-photo-failure "$photo"; fi
shoot --english --window-views --screenshot-prefix en-views "$work/version3.bmp"
shoot --english --sample-maker --screenshot-prefix en
shoot --english --lab --screenshot-prefix en
