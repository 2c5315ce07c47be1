#!/bin/sh
# Checks the program's desktop integration and version record as generated in
# a build tree. Usage: test_packaging.sh CHECK BUILD_DIR SOURCE_DIR APP_ID
set -eu
check=$1 build=$2 src=$3 id=$4
gen=$build/packaging
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

case $check in
desktop)
  desktop-file-validate "$gen/$id.desktop"
  # The validator accepts any name and comment; these are the program's own.
  for line in "Name=Numberwell" "Comment=Count Denary/ASCII/Hex/Binary." \
              "Exec=numberwell" "Icon=numberwell" "Type=Application"; do
    grep -qxF "$line" "$gen/$id.desktop" || fail "$id.desktop lacks '$line'"
  done
  ;;
metainfo)
  appstreamcli validate --no-net "$gen/$id.metainfo.xml"
  grep -qF "<release version=\"2.19\"" "$gen/$id.metainfo.xml" || fail "no release 2.19"
  ;;
install)
  cmake --install "$build" --prefix "$tmp" >/dev/null
  for f in bin/numberwell \
           "share/applications/$id.desktop" \
           "share/metainfo/$id.metainfo.xml" \
           share/icons/hicolor/32x32/apps/numberwell.png \
           share/icons/hicolor/64x64/apps/numberwell.png \
           share/icons/hicolor/128x128/apps/numberwell.png \
           share/icons/hicolor/256x256/apps/numberwell.png; do
    [ -f "$tmp/$f" ] || fail "not installed: $f"
  done
  # Cross-checks the installed tree: the metainfo's launchable finds its desktop entry.
  appstreamcli validate-tree --no-net "$tmp"
  ;;
rc)
  rc=$gen/numberwell.rc
  for line in "FILEVERSION 2,19,0,0" "PRODUCTVERSION 2,19,0,0" \
              'VALUE "FileVersion", "2.19.0.0"' 'VALUE "ProductVersion", "2.19.0.0"' \
              'VALUE "FileDescription", "Count Denary/ASCII/Hex/Binary."' \
              'VALUE "ProductName", "Numberwell"'; do
    tr -s ' ' <"$rc" | grep -qF "$line" || fail "numberwell.rc lacks '$line'"
  done
  # Where a resource compiler is at hand, the file must also compile (icon included).
  if command -v llvm-rc >/dev/null; then
    # Dash options and "--": llvm-rc reads a path such as /ci/... as its /C option.
    (cd "$tmp" && llvm-rc -FO "$tmp/numberwell.res" -- "$rc")
    [ "$(wc -c <"$tmp/numberwell.res")" -gt 766 ] || fail "resource lacks the icon"
  fi
  ;;
deb)
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
  deb=$(ls "$tmp"/numberwell_*.deb)
  for field in "Package: numberwell" "Version: 2.19.0.0" "Section: utils" \
               "Maintainer: Numberwell developers <dev@numberwell.invalid>"; do
    dpkg-deb -f "$deb" "${field%%:*}" | grep -qxF "${field#*: }" || fail "deb lacks '$field'"
  done
  dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || fail "deb does not depend on Qt Widgets"
  dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/list"
  for f in ./usr/bin/numberwell "./usr/share/applications/$id.desktop" \
           "./usr/share/metainfo/$id.metainfo.xml" \
           ./usr/share/icons/hicolor/32x32/apps/numberwell.png; do
    grep -qxF "$f" "$tmp/list" || fail "deb lacks $f"
  done
  ;;
icons-current)
  "$src/scripts/make-icon" --check
  ;;
*)
  fail "unknown check $check"
  ;;
esac
