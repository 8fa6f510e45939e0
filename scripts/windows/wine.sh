# Wine for the Windows scripts, with the shared helpers of scripts/lib.sh
# (the virtual display among them): source it, do not run it.

# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

# Quiet Wine, without Mono and Gecko (their installers would ask on a screen)
# and without the menu builder, which would copy shortcuts into this
# machine's own desktop menus.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
dustvane_wine_prefixes=()

# Debian's wine command always starts the 32-bit loader when wine32 is
# installed, even where the kernel cannot run 32-bit code; 64-bit Windows
# programs go straight to the 64-bit loader.
wine() {
  if [ "${WINEARCH:-win64}" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
    /usr/lib/wine/wine64 "$@"
  else
    command wine "$@"
  fi
}

# Makes DIR the Wine prefix of what follows, creating it the first time as
# ARCH (win64, or win32 for a 32-bit Windows).
use_wine_prefix() {
  export WINEPREFIX="$1" WINEARCH="$2"
  dustvane_wine_prefixes+=("$1")
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the $WINEARCH Wine prefix $WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wine wineboot.exe -i >"$WINEPREFIX.log" 2>&1
    wineserver -w
  fi
  link_wine_fonts
}

# Wine's own TrueType fonts (package fonts-wine) in the prefix's Fonts
# folder, where Wine 8 looks for them: among them Tahoma, the face Windows
# and Wine map the dialog font "MS Shell Dlg 2" to. Debian's wineboot does
# not put them there, and without them Wine draws the windows in a wider face
# than Windows does. Its bitmap fonts stay out: Wine scales them badly.
link_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
  for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$fonts/$(basename "$font")" ] || ln -s "$font" "$fonts/"
  done
}

# Ends every Wine process of the prefixes this script used.
stop_all_wine() {
  local prefix
  for prefix in "${dustvane_wine_prefixes[@]}"; do
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  done
}
