# The Debian root that Wine runs in for the Windows scripts: source it, do
# not run it.
#
# 32-bit Wine is an i386 program, and its libraries must be at the very
# versions of their amd64 copies. On this machine itself that holds only
# while apt can read every index of every suite for both architectures: one
# i386 index that a mirror serves out of step with its Release file leaves
# the i386 copies of libraries that amd64 has from that suite out of reach,
# and wine32 cannot be installed. So Wine gets a root of its own, made with
# debootstrap from the archives this machine's apt already uses, for the
# release this machine runs: its own apt, its own amd64 and i386 libraries,
# always at matching versions. A suite whose lists cannot all be fetched
# there is left out of that root as a whole, for both architectures, and the
# set-up says so. This machine gains no foreign architecture and no Wine.
#
# The root is made once and used again while its packages and this file stay
# as they are (wine_root_stamp); one that had to leave a suite out is made
# again the next time. Everything runs in it as root, in a mount namespace
# and a process namespace of its own: what it mounts and every process it
# starts end with the command.

# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

wine_root_packages="$scripts/packages-windows.txt"
# The root of the Windows build folders $1 (DUSTVANE_WIN_OUT, or the checkout).
wine_root_folder() { echo "$1/build-wine-root"; }

# What the root is made from: its package list, this file, and the archives.
wine_root_stamp() {
  { cat "$wine_root_packages" "$scripts/windows/wine-root.sh"; wine_root_sources; } | sha256sum | cut -d' ' -f1
}

# The suites the root takes: the release, its updates and its security
# updates, each from the archive this machine's apt takes it from (a suite
# apt here does not know is left out), as one-line apt sources.
wine_root_sources() {
  local release suite archive uri keyring
  release=$(debian_codename)
  for suite in "$release" "$release-updates" "$release-security"; do
    archive=$(configured_archive "$suite")
    [ -n "$archive" ] || continue
    uri=${archive%%$'\t'*}
    keyring=${archive#*$'\t'}
    echo "deb ${keyring:+[signed-by=$keyring] }$uri $suite main"
  done
}

# in_wine_root ROOT COMMAND...: runs COMMAND as root inside ROOT, with this
# machine's /proc of its own process namespace, /sys, /dev, /tmp, the
# checkout, the Windows build folders (DUSTVANE_WIN_OUT), the Linux build
# (DUSTVANE_BUILD_DIR) and the folder of DUSTVANE_SKIPPED_LOG at their own
# paths, and this machine's resolv.conf; in the current folder when the root
# has it too.
# Returns COMMAND's status; every process it left is ended with it.
in_wine_root() {
  local root=$1 kept=(/tmp "$top") folder
  shift
  [ -z "${DUSTVANE_WIN_OUT:-}" ] || kept+=("$DUSTVANE_WIN_OUT")
  [ -z "${DUSTVANE_BUILD_DIR:-}" ] || kept+=("$DUSTVANE_BUILD_DIR")
  [ -z "${DUSTVANE_SKIPPED_LOG:-}" ] || kept+=("$(dirname "$DUSTVANE_SKIPPED_LOG")")
  for folder in "${kept[@]}"; do [ -d "$folder" ] || { echo "no folder $folder to keep in the Wine root" >&2; return 1; }; done
  unshare --mount --propagation private --pid --fork --kill-child bash -euo pipefail -c '
    root=$1 count=$2
    shift 2
    # A mount of its own, so that programs inside can make their own mount
    # namespaces, which change the propagation of their root.
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    while [ "$count" -gt 0 ]; do
      mkdir -p "$root$1"
      mount --rbind "$1" "$root$1"
      shift
      count=$((count - 1))
    done
    touch "$root/etc/resolv.conf"
    mount --bind /etc/resolv.conf "$root/etc/resolv.conf"
    here=$1
    shift
    [ -d "$root$here" ] || here=/
    exec chroot "$root" /usr/bin/env --chdir="$here" "$@"' \
    in-wine-root "$root" ${#kept[@]} "${kept[@]}" "$PWD" "$@"
}

# Inside the root: fetches apt's lists (refresh_package_lists); a suite
# whose lists still cannot all be fetched is then taken out of the root's
# sources for both architectures, and said so. Sets wine_root_left_out to
# the suites taken out.
wine_root_left_out=""
fetch_wine_root_lists() {
  local suite release
  release=$(debian_codename)
  refresh_package_lists
  [ -n "$lists_stale" ] || return 0
  for suite in $(grep -o 'dists/[^/ ]*/' <<<"$lists_errors" | sed 's#^dists/##; s#/$##' | sort -u); do
    [ "$suite" != "$release" ] || { echo "windows: FAILED: the lists of $release itself could not be fetched for the Wine root"; exit 1; }
    sed -i "/ $suite main\$/d" /etc/apt/sources.list
    wine_root_left_out+="$suite "
    echo "The Wine root goes without $suite this time: its lists could not all be fetched, and taken for one architecture only it would leave the other's libraries at other versions"
  done
  rm -rf /var/lib/apt/lists/*
  apt-get update -qq
}

# Inside the root: the i386 architecture, apt's lists, and the packages.
# Prints "complete" when no suite was left out.
set_up_inside_wine_root() {
  export DEBIAN_FRONTEND=noninteractive
  dpkg --add-architecture i386
  fetch_wine_root_lists >&2
  install_packages "$wine_root_packages" >&2
  [ -n "$wine_root_left_out" ] || echo complete
}

# Makes the root at ROOT unless one made from the same stamp is there. As
# root only. Fails, having said why, when it cannot be made.
prepare_wine_root() {
  local root=$1 stamp archive uri keyring made
  stamp=$(wine_root_stamp)
  [ "$(cat "$root/.dustvane-stamp" 2>/dev/null)" != "$stamp" ] || return 0
  archive=$(configured_archive "$(debian_codename)")
  [ -n "$archive" ] || { echo "windows: FAILED: apt has no Debian archive for $(debian_codename) to make the Wine root from"; return 1; }
  uri=${archive%%$'\t'*}
  keyring=${archive#*$'\t'}
  echo "Making the Wine root $root from $uri"
  rm -rf "$root"
  mkdir -p "$root"
  debootstrap --variant=minbase ${keyring:+--keyring="$keyring"} "$(debian_codename)" "$root" "$uri" \
    >"$root.log" 2>&1 || { tail -n 5 "$root.log"; echo "windows: FAILED: debootstrap could not make the Wine root (see $root.log)"; return 1; }
  if [ -n "$keyring" ] && [ ! -e "$root$keyring" ]; then
    mkdir -p "$(dirname "$root$keyring")"
    cp "$keyring" "$root$keyring"
  fi
  wine_root_sources >"$root/etc/apt/sources.list"
  made=$(in_wine_root "$root" bash -c "source '$scripts/windows/wine-root.sh' && set_up_inside_wine_root") || return 1
  [ "$made" != complete ] || echo "$stamp" >"$root/.dustvane-stamp"
}

# For the scripts that need Wine and run on their own: unless Wine is
# installed here or the script already runs in the root, runs the script
# ($1, with its arguments) again inside the Wine root the Windows stage made,
# and exits with its status.
run_in_wine_root_unless_wine_is_here() {
  command -v wine >/dev/null && return 0
  local root
  root=$(wine_root_folder "${DUSTVANE_WIN_OUT:-$top}")
  [ -f "$root/.dustvane-stamp" ] || [ -x "$root/usr/bin/wine" ] ||
    { echo "Wine is not installed here, and there is no Wine root yet: run scripts/test-windows.sh (as root) first" >&2; exit 1; }
  [ "$(id -u)" -eq 0 ] || { echo "Wine runs in its own root here ($root): run this as root" >&2; exit 1; }
  in_wine_root "$root" "$@"
  exit $?
}
