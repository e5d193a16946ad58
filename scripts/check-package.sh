#!/usr/bin/env bash
# Checks a package written by scripts/package.sh:
#
#   scripts/check-package.sh dist/morilux_<version>_<architecture>.deb
#
# its name and control fields, its file list (the two programs, the desktop
# entry, icon, metainfo, both manual pages and the copyright file, nothing
# else, all owned by root), and what it holds, unpacked into a temporary
# folder: both programs' --version with no display at all, a generated symbol
# decoded by the unpacked morilux-cli, a sample made, saved and read back by it, the desktop entry and metainfo (with
# desktop-file-validate and appstreamcli where installed) and the manual pages
# (with man, lexgrog and groff where installed).
set -euo pipefail

deb="$(realpath -- "${1:?usage: check-package.sh PACKAGE.deb}")"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export LC_ALL=C.UTF-8
fail() { echo "check-package.sh: $*" >&2; exit 1; }
has() { command -v "$1" >/dev/null 2>&1; }

# Name and control fields.
version=$(dpkg-deb -f "$deb" Version)
architecture=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "morilux_${version}_${architecture}.deb" ] ||
  fail "$(basename "$deb") is not named morilux_${version}_${architecture}.deb"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libjpeg62-turbo libpng16-16 libqrencode4 libstdc++6; do
  [[ $depends == *"$library "* ]] || fail "Depends lacks $library: $depends"
done
# Loaded by name, not linked: the shared-library scan cannot find it.
[[ ", $depends," == *", qt6-translations-l10n,"* ]] || fail "Depends lacks qt6-translations-l10n: $depends"
[[ $(dpkg-deb -f "$deb" Recommends) == *fonts-noto-cjk* ]] || fail "fonts-noto-cjk is not recommended"

# The file list: exactly these files, owned by root.
expected="./usr/bin/morilux
./usr/bin/morilux-cli
./usr/share/applications/morilux.desktop
./usr/share/doc/morilux/copyright
./usr/share/icons/hicolor/scalable/apps/morilux.svg
./usr/share/man/man1/morilux-cli.1.gz
./usr/share/man/man1/morilux.1.gz
./usr/share/metainfo/org.morilux.Morilux.metainfo.xml"
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { print $6 }' <<<"$listing" | sort)
[ "$files" = "$expected" ] || fail "the package's files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$files") || true)"
owners=$(awk '{ print $2 }' <<<"$listing" | sort -u)
[ "$owners" = "root/root" ] || fail "files not owned by root/root: $owners"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
share=$root/usr/share

# The programs, as installed: no run path into a build folder, --version with
# no display at all, and a symbol decoded.
if has readelf; then
  for program in morilux morilux-cli; do
    ! readelf -d "$bin/$program" | grep -qE 'RPATH|RUNPATH' || fail "$program carries a run path"
  done
fi
for program in morilux morilux-cli; do
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$program" --version) ||
    fail "$program --version failed"
  [ "$answer" = "$program $version" ] || fail "$program --version printed '$answer', not '$program $version'"
done
"$source_dir/scripts/make-sample.sh" "$root/sample.bmp" 3
decoded=$("$bin/morilux-cli" "$root/sample.bmp") || fail "the unpacked morilux-cli did not decode the sample"
[ "$decoded" = "Morilux サンプル 日本語" ] || fail "the unpacked morilux-cli read '$decoded'"
# The sample maker, through the installed libqrencode: made, saved and read back.
made=$("$bin/morilux-cli" --make "Morilux 作成" --symbol-version 5 --level Q --mask 3 --output "$root/made.bmp") ||
  fail "the unpacked morilux-cli did not make and read a sample"
[ "$made" = "Morilux 作成" ] || fail "the unpacked morilux-cli read its own sample as '$made'"
[ "$("$bin/morilux-cli" "$root/made.bmp")" = "Morilux 作成" ] || fail "the saved sample does not read back"

# The desktop entry and the metainfo: what a menu and a software centre need.
desktop=$share/applications/morilux.desktop
metainfo=$share/metainfo/org.morilux.Morilux.metainfo.xml
for line in 'Icon=morilux' 'Exec=morilux %f' 'Categories=Education;Graphics;' 'MimeType=image/jpeg;image/bmp;image/png;'; do
  grep -qxF "$line" "$desktop" || fail "the desktop entry lacks $line"
done
for element in '<project_license>MIT</project_license>' '<developer_name>' \
               '<launchable type="desktop-id">morilux.desktop</launchable>'; do
  grep -qF "$element" "$metainfo" || fail "the metainfo lacks $element"
done
if has desktop-file-validate; then desktop-file-validate "$desktop" || fail "desktop-file-validate refused the desktop entry"; fi
if has appstreamcli; then appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refused the metainfo"; fi

# The manual pages: the package's version, a NAME line for whatis, and no
# warning from the formatter.
for page in morilux morilux-cli; do
  file=$share/man/man1/$page.1.gz
  zcat "$file" | grep -q "^\.TH .*\"Morilux $version\"" || fail "$page(1) does not carry version $version"
  if has lexgrog; then lexgrog "$file" >/dev/null || fail "lexgrog cannot read the NAME section of $page(1)"; fi
  if has groff; then
    warnings=$(zcat "$file" | groff -k -man -wall -z -Tutf8 2>&1)
    [ -z "$warnings" ] || fail "groff warns about $page(1): $warnings"
  fi
  if has man; then
    warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warns about $page(1): $warnings"
  fi
done
echo "check-package.sh: $(basename "$deb") ($(stat -c %s "$deb") bytes) holds and runs what it should"
