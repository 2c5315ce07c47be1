#!/bin/sh
# Checks the program's desktop integration, manual page and Debian package as
# generated in a build tree.
# Usage: test_packaging.sh CHECK BUILD_DIR SOURCE_DIR APP_ID VERSION (a.b.c.d)
set -eu
check=$1 build=$2 src=$3 id=$4 version=$5
short=${version%.*.*}                  # 2.19.0.0 -> 2.19
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
  # --strict fails on every issue but the pedantic ones; those are read here.
  # The one tolerated: the desktop id has a capital, and renaming it would
  # orphan launchers that users have pinned.
  status=0
  appstreamcli validate --pedantic --strict --no-net "$gen/$id.metainfo.xml" >"$tmp/out" || status=$?
  cat "$tmp/out"
  [ $status -eq 0 ] || fail "appstreamcli validate exited with $status"
  if grep '^P:' "$tmp/out" | grep -v ' cid-contains-uppercase-letter '; then
    fail "pedantic AppStream hints"
  fi
  grep -qF "<release version=\"$short\"" "$gen/$id.metainfo.xml" || fail "no release $short"
  grep -qxF "  <project_license>MIT</project_license>" "$gen/$id.metainfo.xml" || fail "licence is not MIT"
  ;;
install)
  cmake --install "$build" --prefix "$tmp" >/dev/null
  for f in bin/numberwell \
           "share/applications/$id.desktop" \
           "share/metainfo/$id.metainfo.xml" \
           share/icons/hicolor/32x32/apps/numberwell.png \
           share/icons/hicolor/64x64/apps/numberwell.png \
           share/icons/hicolor/128x128/apps/numberwell.png \
           share/icons/hicolor/256x256/apps/numberwell.png \
           share/man/man1/numberwell.1.gz share/doc/numberwell/copyright; do
    [ -f "$tmp/$f" ] || fail "not installed: $f"
  done
  # Cross-checks the installed tree: the metainfo's launchable finds its desktop entry.
  appstreamcli validate-tree --no-net "$tmp"
  ;;
deb)
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
  deb=$(ls "$tmp"/numberwell_*.deb)
  for field in "Package: numberwell" "Version: $version" "Section: utils" \
               "Maintainer: Numberwell developers <dev@numberwell.invalid>"; do
    dpkg-deb -f "$deb" "${field%%:*}" | grep -qxF "${field#*: }" || fail "deb lacks '$field'"
  done
  dpkg-deb -f "$deb" Depends | tr -d ' ' | tr ',' '\n' >"$tmp/depends"
  # The Wayland plugin is loaded at run time, so only an explicit entry brings it.
  for pkg in libqt6widgets6 qt6-wayland; do
    grep -q "^$pkg\((\|\$\)" "$tmp/depends" || fail "deb does not depend on $pkg"
  done
  dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/list"
  for f in ./usr/bin/numberwell "./usr/share/applications/$id.desktop" \
           "./usr/share/metainfo/$id.metainfo.xml" \
           ./usr/share/icons/hicolor/32x32/apps/numberwell.png \
           ./usr/share/man/man1/numberwell.1.gz \
           ./usr/share/doc/numberwell/copyright ./usr/share/doc/numberwell/changelog.gz; do
    grep -qxF "$f" "$tmp/list" || fail "deb lacks $f"
  done
  # A new version needs its own changelog entry.
  dpkg-deb -x "$deb" "$tmp/root"
  zcat "$tmp/root/usr/share/doc/numberwell/changelog.gz" >"$tmp/changelog"
  top=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)
  [ "$top" = "$version" ] || fail "latest changelog entry is $top, not $version"
  ;;
lintian)
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >/dev/null
  # Info tags fail too: the hardening and needless-section tags are info.
  # Pedantic tags are listed for the record. (stderr only warns of root.)
  lintian --display-info --pedantic --fail-on error,warning,info "$tmp"/numberwell_*.deb 2>/dev/null ||
    fail "lintian reports the tags above"
  ;;
manpage)
  page=$gen/numberwell.1.gz
  # The checks lintian runs: groff's warnings, and a NAME line whatis can read.
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>"$tmp/warnings" >/dev/null
  [ ! -s "$tmp/warnings" ] || { cat "$tmp/warnings" >&2; fail "groff warns about numberwell.1"; }
  lexgrog "$page" | grep -qF ': "numberwell - ' || fail "numberwell.1 has no whatis entry"
  # Every message the status line can show is explained.
  LC_ALL=C MANWIDTH=1000 man -l "$page" 2>/dev/null | col -b | tr -s ' \n' '  ' >"$tmp/page"
  for text in "Welcome!" "Denary must be 0-255" "Hex must be 00-FF" \
              Backspace Escape Enter Tab About; do
    grep -qF "$text" "$tmp/page" || fail "numberwell.1 does not mention '$text'"
  done
  ;;
wmclass)
  # A dock matches a window to its launcher when the window's X11 class is the
  # entry's StartupWMClass; read it off the real program under Xvfb.
  want=$(sed -n 's/^StartupWMClass=//p' "$gen/$id.desktop")
  title=$(sed -n 's/^Name=//p' "$gen/$id.desktop")
  [ -n "$want" ] || fail "$id.desktop has no StartupWMClass"
  env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb xvfb-run -a sh -c '
    "$1" & pid=$!
    for _ in $(seq 100); do
      xprop -name "$2" WM_CLASS 2>/dev/null && break
      sleep 0.1
    done
    kill $pid' sh "$build/app/numberwell" "$title" >"$tmp/wmclass" 2>/dev/null || true
  # WM_CLASS(STRING) = "instance", "class"
  got=$(sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p' "$tmp/wmclass")
  [ -n "$got" ] || fail "no window titled '$title' appeared"
  [ "$got" = "$want" ] || fail "window class is '$got', StartupWMClass is '$want'"
  ;;
icons-current)
  "$src/scripts/make-icon" --check
  ;;
*)
  fail "unknown check $check"
  ;;
esac
