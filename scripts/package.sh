#!/usr/bin/env bash
# Builds the Debian package for classroom machines:
#
#   scripts/package.sh [BUILD_DIR]
#
# builds the two programs and the manual pages in Release in BUILD_DIR (default
# build/, the build of ./test.sh and ./run.sh, whose up-to-date programs are
# used as they are) and writes dist/morilux_<version>_<architecture>.deb with
# CPack. Standard output holds only the package's path; the build's and
# CPack's messages go to standard error.
set -euo pipefail
exec 3>&1 1>&2

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
given=${1:-}
build_dir="$(realpath -m -- "${given:-$source_dir/build}")"
cd "$source_dir"
. scripts/lib.sh

# The commands packaging needs, each with the Debian package that brings it.
tools=(cmake:cmake cpack:cmake ninja:ninja-build g++:g++ strip:binutils gzip:gzip
       dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev file:file)
missing=()
for tool in "${tools[@]}"; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package.sh: install the Debian packages $(printf '%s\n' "${missing[@]}" | sort -u | paste -sd ' ') first" \
    "(apt install them, or run scripts/install-deps.sh, which installs everything the build needs)" >&2
  exit 1
fi

# A folder given by the caller is used only as a Release build without
# sanitizers: it is never rebuilt as something else.
cache=$build_dir/CMakeCache.txt
if [ -n "$given" ] && [ -f "$cache" ]; then
  if ! grep -qx 'CMAKE_BUILD_TYPE:[A-Z]*=Release' "$cache" || grep -qx 'MORILUX_SANITIZE:BOOL=ON' "$cache"; then
    echo "package.sh: $build_dir is not a Release build without sanitizers; give another folder or none" >&2
    exit 1
  fi
fi
morilux_configure "$build_dir" Release -DMORILUX_FRONTENDS=ON -DMORILUX_SANITIZE=OFF ||
  { echo "package.sh: configuring failed; scripts/install-deps.sh installs the libraries the build needs" >&2; exit 1; }
cmake --build "$build_dir" -j "${MORILUX_JOBS:-2}" --target morilux morilux-cli morilux_man

# CPack writes into a folder of the build; only the package goes to dist/.
staging=$build_dir/package
rm -f "$staging"/*.deb
cpack --config "$build_dir/CPackConfig.cmake" -B "$staging"
packages=("$staging"/*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || { echo "package.sh: cpack wrote no package" >&2; exit 1; }
mkdir -p dist
mv -f "${packages[0]}" dist/
echo "dist/$(basename "${packages[0]}")" >&3
