#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer), generates their seed corpora and runs each
# harness for a bounded time. Fails on any finding: a crash, a sanitizer
# report, an input running over 10 seconds or a memory blow-up over 2 GB.
#
#   scripts/fuzz.sh [-t SECONDS] [-b BUILD_DIR] [HARNESS...]
#
# -t   seconds per harness (default: $MORILUX_FUZZ_SECONDS or 60)
# -b   build directory (default: build-fuzz in the source tree)
# HARNESS  names among fuzz_decode fuzz_symbol fuzz_reed_solomon
#          fuzz_data_segments fuzz_loader_jpeg fuzz_loader_bmp fuzz_loader_png
#          (default: all)
# MORILUX_JOBS sets the build's parallelism (default 2).
#
# The corpus each harness grows is kept in BUILD_DIR/fuzz-corpus/NAME, so that
# later runs start from it; findings are written to BUILD_DIR/fuzz-findings/
# and their logs to BUILD_DIR/fuzz-logs/. Inputs kept in fuzz/regressions/NAME
# (earlier findings and slow inputs) are read with the seeds.
set -euo pipefail

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$source_dir/build-fuzz"
seconds="${MORILUX_FUZZ_SECONDS:-60}"
jobs="${MORILUX_JOBS:-2}"

while getopts "t:b:" option; do
  case "$option" in
    t) seconds="$OPTARG" ;;
    b) build_dir="$(realpath -m -- "$OPTARG")" ;;
    *) echo "usage: $0 [-t SECONDS] [-b BUILD_DIR] [HARNESS...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
cd "$source_dir"
. scripts/lib.sh

all_harnesses=(fuzz_decode fuzz_symbol fuzz_reed_solomon fuzz_data_segments fuzz_loader_jpeg fuzz_loader_bmp
               fuzz_loader_png)
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=("${all_harnesses[@]}")

# The seed corpus of each harness.
seeds_of() {
  case "$1" in
    fuzz_decode) echo decode ;;
    fuzz_symbol) echo symbol ;;
    fuzz_reed_solomon) echo reed_solomon ;;
    fuzz_data_segments) echo data_segments ;;
    fuzz_loader_jpeg) echo loader_jpeg ;;
    fuzz_loader_bmp) echo loader_bmp ;;
    fuzz_loader_png) echo loader_png ;;
    *) echo "unknown harness $1" >&2; return 1 ;;
  esac
}
for harness in "${harnesses[@]}"; do seeds_of "$harness" > /dev/null; done

command -v clang++ > /dev/null || { echo "fuzz.sh: clang++ is needed (Debian packages clang and libclang-rt-dev)" >&2; exit 1; }

echo "== fuzz: configuring and building in $build_dir"
mkdir -p "$build_dir"
# The compiler is chosen when the folder is first configured.
CC=clang CXX=clang++ morilux_configure "$build_dir" RelWithDebInfo -DMORILUX_FUZZ=ON -DMORILUX_FRONTENDS=ON \
  -DMORILUX_TESTS=ON -DMORILUX_BENCH=OFF > "$build_dir/configure.log" 2>&1 ||
  { cat "$build_dir/configure.log" >&2; exit 1; }
cmake --build "$build_dir" -j "$jobs" --target morilux_fuzzers morilux_fuzz_seeds

seeds="$build_dir/fuzz-seeds"
rm -rf "$seeds"
"$build_dir/fuzz/morilux_fuzz_seeds" "$seeds"
mkdir -p "$build_dir/fuzz-corpus" "$build_dir/fuzz-findings" "$build_dir/fuzz-logs"

# LeakSanitizer stays on; UBSan reports end the run with a stack.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

failed=()
summary=()
for harness in "${harnesses[@]}"; do
  program="$build_dir/fuzz/$harness"
  corpus="$build_dir/fuzz-corpus/$harness"
  log="$build_dir/fuzz-logs/$harness.log"
  mkdir -p "$corpus"
  echo "== fuzz: $harness for ${seconds}s"
  status=0
  regressions=()
  [ -d "$source_dir/fuzz/regressions/$harness" ] && regressions=("$source_dir/fuzz/regressions/$harness")
  "$program" "$corpus" "$seeds/$(seeds_of "$harness")" "${regressions[@]}" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build_dir/fuzz-findings/$harness-" > "$log" 2>&1 || status=$?
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  if [ "$status" -ne 0 ] || grep -qE '^(==[0-9]+==ERROR|SUMMARY: |ERROR: libFuzzer)' "$log"; then
    echo "!! fuzz: $harness found a fault (exit status $status); the end of $log:"
    tail -40 "$log"
    ls "$build_dir/fuzz-findings/$harness-"* 2> /dev/null || true
    failed+=("$harness")
    summary+=("$harness: FAULT after ${executions:-?} executions")
  else
    summary+=("$harness: ${executions:-?} executions in ${seconds}s, no finding")
  fi
done

echo "== fuzz: summary"
printf '   %s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in ${failed[*]}" >&2
  exit 1
fi
