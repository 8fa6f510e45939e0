# The desktop's message font of a Wine prefix, set for one command and put
# back afterwards: source it, do not run it. Windows 10 and 11 set that font
# to a 9-point face where the program's layout was made for an 8-point one;
# the window tests run once under such a setting too.

# The bytes of a LOGFONTW of FACE at POINTS points (at 96 dots per inch), in
# hex, as the registry's WindowMetrics values hold the desktop's fonts.
logfont_hex() {
  local points=$1 face=$2 height hex="" i
  height=$(( (points * 96 + 36) / 72 ))
  height=$(( (1 << 32) - height ))
  for i in 0 1 2 3; do hex+=$(printf %02x $(( (height >> (8 * i)) & 255 ))); done
  hex+=000000000000000000000000   # width, escapement, orientation
  hex+=90010000                   # weight: normal
  hex+=0000000000000022           # not italic..., ANSI, default precision, quality, variable-pitch sans-serif
  for ((i = 0; i < 32; i++)); do
    if [ "$i" -lt "${#face}" ]; then hex+=$(printf %02x00 "'${face:i:1}"); else hex+=0000; fi
  done
  echo "$hex"
}

# with_message_font POINTS FACE COMMAND...: runs COMMAND with the message font
# of $WINEPREFIX set to FACE at POINTS points, then restores what it was.
with_message_font() {
  local points=$1 face=$2 key='HKCU\Control Panel\Desktop\WindowMetrics' saved status=0
  shift 2
  saved=$(mktemp --suffix=.reg)
  wine reg export "$key" "$(winepath -w "$saved")" /y >/dev/null 2>&1
  wine reg add "$key" /v MessageFont /t REG_BINARY /d "$(logfont_hex "$points" "$face")" /f >/dev/null
  "$@" || status=$?
  wine reg import "$(winepath -w "$saved")" >/dev/null 2>&1
  rm -f "$saved"
  return "$status"
}
