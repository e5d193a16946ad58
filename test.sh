#!/usr/bin/env bash
# ./test.sh: installs what is missing, builds everything and runs every test.
# The work is a list of stages run in order; the first that fails stops the run.
set -euo pipefail
cd "$(dirname "$(realpath "$0")")"
. scripts/lib.sh

stage() { printf '\n==> %s\n' "$*"; }

stage_install() {
  stage "Installing missing packages"
  scripts/install-deps.sh
}

stage_build() {
  stage "Building (Release, build/)"
  morilux_configure build Release -DMORILUX_FRONTENDS=ON -DMORILUX_TESTS=ON
  cmake --build build -j2
}

stage_unit_tests() {
  stage "Running the tests"
  QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j2
}

stages=(
  stage_install
  stage_build
  stage_unit_tests
)

for step in "${stages[@]}"; do
  "$step"
done
printf '\nAll stages passed.\n'
