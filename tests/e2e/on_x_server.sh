#!/usr/bin/env bash
# Runs the real program on a real X server (Xvfb) and drives it with real X input (xdotool), as a
# person would: types a logo, picks its second character and moves it, saves with Ctrl+S through
# the save dialog, exports a PNG through the export dialog, moves the character once more and
# closes with Ctrl+W, answering the close prompt with Save. Then it checks the document byte for
# byte and the PNG's size and pixels.
# usage: on_x_server.sh PROGRAM PROBE
set -euo pipefail
program="$1"
probe="$2"

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_x_server
start_program

# The logo: "QZ7" in place of the default, typed into the logo field.
click 223 23
xdotool key ctrl+a
xdotool type --delay 40 "QZ7"
settle
# The second character, chosen from the character menu, then ">>" twice and "<" once: +19.
click 128 59
xdotool key Down Return
settle
click 507 59
click 507 59
click 430 59

# Ctrl+S: the window has no file yet, so the save dialog asks for one.
xdotool key ctrl+s
dialog="$(new_window "$main")"
answer_file_dialog "$dialog" "$work/out/logo.TXT"
wait_for_file "$work/out/logo.TXT"
settle
[ "$(xdotool getwindowname "$main")" = "logo.TXT" ] ||
  fail "after saving the title is \"$(xdotool getwindowname "$main")\""

# "出力" with the PNG row, which is the one chosen at first.
click 545 276
dialog="$(new_window "$main")"
answer_file_dialog "$dialog" "$work/out/logo.PNG"
wait_for_file "$work/out/logo.PNG"

# One more step right (">"), then Ctrl+W: the close prompt, answered with Save (its default).
click 469 59
xdotool key ctrl+w
prompt="$(new_window "$main")"
xdotool windowfocus "$prompt" 2>/dev/null || true
settle
xdotool key Return

# The last window closed: the program ends, and ends well.
program_ended_well

# ---- the document: Q, Z and 7 in black on white, Z moved by 19 and then by 1 more
expect_document "$work/out/logo.TXT" $'QZ7\n255:255:255\n16,0:0:0,0\n25,0:0:0,112\n33,0:0:0,184\n'

# ---- the PNG, exported while Z stood at 111: the default export height, 309
read -r width height format < <("$probe" "$work/out/logo.PNG")
[ "$format" = "png" ] || fail "the export is $format, not png"
[ "$width" -eq 721 ] && [ "$height" -eq 309 ] ||
  fail "the PNG is $width by $height"
for corner in "0 0" "$((width - 1)) 0" "0 $((height - 1))" "$((width - 1)) $((height - 1))"; do
  # shellcheck disable=SC2086
  [ "$("$probe" "$work/out/logo.PNG" $corner)" = "FFFFFF" ] || fail "the corner $corner is not white"
done
# Each glyph leaves dark pixels in its own cell, and the gaps between them stay white.
for cell in 0 248 412; do
  dark="$("$probe" "$work/out/logo.PNG" "$cell" 0 100 "$height")"
  [ "$dark" -gt 1000 ] || fail "the glyph at x $cell has only $dark dark pixels"
done
echo "end-to-end: passed (document and ${width}x${height} PNG as expected)"
