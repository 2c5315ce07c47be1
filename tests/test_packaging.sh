#!/bin/sh
# Checks the program's desktop integration and Debian package as generated in
# a build tree.
# Usage: test_packaging.sh CHECK BUILD_DIR SOURCE_DIR APP_ID VERSION (a.b.c.d)
set -eu
check=$1 build=$2 src=$3 id=$4 version=$5
release=${version%.*} # 2.19.0.0 -> 2.19.0, the packages' version
gen=$build/packaging
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# has FILE LINE...: each LINE is a whole line of FILE.
has() {
  file=$1 && shift
  for line; do grep -qxF "$line" "$file" || fail "$file lacks '$line'"; done
}

case $check in
desktop)
  desktop-file-validate "$gen/$id.desktop"
  # The validators accept any name and comment; these are the program's own.
  has "$gen/$id.desktop" "Name=Numberwell" "Comment=Count Denary/ASCII/Hex/Binary." "Exec=numberwell" \
    "Icon=numberwell" "StartupWMClass=Numberwell"
  # --strict fails on everything but pedantic hints; the one tolerated: the
  # desktop id's capital, kept for launchers users have pinned.
  appstreamcli validate --pedantic --strict --no-net "$gen/$id.metainfo.xml" >"$tmp/out" ||
    { cat "$tmp/out"; fail "appstreamcli validate"; }
  ! grep '^P:' "$tmp/out" | grep -v ' cid-contains-uppercase-letter ' || fail "pedantic AppStream hints"
  has "$gen/$id.metainfo.xml" "  <project_license>MIT</project_license>"
  ;;
deb)
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
  deb=$(ls "$tmp"/numberwell_*.deb)
  dpkg-deb -f "$deb" Package Version Depends >"$tmp/control"
  has "$tmp/control" "Version: $release"
  # The Wayland plugin is loaded at run time: only an explicit entry brings it.
  grep -q "Depends:.*libqt6widgets6.*" "$tmp/control" && grep -q "qt6-wayland" "$tmp/control" ||
    fail "deb does not depend on libqt6widgets6 and qt6-wayland"
  dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/list"
  has "$tmp/list" ./usr/bin/numberwell "./usr/share/applications/$id.desktop" \
    "./usr/share/metainfo/$id.metainfo.xml" ./usr/share/icons/hicolor/256x256/apps/numberwell.png \
    ./usr/share/man/man1/numberwell.1.gz ./usr/share/doc/numberwell/copyright
  # A new version needs its own changelog entry.
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/numberwell/changelog.gz | zcat >"$tmp/changelog"
  [ "$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)" = "$release" ] || fail "no changelog entry for $release"
  ;;
lintian)
  # Every tag down to info fails: the hardening, manual page and needless-section tags are info.
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
  lintian --display-info --pedantic --fail-on error,warning,info "$tmp"/numberwell_*.deb 2>/dev/null ||
    fail "lintian reports the tags above"
  ;;
icons-current)
  "$src/scripts/make-icon" --check
  ;;
*)
  fail "unknown check $check"
  ;;
esac
