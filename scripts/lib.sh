# Shell helpers shared by run.sh and test.sh (sourced, not run).

# morilux_configure DIR BUILD_TYPE [CMAKE_OPTIONS...]: configures DIR with Ninja
# unless it already holds a build with these settings (a second run costs nothing;
# Ninja itself re-runs CMake when a CMakeLists.txt changes).
morilux_configure() {
  local dir=$1 type=$2
  shift 2
  local cache=$dir/CMakeCache.txt
  if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
    echo "$dir was configured with another generator; starting it afresh"
    rm -rf "$dir"
  fi
  local wanted=("-DCMAKE_BUILD_TYPE=$type" "$@")
  if [ -f "$dir/build.ninja" ] && [ -f "$cache" ]; then
    local setting name value stale=0
    for setting in "${wanted[@]}"; do
      name=${setting#-D}
      value=${name#*=}
      name=${name%%=*}
      name=${name%%:*}
      grep -qE "^${name}:[A-Z]+=${value}\$" "$cache" || stale=1
    done
    [ $stale -eq 0 ] && return 0
  fi
  cmake -S . -B "$dir" -G Ninja "${wanted[@]}"
}

# morilux_ctest DIR [CTEST_OPTIONS...]: runs the test suite of the build DIR.
# Its tests write only in folders of their own inside DIR/test-tmp (the
# temporary folder ctest gives them); the run fails when anything is left
# there afterwards, which is a test writing a fixed name or not cleaning up.
# Every run starts without settings (DIR/test-config).
morilux_ctest() {
  local dir=$1 status=0 loose
  shift
  local scratch=$dir/test-tmp
  rm -rf "$scratch" "$dir/test-config"
  mkdir -p "$scratch" "$dir/test-config"
  ctest --test-dir "$dir" "$@" || status=$?
  loose=$(find "$scratch" -mindepth 1 -maxdepth 1 -printf '  %f\n' | sort)
  if [ -n "$loose" ]; then
    printf 'The tests left files in %s:\n%s\n' "$scratch" "$loose" >&2
    [ $status -ne 0 ] || status=1
  fi
  return $status
}
