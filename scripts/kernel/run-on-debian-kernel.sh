#!/usr/bin/env bash
# Runs a command on Debian's own kernel for this release (the one its
# linux-image-amd64 brings: Linux 6.1 on Debian 12), in a virtual machine
# under qemu's software emulation (no KVM needed), and exits with the
# command's status.
#
#   scripts/kernel/run-on-debian-kernel.sh COMMAND [ARG...]
#
# The machine sees this machine's files, shared read-only over 9p, beneath a
# writable overlay kept in memory: what the command writes is gone when it
# ends. Its /tmp, /run and /dev are its own, save the checkout, the build
# folder and the current folder, which it sees wherever they lie. The
# command runs as root, in the current folder, with the variables named in
# DUSTVANE_GUEST_ENV passed on.
# The kernel is fetched with apt once and kept in BUILD/debian-kernel.
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
build="${DUSTVANE_BUILD_DIR:-$top/build}"
name="${DUSTVANE_GUEST_NAME:-debian-kernel}"
limit="${DUSTVANE_GUEST_TIMEOUT:-1200}"
fail() { echo "$name: FAILED: $*"; exit 1; }
[ $# -gt 0 ] || { echo "usage: scripts/kernel/run-on-debian-kernel.sh COMMAND [ARG...]" >&2; exit 2; }
install_packages "$scripts/packages-debian-kernel.txt"

# The kernel package linux-image-amd64 depends on in the release itself (its
# security updates included, backports not).
kernel_package() {
  local version
  version=$(apt-cache madison linux-image-amd64 | awk -F'|' -v rel="$(debian_codename)" \
    '$3 ~ (" " rel "(-security|-updates)?/") { gsub(/ /, "", $2); print $2; exit }')
  [ -n "$version" ] || return 0
  apt-cache depends "linux-image-amd64=$version" | awk '$1 == "Depends:" && $2 ~ /^linux-image-[0-9]/ { print $2; exit }'
}

# The modules the initramfs loads, in an order that loads each one's own
# dependencies first: those that reach the host's files over 9p, and overlay.
initramfs_modules() {
  local root=$1 release=$2 module
  for module in virtio_pci 9pnet_virtio 9p overlay; do
    modprobe -d "$root" -S "$release" --show-depends "$module" | awk '$1 == "insmod" { print $2 }'
  done | awk '!seen[$0]++'
}

# Fetches and unpacks the kernel package $2 into $1, and gives its modules
# the index modprobe reads.
prepare_kernel() {
  local dir=$1 package=$2
  rm -rf "$dir" && mkdir -p "$dir"
  (cd "$dir" && apt-get download -q "$package" >/dev/null 2>&1) ||
    (refresh_package_lists && cd "$dir" && apt-get download -q "$package" >/dev/null 2>&1) ||
    fail "apt could not fetch $package"
  dpkg -x "$dir"/"$package"_*.deb "$dir/root" && rm -f "$dir"/"$package"_*.deb
  basename "$(ls -d "$dir"/root/lib/modules/*)" >"$dir/release.new"
  depmod -b "$dir/root" "$(cat "$dir/release.new")"
  mv "$dir/release.new" "$dir/release"
}

# Makes the initramfs $3 for the kernel unpacked in $1 (release $2): busybox,
# the modules and the first process. It is made for every run (it takes
# well under a second), so that it always holds this checkout's init.
make_initramfs() {
  local dir=$1 release=$2 staging module
  staging=$(mktemp -d "$dir/initramfs-XXXXXX")
  mkdir -p "$staging/bin" "$staging/modules"
  cp /bin/busybox "$staging/bin/busybox"
  install -m 0755 "$scripts/kernel/init" "$staging/init"
  : >"$staging/modules.order"
  for module in $(initramfs_modules "$dir/root" "$release"); do
    cp "$module" "$staging/modules/"
    basename "$module" >>"$staging/modules.order"
  done
  (cd "$staging" && find . | cpio -o -H newc --quiet | gzip -1) >"$3"
  rm -rf "$staging"
}

package=$(kernel_package)
[ -n "$package" ] || fail "apt knows no linux-image-amd64 of $(debian_codename) itself (is its archive in apt's sources?)"
kernel_dir="$build/debian-kernel/$package"
[ -s "$kernel_dir/release" ] || prepare_kernel "$kernel_dir" "$package"
release=$(cat "$kernel_dir/release")

# The command, as a script the machine runs: it lies in the build folder,
# which the machine sees where this one does.
run_file=$(mktemp "$build/debian-kernel/run-XXXXXX.sh")
log=$(mktemp "$build/debian-kernel/console-XXXXXX.log")
initrd=$(mktemp "$build/debian-kernel/initrd-XXXXXX.gz")
trap 'rm -f "$run_file" "$log" "$initrd"' EXIT
make_initramfs "$kernel_dir" "$release" "$initrd"
{
  printf 'cd %q || exit 125\n' "$PWD"
  for variable in ${DUSTVANE_GUEST_ENV:-}; do
    [ -z "${!variable+set}" ] || printf 'export %s=%q\n' "$variable" "${!variable}"
  done
  printf 'exec'
  printf ' %q' "$@"
  printf '\n'
} >"$run_file"

# The folders the command needs, kept visible in the machine's own /tmp and
# /run when they lie there (as a clean clone in /tmp does).
keep="$top:$build:$PWD"
case $keep in *[[:space:]]*) fail "the checkout, the build folder and the current folder must have no blanks in their paths" ;; esac

echo "Booting $package ($release) under qemu"
status=0
timeout "$limit" qemu-system-x86_64 -accel tcg -cpu max -m 3072 -smp 2 \
  -display none -serial stdio -monitor none -no-reboot \
  -kernel "$kernel_dir/root/boot/vmlinuz-$release" -initrd "$initrd" \
  -append "console=ttyS0 panic=-1 loglevel=3 dustvane.run=$run_file dustvane.modules=$kernel_dir/root/lib/modules/$release dustvane.keep=$keep" \
  -fsdev local,id=host,path=/,security_model=none,readonly=on,multidevs=remap -device virtio-9p-pci,fsdev=host,mount_tag=hostroot \
  </dev/null | tr -d '\r' | tee "$log" | grep -v '^dustvane-guest-status: ' || status=$?
[ "$status" -ne 124 ] || fail "the machine on $release did not finish within $limit s"
guest_status=$(sed -n 's/^dustvane-guest-status: \([0-9]*\)$/\1/p' "$log" | tail -n 1)
[ -n "$guest_status" ] || fail "the machine on $release ended before the command did (qemu's status $status)"
exit "$guest_status"
