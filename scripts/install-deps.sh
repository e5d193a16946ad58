#!/usr/bin/env bash
# Installs the Debian packages that Morilux needs to build, test and run,
# and only those that are missing (apt-get update runs only then). With
# --test, also those that only ./test.sh needs (scripts/test-packages.txt).
set -euo pipefail

# Everything the project needs from Debian, one package a line.
packages=(
  cmake
  ninja-build
  g++
  pkg-config
  qt6-base-dev
  # Qt's own texts (dialogs, message boxes, context menus) in Japanese: the Qt
  # libraries only recommend it, so it is named here.
  qt6-translations-l10n
  libjpeg62-turbo-dev
  libpng-dev
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  qrencode
  libqrencode-dev
  libqrencode4
  fonts-noto-cjk
  xvfb
  xauth
  clang
  libclang-rt-14-dev
  desktop-file-utils
  appstream
  dpkg-dev
  file
  man-db
  qt6-svg-dev
  pngquant
)
if [ "${1:-}" = --test ]; then
  while read -r package; do
    packages+=("$package")
  done < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$(dirname "$0")/test-packages.txt")
elif [ $# -gt 0 ]; then
  echo "usage: install-deps.sh [--test]" >&2
  exit 2
fi

# One query for all: the packages that are installed, one name a line.
installed=$'\n'$({ dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${packages[@]}" 2>/dev/null || true; } |
  sed -n 's/^ii *\([^ :]*\).*$/\1/p')$'\n'
missing=()
for package in "${packages[@]}"; do
  [[ $installed == *$'\n'"$package"$'\n'* ]] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "install-deps.sh: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
