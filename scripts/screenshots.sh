#!/usr/bin/env bash
# Screenshots of the main window, one PNG per page, after analysing a
# generated picture of a version-3 symbol. The window runs on a virtual X
# server (xvfb-run, Debian package xvfb), so no display is needed.
#
#   scripts/screenshots.sh [OUTDIR]        (default: out/screenshots)
#
# MORILUX_BUILD_DIR chooses the build directory (default: build).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${MORILUX_BUILD_DIR:-$root/build}
out=${1:-$root/out/screenshots}

command -v xvfb-run >/dev/null || { echo "screenshots.sh: xvfb-run not found (apt-get install xvfb)" >&2; exit 1; }

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DMORILUX_FRONTENDS=ON >/dev/null
fi
cmake --build "$build" --target morilux morilux_sample_picture -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tests/app/morilux_sample_picture" "$work/version3.bmp"

mkdir -p "$out"
rm -f "$out"/*.png
xvfb-run -a -s "-screen 0 1280x1024x24" \
  env QT_QPA_PLATFORM=xcb "$build/app/morilux" --screenshot-dir "$out" "$work/version3.bmp"
