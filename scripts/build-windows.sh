#!/usr/bin/env bash
# Builds Dustvane for Windows with mingw-w64: dustvane.exe for 64-bit (x86-64)
# and 32-bit (i686) Windows, each with its tests, then the installer.
#
#   build-win64/app/win32/dustvane.exe  64-bit program (tests in build-win64/tests)
#   build-win32/app/win32/dustvane.exe  32-bit program (tests in build-win32/tests)
#   dist/dustvane-VERSION-setup.exe     installer holding both
#
# DUSTVANE_WIN_OUT picks another parent folder for the three. Installs what
# scripts/packages-windows-build.txt lists when it is missing (as root;
# otherwise it prints the command to run).
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
out="${DUSTVANE_WIN_OUT:-$top}"
jobs="${DUSTVANE_JOBS:-2}"
install_packages "$scripts/packages-windows-build.txt"

# Release: without debug information the cross build takes half the time.
for arch in 64:x86_64 32:i686; do
  bits=${arch%%:*}
  cmake -S "$top" -B "$out/build-win$bits" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-${arch#*:}.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out/build-win$bits" -j "$jobs"
done

# Static linking leaves the compiler's runtime DLLs (libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll) out; a program that still wants one
# would not start when copied on its own.
for exe in "$out"/build-win{64,32}/app/win32/dustvane.exe "$out"/build-win{64,32}/bench/dustvane-walk.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
  echo "$exe: $(stat -c %s "$exe") bytes, imports $dlls"
  if grep -qi 'lib[^ ]*\.dll' <<<"$dlls"; then
    echo "$exe needs a DLL that Windows does not have" >&2
    exit 1
  fi
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/build-win64/CMakeCache.txt")
mkdir -p "$out/dist"
makensis -V2 -DVERSION="$version" \
  -DEXE64="$out/build-win64/app/win32/dustvane.exe" -DEXE32="$out/build-win32/app/win32/dustvane.exe" \
  -DOUTFILE="$out/dist/dustvane-$version-setup.exe" "$top/packaging/windows/dustvane.nsi"
echo "built $out/dist/dustvane-$version-setup.exe"
