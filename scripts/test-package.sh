#!/usr/bin/env bash
# Builds the Debian package and checks it: its name, version, dependencies
# and contents, that lintian finds nothing wrong with it, and that its
# desktop entry, AppStream metainfo and copyright file are valid. In CI (or
# with DUSTVANE_TEST_INSTALL=1), as root, it also installs the package with apt,
# starts the program from its desktop entry on a virtual display, exits it,
# and removes the package again; elsewhere that step is skipped, and counted.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
build="${DUSTVANE_BUILD_DIR:-$top/build}"
install_packages "$scripts/packages-package.txt"

run_name="package"
# Each check runs as a stage of its own (in a subshell): a failure ends it.
fail() { echo "package: FAILED: $*"; exit 1; }

# The package carries the version the project declares.
version=$(sed -n 's/^project(Dustvane VERSION \([^ )]*\).*/\1/p' "$top/CMakeLists.txt")
app_id=$(sed -n 's/^set(DUSTVANE_APP_ID \([^ )]*\)).*/\1/p' "$top/CMakeLists.txt")
deb=""
if [ -n "$version" ]; then
  rm -f "$build"/dustvane_*.deb
  (cd "$build" && cpack >/dev/null)
  deb=$(ls "$build"/dustvane_"$version"_*.deb 2>/dev/null | head -n 1)
fi

# Its name, version, dependencies and contents, Debian's own checks of it,
# and the validity of its desktop entry, metainfo and copyright file.
check_package() {
  [ -n "$version" ] || fail "no project version in CMakeLists.txt"
  [ -n "$deb" ] || fail "no dustvane_${version}_*.deb was built"

  [ "$(dpkg-deb -f "$deb" Package)" = dustvane ] || fail "package name"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version"
  depends=$(dpkg-deb -f "$deb" Depends)
  for needed in libqt6widgets6 qt6-qpa-plugins libc6; do
    grep -q "$needed" <<<"$depends" || fail "no dependency on $needed: $depends"
  done
  [ -n "$app_id" ] || fail "no DUSTVANE_APP_ID in CMakeLists.txt"
  contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for path in ./usr/bin/dustvane ./usr/share/applications/"$app_id".desktop \
              ./usr/share/metainfo/"$app_id".metainfo.xml ./usr/share/doc/dustvane/copyright \
              ./usr/share/icons/hicolor/32x32/apps/dustvane.png ./usr/share/icons/hicolor/256x256/apps/dustvane.png; do
    grep -qx "$path" <<<"$contents" || fail "$path is missing from the package"
  done

  # Lintian, Debian's checker of packages: the package is clean of its errors
  # and warnings, and stays so. (As root it says that running as root is not
  # recommended; it only reads the package.)
  command -v lintian >/dev/null || fail "lintian is not installed (scripts/packages-package.txt)"
  lintian --fail-on error,warning "$deb" || fail "lintian did not pass the package (see above)"

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
  # The changelog's latest entry is this version (lintian reads its format,
  # not its version).
  changelog_version=$(zcat "$unpacked/usr/share/doc/dustvane/changelog.gz" | dpkg-parsechangelog -l - -S Version)
  [ "$changelog_version" = "$version" ] || fail "the changelog's latest entry is $changelog_version, not $version"
  grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' \
    "$unpacked/usr/share/doc/dustvane/copyright" || fail "the copyright file is not in the machine-readable format"
}

# Installed with apt, started from its desktop entry, exited, removed.
check_install() {
  if dpkg-query -W dustvane >/dev/null 2>&1; then
    fail "a dustvane package is installed already; not touching it"
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
  VIRTUAL_DISPLAY_PID="" pid=""
  trap 'finish_install' EXIT
  local entry=/usr/share/applications/$app_id.desktop exec_line window status=0
  [ -f "$entry" ] || fail "the desktop entry was not installed"
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  # Started as the desktop would start it, on a virtual display, then
  # exited by its Exit button's access key.
  start_virtual_display 1280x1024x24 || fail "Xvfb did not start"
  # shellcheck disable=SC2086
  $exec_line &
  pid=$!
  window=$(find_window '^Dustvane$' 20) || true
  [ -n "$window" ] || fail "the installed program showed no window from its desktop entry"
  # Docks and task bars match a window to its entry by the class part of the
  # window's WM_CLASS ("instance", "class").
  local wm_class wanted
  wm_class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
  wanted=$(sed -n 's/^StartupWMClass=//p' "$entry")
  [ -n "$wanted" ] || fail "the desktop entry has no StartupWMClass"
  [ "$wm_class" = "$wanted" ] ||
    fail "the window's class is '$wm_class' ($(xprop -id "$window" WM_CLASS)), the entry's StartupWMClass '$wanted'"
  echo "package: the window's class $wm_class is the entry's StartupWMClass"
  xdotool windowfocus --sync "$window"
  press alt+e
  timeout 10 tail --pid="$pid" -f /dev/null || fail "the installed program did not end on Exit"
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "the installed program ended with status $status"
  echo "package: installed with apt, started from its desktop entry, removed"
}
finish_install() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  [ -z "$VIRTUAL_DISPLAY_PID" ] || kill "$VIRTUAL_DISPLAY_PID" 2>/dev/null || true
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq dustvane >/dev/null 2>&1 || true
}

run_stage "package contents" check_package
if [ "${CI:-}" != true ] && [ "${DUSTVANE_TEST_INSTALL:-}" != 1 ]; then
  skip_stage "package install" "installs into this machine only in CI or with DUSTVANE_TEST_INSTALL=1"
elif [ "$(id -u)" -ne 0 ]; then
  skip_stage "package install" "needs root to install the package"
else
  run_stage "package install" check_install
fi
end_run
