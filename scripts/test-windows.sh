#!/usr/bin/env bash
# The Windows stage: builds both executables, their tests and the installer
# (scripts/build-windows.sh) on this machine, makes the Debian root that Wine
# runs in (scripts/windows/wine-root.sh), and runs the steps under Wine
# there (scripts/windows/wine-steps.sh): each build's CTest suite, its walk,
# end to end, its captions under a 9-point font, its start beside a drive
# that never answers, and the installer, for 64-bit and 32-bit Windows.
# Ends with "windows: N passed, N failed, N skipped" over those steps.
#
# Installs what it needs when missing. As root only: the Wine root is made
# with debootstrap and entered with chroot.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# shellcheck source=scripts/windows/wine-root.sh
source "$scripts/windows/wine-root.sh"
out="${DUSTVANE_WIN_OUT:-$top}"
started=$SECONDS
if [ "$(id -u)" -ne 0 ]; then
  echo "The Windows stage makes a Debian root for Wine and runs its steps in it: run it as root"
  echo "  sudo scripts/test-windows.sh"
  exit 1
fi
install_packages "$scripts/packages-windows-build.txt"
installed=$SECONDS

bash "$scripts/build-windows.sh"
built=$SECONDS

root=$(wine_root_folder "$out")
prepare_wine_root "$root" || { echo "windows: 0 passed, 1 failed, 0 skipped"; exit 1; }
echo "Windows stage: installs $((installed - started)) s, build $((built - installed)) s," \
  "Wine root $((SECONDS - built)) s"
in_wine_root "$root" bash "$scripts/windows/wine-steps.sh"
