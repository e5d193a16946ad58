#!/usr/bin/env bash
# Builds the core, the command line, the window and all tests with
# AddressSanitizer and UndefinedBehaviorSanitizer (-fno-sanitize-recover: the
# first report ends the program) and runs the whole test suite in that build.
# The window's random-use test runs its long sequence here (5000 actions, at
# most a minute; the seed it prints replays a failure, see the test's header).
#
#   scripts/sanitize.sh [BUILD_DIR]
#   scripts/sanitize.sh --thread [BUILD_DIR]
#
# BUILD_DIR defaults to build-asan in the source tree. MORILUX_JOBS sets the
# parallelism of the build and of ctest (default 2); MORILUX_WERROR=ON turns
# warnings into errors (./test.sh sets it). The run fails, as ./test.sh's
# does, when a test leaves a file in BUILD_DIR/test-tmp.
#
# --thread builds the tests that run Morilux's code on more than one thread
# (the explorer on a worker thread beside an analysis and on several threads,
# a class set's pictures on several threads, the window's trial of suggestions
# on its own thread while the window goes on) with ThreadSanitizer instead, in
# build-tsan, and runs those tests; the first report of a data race ends the
# program. All of Morilux's code in that build is instrumented; the libraries
# from Debian that it links (the C++ library, Qt, libpng, gtest, libqrencode
# and libjpeg) are not, and need not be: the threads share no object of
# theirs, each reading and encoding pictures of its own. Qt's own threads are
# left to Qt (scripts/tsan-qt.supp). The tests run under `setarch -R` where it works:
# some kernels place memory where ThreadSanitizer cannot map its shadow
# unless the address randomisation is off.
set -euo pipefail

thread=0
if [ "${1:-}" = "--thread" ]; then
  thread=1
  shift
fi
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $thread -eq 1 ]; then
  build_dir="$(realpath -m -- "${1:-$source_dir/build-tsan}")"
else
  build_dir="$(realpath -m -- "${1:-$source_dir/build-asan}")"
fi
jobs="${MORILUX_JOBS:-2}"
cd "$source_dir"
. scripts/lib.sh

mkdir -p "$build_dir"
if [ $thread -eq 1 ]; then
  # The tests that use threads, by their ctest names.
  threaded_programs=(test_decoder_ExplorerTest test_classset_ClassSetTest test_app_DiagnosisPageTest)
  threaded_tests='^(ExploreRun|ClassSet|MainWindow)\.'
  echo "== sanitize --thread: configuring and building in $build_dir"
  morilux_configure "$build_dir" RelWithDebInfo -DMORILUX_TSAN=ON -DMORILUX_FRONTENDS=ON -DMORILUX_TESTS=ON \
    -DMORILUX_BENCH=OFF -DMORILUX_WERROR="${MORILUX_WERROR:-OFF}" > "$build_dir/configure.log" 2>&1 ||
    { cat "$build_dir/configure.log" >&2; exit 1; }
  cmake --build "$build_dir" -j "$jobs" --target "${threaded_programs[@]}"

  echo "== sanitize --thread: running the tests that use threads"
  export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$source_dir/scripts/tsan-qt.supp}"
  export QT_QPA_PLATFORM=offscreen
  fixed=()
  setarch "$(uname -m)" -R true 2>/dev/null && fixed=(setarch "$(uname -m)" -R)
  # The programs not built here stand in ctest's list as *_NOT_BUILT; the
  # name filter leaves them out.
  "${fixed[@]}" bash -c '. scripts/lib.sh && morilux_ctest "$@"' _ "$build_dir" --output-on-failure -j "$jobs" \
    -R "$threaded_tests" --no-tests=error
  exit
fi

echo "== sanitize: configuring and building in $build_dir"
morilux_configure "$build_dir" RelWithDebInfo -DMORILUX_SANITIZE=ON -DMORILUX_FRONTENDS=ON \
  -DMORILUX_TESTS=ON -DMORILUX_BENCH=OFF -DMORILUX_WERROR="${MORILUX_WERROR:-OFF}" > "$build_dir/configure.log" 2>&1 ||
  { cat "$build_dir/configure.log" >&2; exit 1; }
cmake --build "$build_dir" -j "$jobs"

echo "== sanitize: running the tests"
# Leaks are reported too; an UndefinedBehaviorSanitizer report prints its stack
# and ends the test program, so that ctest sees the failure.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$source_dir/scripts/lsan-qt.supp:print_suppressions=0}"
export QT_QPA_PLATFORM=offscreen
morilux_ctest "$build_dir" --output-on-failure -j "$jobs"
