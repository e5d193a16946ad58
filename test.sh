#!/usr/bin/env bash
# ./test.sh: installs what is missing, builds everything and runs every test.
# The work is a list of stages run in order; the first that fails stops the run.
set -euo pipefail
cd "$(dirname "$(realpath "$0")")"
. scripts/lib.sh

stage() { printf '\n==> %s\n' "$*"; }

# The install stage puts in the test-only packages (Chromium, poppler-utils):
# the test that prints a report in a browser runs here instead of being skipped.
export MORILUX_REQUIRE_BROWSER=1

stage_install() {
  stage "Installing missing packages"
  scripts/install-deps.sh --test
}

# The GCC builds turn warnings into errors, so that a new warning stops the run.
stage_build() {
  stage "Building (Release, build/)"
  morilux_configure build Release -DMORILUX_FRONTENDS=ON -DMORILUX_TESTS=ON -DMORILUX_WERROR=ON
  cmake --build build -j2
}

# ctest's closing summary of each test run, repeated at the very end.
summaries=()

# run_ctest LABEL BUILD_DIR: runs the suite of BUILD_DIR and keeps its summary.
run_ctest() {
  local label=$1 dir=$2 log
  log=$(mktemp)
  QT_QPA_PLATFORM=offscreen morilux_ctest "$dir" --output-on-failure -j2 | tee "$log"
  summaries+=("$label: $(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)")
  rm -f "$log"
}

stage_unit_tests() {
  stage "Running the tests"
  run_ctest "Release" build
}

# The Debian package, made from the Release build above (nothing is built
# again), and what it holds and runs.
stage_package() {
  stage "Building and checking the Debian package (dist/)"
  local deb
  deb=$(scripts/package.sh build)
  scripts/check-package.sh "$deb"
  summaries+=("Package: $deb checked")
}

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer.
stage_sanitizer_tests() {
  stage "Building and running the tests with sanitizers (build-asan/)"
  local log
  log=$(mktemp)
  MORILUX_WERROR=ON scripts/sanitize.sh "$PWD/build-asan" | tee "$log"
  summaries+=("Sanitizers: $(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)")
  rm -f "$log"
}

# The tests that run Morilux's code on more than one thread, with ThreadSanitizer.
stage_thread_sanitizer_tests() {
  stage "Building and running the threaded tests with ThreadSanitizer (build-tsan/)"
  local log
  log=$(mktemp)
  MORILUX_WERROR=ON scripts/sanitize.sh --thread "$PWD/build-tsan" | tee "$log"
  summaries+=("ThreadSanitizer: $(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)")
  rm -f "$log"
}

# Every fuzz harness for a bounded time; any crash, sanitizer report or time-out fails.
stage_fuzzing() {
  stage "Fuzzing each harness for ${MORILUX_FUZZ_SECONDS:-45} s (build-fuzz/)"
  scripts/fuzz.sh -t "${MORILUX_FUZZ_SECONDS:-45}" -b "$PWD/build-fuzz"
  summaries+=("Fuzzing: no finding")
}

stages=(
  stage_install
  stage_build
  stage_unit_tests
  stage_package
  stage_sanitizer_tests
  stage_thread_sanitizer_tests
  stage_fuzzing
)

for step in "${stages[@]}"; do
  "$step"
done
printf '\nAll stages passed.\n'
printf '%s\n' "${summaries[@]}"
