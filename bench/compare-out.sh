#!/usr/bin/env bash
# Whole-program output check: runs two morilux-cli programs on the same
# pictures with the same parameters and compares all that they give: exit
# status, standard output, standard error, the --report and --json files byte
# for byte, and every --out file (text files byte for byte, pictures pixel for
# pixel where their bytes differ).
#
#   bench/compare-out.sh [-j JOBS] [-p "RESOLVER WARP FORCEVERSION"]... OLD_CLI NEW_CLI [PICTURE | FOLDER]...
#
# Without pictures: the generated set (morilux-make-pictures --symbols), the
# sample of scripts/make-sample.sh, the bench pictures but the 12-megapixel ones,
# and the photographs in MORILUX_PHOTOS (default ../shared/photos) when they
# are there. Without -p:
# every combination of Resolver -128, 7, 128, Warp 1, 6 and ForceVersion 0, 15, 40.
# Builds Release in MORILUX_BUILD_DIR (default build/) for the generator and
# the picture comparison. Prints one line per difference and a summary; the
# exit status is 0 when nothing differs.
set -euo pipefail

jobs=2
parameters=()
while getopts "j:p:" option; do
  case "$option" in
    j) jobs=$OPTARG ;;
    p) parameters+=("$OPTARG") ;;
    *) echo "usage: bench/compare-out.sh [-j JOBS] [-p \"R W F\"]... OLD_CLI NEW_CLI [PICTURE | FOLDER]..." >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 2 ] || { echo "usage: bench/compare-out.sh [-j JOBS] [-p \"R W F\"]... OLD_CLI NEW_CLI [PICTURE | FOLDER]..." >&2; exit 2; }
old=$(realpath -- "$1")
new=$(realpath -- "$2")
shift 2
if [ ${#parameters[@]} -eq 0 ]; then
  for r in -128 7 128; do for w in 1 6; do for f in 0 15 40; do parameters+=("$r $w $f"); done; done; done
fi

cd "$(dirname "$(realpath "$0")")/.."
build=$(realpath -m -- "${MORILUX_BUILD_DIR:-build}")
. scripts/lib.sh
morilux_configure "$build" Release -DMORILUX_FRONTENDS=ON -DMORILUX_BENCH=ON >/dev/null
cmake --build "$build" --target morilux-make-pictures morilux-compare-pictures -j2 >/dev/null
export COMPARE_PICTURES=$build/bench/morilux-compare-pictures

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sources=("$@")
if [ ${#sources[@]} -eq 0 ]; then
  "$build/bench/morilux-make-pictures" --symbols "$work/pictures" >/dev/null
  "$build/bench/morilux-make-pictures" "$work/bench" >/dev/null
  rm -f "$work/bench/photo-12mp.jpg" "$work/bench/photo-12mp-failing.jpg"
  scripts/make-sample.sh "$work/pictures/sample.bmp" >/dev/null
  sources=("$work/pictures" "$work/bench")
  photos=${MORILUX_PHOTOS:-../shared/photos}
  [ -d "$photos" ] && sources+=("$(realpath -- "$photos")")
fi
pictures=()
for source in "${sources[@]}"; do
  if [ -d "$source" ]; then
    while IFS= read -r -d '' file; do pictures+=("$file"); done < <(
      find "$source" -maxdepth 1 -type f \( -iname '*.bmp' -o -iname '*.jpg' -o -iname '*.jpeg' \) -print0 | sort -z)
  else
    pictures+=("$(realpath -- "$source")")
  fi
done

# One run: both programs in folders of their own (the same relative output
# paths, so that messages naming them are alike), then everything compared.
compare_one() {
  local picture=$1 r=$2 w=$3 f=$4 side status
  local run
  run=$(mktemp -d "$work/run.XXXXXX")
  for side in old new; do
    mkdir "$run/$side"
    status=0
    (cd "$run/$side" && "${!side}" --resolver "$r" --warp "$w" --force-version "$f" --out out \
      --report report.html --json summary.json "$picture" > stdout 2> stderr) || status=$?
    echo "$status" > "$run/$side/status"
  done
  local what="$(basename "$picture") R=$r W=$w F=$f"
  local differ=0 name
  for name in status stdout stderr; do
    cmp -s "$run/old/$name" "$run/new/$name" || { echo "DIFFER $what: $name"; differ=1; }
  done
  for name in report.html summary.json; do
    if [ -f "$run/old/$name" ] || [ -f "$run/new/$name" ]; then
      cmp -s "$run/old/$name" "$run/new/$name" || { echo "DIFFER $what: $name"; differ=1; }
    fi
  done
  local names
  names=$( (cd "$run/old/out" 2>/dev/null && ls; cd "$run/new/out" 2>/dev/null && ls) | sort -u)
  for name in $names; do
    local a=$run/old/out/$name b=$run/new/out/$name
    if [ ! -f "$a" ] || [ ! -f "$b" ]; then
      echo "DIFFER $what: $name written by one program only"; differ=1
    elif ! cmp -s "$a" "$b"; then
      if [[ $name == *.png ]] && "$COMPARE_PICTURES" "$a" "$b" > /dev/null; then
        echo "BYTES $what: $name (same pixels)"
      else
        echo "DIFFER $what: $name"; differ=1
      fi
    fi
  done
  echo "RUN $differ"
  rm -rf "$run"
}
export -f compare_one
export old new work

echo "Comparing $old against $new: ${#pictures[@]} pictures x ${#parameters[@]} parameter sets" >&2
log=$work/log
for picture in "${pictures[@]}"; do
  for set in "${parameters[@]}"; do
    printf '%s\0%s\0' "$picture" "$set"
  done
done | xargs -0 -n 2 -P "$jobs" bash -c 'read -r r w f <<< "$2"; compare_one "$1" "$r" "$w" "$f"' _ > "$log"
grep -v '^RUN ' "$log" || true
runs=$(grep -c '^RUN ' "$log" || true)
failed=$(grep -c '^RUN 1' "$log" || true)
bytes=$(grep -c '^BYTES ' "$log" || true)
echo "$runs runs: $failed with differences, $bytes PNG files with other bytes but the same pixels"
[ "$failed" -eq 0 ]
