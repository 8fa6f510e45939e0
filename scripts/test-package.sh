#!/usr/bin/env bash
# Builds the Debian package and checks it: its name, version, dependencies
# and contents, and that its desktop entry, AppStream metainfo and copyright
# file are valid. In CI (or with
# DUSTVANE_TEST_INSTALL=1), as root, it also installs the package with apt,
# starts the program from its desktop entry on a virtual display, exits it,
# and removes the package again; elsewhere that step is skipped, and counted.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
build="${DUSTVANE_BUILD_DIR:-$top/build}"
source "$here/lib.sh"
install_packages "$here/packages-package.txt"

fail() { echo "package: FAILED: $*"; end_stage package 0 1 0; }

# The package carries the version the project declares.
version=$(sed -n 's/^project(Dustvane VERSION \([^ )]*\).*/\1/p' "$top/CMakeLists.txt")
[ -n "$version" ] || fail "no project version in CMakeLists.txt"
rm -f "$build"/dustvane_*.deb
(cd "$build" && cpack >/dev/null)
deb=$(ls "$build"/dustvane_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no dustvane_${version}_*.deb was built"

[ "$(dpkg-deb -f "$deb" Package)" = dustvane ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 qt6-qpa-plugins libc6; do
  grep -q "$needed" <<<"$depends" || fail "no dependency on $needed: $depends"
done
app_id=$(sed -n 's/^set(DUSTVANE_APP_ID \([^ )]*\)).*/\1/p' "$top/CMakeLists.txt")
[ -n "$app_id" ] || fail "no DUSTVANE_APP_ID in CMakeLists.txt"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/dustvane ./usr/share/applications/"$app_id".desktop \
            ./usr/share/metainfo/"$app_id".metainfo.xml ./usr/share/doc/dustvane/copyright \
            ./usr/share/icons/hicolor/32x32/apps/dustvane.png ./usr/share/icons/hicolor/256x256/apps/dustvane.png; do
  grep -qx "$path" <<<"$contents" || fail "$path is missing from the package"
done

# The desktop entry, the software-centre metadata and the copyright file, as
# the package holds them.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$app_id.desktop" || fail "the desktop entry is not valid"
metainfo="$unpacked/usr/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "the AppStream metainfo is not valid"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch the desktop entry $app_id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo does not name release $version"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
  "$unpacked/usr/share/doc/dustvane/copyright" || fail "the copyright file is not in the machine-readable format"

if [ "${CI:-}" != true ] && [ "${DUSTVANE_TEST_INSTALL:-}" != 1 ]; then
  cannot_run_here "package install" "installs into this machine only in CI or with DUSTVANE_TEST_INSTALL=1"
  end_stage package 1 0 1
fi
if [ "$(id -u)" -ne 0 ]; then
  cannot_run_here "package install" "needs root to install the package"
  end_stage package 1 0 1
fi
if dpkg-query -W dustvane >/dev/null 2>&1; then
  fail "a dustvane package is installed already; not touching it"
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
trap 'DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq dustvane >/dev/null 2>&1 || true; rm -rf "$unpacked"' EXIT
entry=/usr/share/applications/$app_id.desktop
[ -f "$entry" ] || fail "the desktop entry was not installed"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
# Started as the desktop would start it, on a virtual display, then exited
# by its Exit button's access key.
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
  '"$exec_line"' & pid=$!
  win=$(timeout 20 xdotool search --sync --onlyvisible --name "^Dustvane$" | head -n 1) || exit 3
  xdotool windowfocus --sync "$win"; sleep 0.3; xdotool key alt+e
  timeout 10 tail --pid=$pid -f /dev/null || exit 4
  wait $pid' || fail "the installed program did not start and exit cleanly from its desktop entry"
echo "package: installed with apt, started from its desktop entry, removed"
end_stage package 2 0 0
