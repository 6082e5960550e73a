#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks its metadata, its
# file list and the files that desktops and software centres read.
# Usage: package.sh BUILD_FOLDER VERSION
set -euo pipefail
build="$1" version="$2"
arch="$(dpkg --print-architecture)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb="$out/pavisto_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$out" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }

info="$(dpkg-deb -I "$deb")"
for field in "Package: pavisto" "Version: $version" "Architecture: $arch" "Section: graphics"; do
  grep -qx " $field" <<<"$info" || fail "control lacks '$field'"
done
# Computed from the binary: the libraries it links, with their versions.
depends="$(sed -n 's/^ Depends: //p' <<<"$info")"
for library in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libpng16-16 libdeflate0 libstdc++6; do
  grep -q "\b$library (>= " <<<"$depends" || fail "Depends lacks $library: $depends"
done
# The desktop's own file triggers update the MIME and desktop databases.
for script in preinst postinst prerm postrm; do
  grep -qw "$script" <<<"$info" && fail "has a $script script"
done

files="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for file in ./usr/bin/pavisto ./usr/share/man/man1/pavisto.1.gz ./usr/share/pavisto/folder-access.html \
            ./usr/share/applications/pavisto.desktop ./usr/share/mime/packages/pavisto-wall.xml \
            ./usr/share/icons/hicolor/scalable/apps/pavisto.svg ./usr/share/icons/hicolor/64x64/apps/pavisto.png \
            ./usr/share/metainfo/org.pavisto.Pavisto.metainfo.xml; do
  grep -qx "$file" <<<"$files" || fail "does not install $file"
done
grep -v '^\./usr/' <<<"$files" | grep -vx '\./' && fail "installs outside /usr"

dpkg-deb -x "$deb" "$out/root"
share="$out/root/usr/share"
grep -qx 'Exec=/usr/bin/pavisto %f' "$share/applications/pavisto.desktop" || fail "the desktop entry does not start /usr/bin/pavisto"
appstreamcli validate --no-net "$share/metainfo/org.pavisto.Pavisto.metainfo.xml" || fail "the AppStream metainfo does not validate"
grep -q '<mediatype>application/x-pavisto-wall</mediatype>' "$share/metainfo/org.pavisto.Pavisto.metainfo.xml" ||
  fail "the metainfo does not name the .wall type"
warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/pavisto.1.gz" 2>&1 >/dev/null)"
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
[ "$("$out/root/usr/bin/pavisto" --version)" = "Pavisto $version" ] || fail "the installed binary's --version"
exit "$failed"
