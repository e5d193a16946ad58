#!/usr/bin/env bash
# ./run.sh [--headless|--gui] [PICTURE]
# Installs what is missing, builds in Release and runs Morilux: the window when
# a display is available, otherwise (or with --headless) the command line on
# PICTURE (or on a generated sample), writing every pane into ./morilux-out/.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: ./run.sh [--headless|--gui] [PICTURE]
  PICTURE     a .jpg, .jpeg, .bmp or .png file (default: a generated sample symbol)
  --headless  run the command line even when a display is available; it writes
              every pane into ./morilux-out/ and prints the decoded text
  --gui       open the window even when DISPLAY and WAYLAND_DISPLAY are not set
USAGE
}

headless=0
gui=0
picture=""
for argument in "$@"; do
  case $argument in
    --headless) headless=1 ;;
    --gui) gui=1 ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "run.sh: unknown option $argument" >&2; usage >&2; exit 2 ;;
    *)
      if [ -n "$picture" ]; then echo "run.sh: only one picture at a time" >&2; exit 2; fi
      picture=$argument ;;
  esac
done

caller=$(pwd)
[ -z "$picture" ] || picture=$(realpath -m -- "$picture")
cd "$(dirname "$(realpath "$0")")"
root=$(pwd)
. scripts/lib.sh

scripts/install-deps.sh
morilux_configure build Release -DMORILUX_FRONTENDS=ON
targets=$(ninja -C build -t targets all)
window=0
[[ $'\n'$targets == *$'\nmorilux: '* ]] && window=1
if [ $window -eq 1 ]; then
  cmake --build build -j2 --target morilux-cli morilux
else
  cmake --build build -j2 --target morilux-cli
fi

if [ -z "$picture" ]; then
  picture=$root/build/sample/morilux-sample.bmp
  if [ ! -f "$picture" ]; then
    mkdir -p "$(dirname "$picture")"
    scripts/make-sample.sh "$picture"
  fi
fi

if [ $headless -eq 0 ] && [ $gui -eq 1 ] && [ $window -eq 0 ]; then
  echo "run.sh: the window is not built in this tree" >&2
  exit 2
fi
if [ $headless -eq 0 ] && [ $window -eq 1 ] && { [ $gui -eq 1 ] || [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$root/build/app/morilux" "$picture"
fi

cd "$caller"
echo "Analysing $picture"
status=0
"$root/build/cli/morilux-cli" --out morilux-out "$picture" || status=$?
case $status in
  0) echo "Decoded. Every pane is in $caller/morilux-out/." ;;
  1) echo "Not decoded (see the message above). Every pane is in $caller/morilux-out/." ;;
  *) echo "The picture could not be analysed (see the message above)." ;;
esac
exit $status
