#!/usr/bin/env bash
# Builds the core, the command line, the window and all tests with
# AddressSanitizer and UndefinedBehaviorSanitizer (-fno-sanitize-recover: the
# first report ends the program) and runs the whole test suite in that build.
# The window's random-use test runs its long sequence here (5000 actions, at
# most a minute; the seed it prints replays a failure, see the test's header).
#
#   scripts/sanitize.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build-asan in the source tree. MORILUX_JOBS sets the
# parallelism of the build and of ctest (default 2); MORILUX_WERROR=ON turns
# warnings into errors (./test.sh sets it). The run fails, as ./test.sh's
# does, when a test leaves a file in BUILD_DIR/test-tmp.
set -euo pipefail

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$(realpath -m -- "${1:-$source_dir/build-asan}")"
jobs="${MORILUX_JOBS:-2}"
cd "$source_dir"
. scripts/lib.sh

echo "== sanitize: configuring and building in $build_dir"
mkdir -p "$build_dir"
morilux_configure "$build_dir" RelWithDebInfo -DMORILUX_SANITIZE=ON -DMORILUX_FRONTENDS=ON \
  -DMORILUX_TESTS=ON -DMORILUX_BENCH=OFF -DMORILUX_WERROR="${MORILUX_WERROR:-OFF}" > "$build_dir/configure.log" 2>&1 ||
  { cat "$build_dir/configure.log" >&2; exit 1; }
cmake --build "$build_dir" -j "$jobs"

echo "== sanitize: running the tests"
# Leaks are reported too; an UndefinedBehaviorSanitizer report prints its stack
# and ends the test program, so that ctest sees the failure.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
morilux_ctest "$build_dir" --output-on-failure -j "$jobs"
