# 32-bit (i386) Linux programs, Wine's 32-bit loader among them, for the
# Windows scripts: source it, do not run it.
#
# Where the kernel runs them, they run as they are. Where it does not (some
# kernels have their 32-bit support switched off), qemu's user-mode emulator
# runs them: qemu-user from the backports suite (the release's own qemu maps
# memory too slowly for Wine), registered in binfmt_misc for i386 programs
# under a name of this run's own, and unregistered again when the run ends.
# DUSTVANE_EMULATE_32BIT=1 takes the emulator even where the kernel would
# run them, to try that path on such a machine: an i386 entry in binfmt_misc
# comes before the kernel's own loader.

binfmt=/proc/sys/fs/binfmt_misc
qemu_i386=/usr/bin/qemu-i386
# i386 ELF programs and shared libraries (ELF class 32, little endian, type
# executable or shared, machine 386), as binfmt_misc's magic and mask.
i386_elf_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_elf_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# Entries of this script are named i386_entry_prefix and the number of the
# run's process, so that a run can tell which are its own.
i386_entry_prefix=dustvane-i386-
i386_entry=""
# binfmt_misc, when a run mounts it, is mounted under this name, so that the
# last run to end (or the next, after one that was killed) unmounts it again.
binfmt_mount_source=dustvane-binfmt_misc

# Whether the kernel itself runs i386 programs. The probe is a 96-byte i386
# program that exits with 42. The last padding byte of its ELF header is set:
# the kernel ignores it, but no emulator's entry in binfmt_misc (this
# script's own, or one left behind) matches it, so only the kernel can run
# the probe. $1 is a folder to write it to.
kernel_runs_32bit() {
  local probe status=0
  probe=$(mktemp "$1/i386-probe-XXXXXX")
  local elf='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x01\x02\x00\x03\x00\x01\x00\x00\x00'
  elf+='\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00'
  elf+='\x00\x00\x00\x00\x00\x00'                                     # end of the ELF header
  elf+='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00'
  elf+='\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'                     # one loaded segment
  elf+='\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'             # exit(42)
  printf '%b' "$elf" >"$probe"
  chmod 755 "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# Whether Wine's 32-bit loader starts, by whatever means.
wine32_runs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# The registration of qemu for i386 programs under the name $1. F: the
# kernel opens qemu once, now, and uses that for every program.
i386_registration() { printf ':%s:M::%s:%s:%s:F\n' "$1" "$i386_elf_magic" "$i386_elf_mask" "$qemu_i386"; }

# Whether qemu-user 10 or later is installed: an older one starts each 32-bit
# Wine process in a minute or more.
qemu_is_recent() {
  local version
  version=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null) || return 1
  dpkg --compare-versions "$version" ge 1:10 && [ -x "$qemu_i386" ]
}

# Entries of earlier runs that ended without removing theirs (killed outright):
# their run is gone, and nothing else runs through them.
remove_entries_of_ended_runs() {
  local entry pid
  for entry in "$binfmt/$i386_entry_prefix"*; do
    [ -e "$entry" ] || continue
    pid=${entry##*-}
    kill -0 "$pid" 2>/dev/null && continue
    echo -1 >"$entry"
    echo "Removed $(basename "$entry") from binfmt_misc: the run that registered it has ended"
  done
}

# Registers qemu for i386 programs under this run's own name, installing
# qemu-user from backports first when it is missing or too old. As root only.
# The caller removes the entry again with stop_emulating_32bit, on every exit.
# Each step checks itself: callers test this function with `if`, where
# errexit does not hold, and a step that fails as root is a failure, not a
# machine that cannot run 32-bit programs.
emulate_32bit() {
  qemu_is_recent || install_from_backports qemu-user
  qemu_is_recent || { echo "windows 32-bit: FAILED: no qemu-user 10 or newer after installing it"; exit 1; }
  mountpoint -q "$binfmt" || mount -t binfmt_misc "$binfmt_mount_source" "$binfmt" ||
    { echo "windows 32-bit: FAILED: could not mount binfmt_misc on $binfmt"; exit 1; }
  remove_entries_of_ended_runs
  i386_entry="$binfmt/$i386_entry_prefix$$"
  i386_registration "$(basename "$i386_entry")" >"$binfmt/register" ||
    { echo "windows 32-bit: FAILED: binfmt_misc refused the entry $(basename "$i386_entry")"; exit 1; }
}

# Removes this run's entry, and unmounts binfmt_misc if a run of this script
# mounted it and nothing is registered there any more. Safe to call again.
stop_emulating_32bit() {
  if [ -n "$i386_entry" ] && [ -e "$i386_entry" ]; then
    echo -1 >"$i386_entry" || echo "Could not remove $i386_entry from binfmt_misc" >&2
  fi
  i386_entry=""
  if [ "$(findmnt -n -o SOURCE "$binfmt")" = "$binfmt_mount_source" ] &&
    [ -z "$(ls "$binfmt" | grep -vx -e register -e status)" ]; then
    umount "$binfmt" || true
  fi
}

# What a user who is not root runs to have qemu run 32-bit programs here,
# then to remove that again.
print_emulation_commands() {
  local name=${i386_entry_prefix%-}
  echo "To run them through qemu, run these as root, then this script again:"
  qemu_is_recent || print_backports_commands qemu-user
  mountpoint -q "$binfmt" || echo "  sudo mount -t binfmt_misc binfmt_misc $binfmt"
  echo "  echo '$(i386_registration "$name")' | sudo tee $binfmt/register"
  echo "and afterwards remove the entry again:"
  echo "  echo -1 | sudo tee $binfmt/$name"
}

# Makes 32-bit programs run for the rest of this script, and sets i386_how to
# how they run; fails, having said what to do, when they cannot run. $1 is a
# folder for the probe. A caller that runs as root must call
# stop_emulating_32bit on every exit.
prepare_32bit() {
  local forced=${DUSTVANE_EMULATE_32BIT:-}
  if [ "$forced" != 1 ] && kernel_runs_32bit "$1"; then
    i386_how="natively (this kernel runs them)"
  elif [ "$(id -u)" -eq 0 ]; then
    emulate_32bit
    i386_how="through $($qemu_i386 --version | head -n 1), registered in binfmt_misc as $(basename "$i386_entry")"
  elif [ "$forced" != 1 ] && wine32_runs; then
    i386_how="through what binfmt_misc has registered for them here"
  else
    if [ "$forced" = 1 ]; then
      echo "DUSTVANE_EMULATE_32BIT=1: registering qemu for 32-bit programs needs root."
    else
      echo "This kernel runs no 32-bit programs itself, and nothing in binfmt_misc runs them."
    fi
    print_emulation_commands
    return 1
  fi
  wine32_runs || { echo "Wine's 32-bit loader does not start, although 32-bit programs run $i386_how"; return 1; }
}
