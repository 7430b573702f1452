#!/usr/bin/env bash
# Runs the real program on a real X server (Xvfb) under a real window manager (openbox, which
# like most Linux desktops takes Alt with a click for itself) and drives it with real X input
# (xdotool), as a person would:
# - cuts the logo text through the Edit menu reached by sliding over from the File menu, and
#   pastes it back through the Edit menu reached with the arrow key from the File menu;
# - moves a character and every later one with Shift held on a position button;
# - colours a character and every later one in the colour picker, once confirmed with
#   Shift+Return and once with Shift and a click on OK;
# - stops a long export from its progress window, with Escape and with its Cancel button.
# Then it checks that the stopped exports left no file, and the document byte for byte.
# usage: on_a_desktop.sh PROGRAM
set -euo pipefail
program="$1"

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_desktop_session

# Places on the menu bar, in the window's own coordinates: "ファイル" and "編集".
menu_y=$((bar / 2))
file_menu=35
edit_menu=85

# ---- the Edit menu, slid over to from the File menu: "QZ7AB" typed, selected and cut
click 223 23
xdotool key ctrl+a
xdotool type --delay 40 "QZ7AB"
xdotool key ctrl+a
settle
xdotool mousemove --window "$main" "$file_menu" "$menu_y" click 1
settle
xdotool mousemove --window "$main" 60 "$menu_y"
xdotool mousemove --window "$main" "$edit_menu" "$menu_y"
settle
# The enabled items, from the top: 取り消す (the typing can be undone), then カット.
xdotool key Down Down Return
settle

# ---- the Edit menu, reached with the arrow key from the File menu: "K" typed, the cut text
# pasted after it
xdotool type --delay 40 "K"
settle
xdotool mousemove --window "$main" "$file_menu" "$menu_y" click 1
settle
# Right opens 編集 on its first enabled item, 取り消す; with nothing selected, カット and コピー
# are off, so the next enabled item is 貼り付け.
xdotool key Right
settle
xdotool key Down Return
settle

# Ctrl+S: the save dialog, since the window has no file yet.
xdotool key ctrl+s
dialog="$(new_window "$main")"
answer_file_dialog "$dialog" "$work/out/logo.TXT"
wait_for_file "$work/out/logo.TXT"
settle
expect_document "$work/out/logo.TXT" \
  $'KQZ7AB\n255:255:255\n10,0:0:0,0\n16,0:0:0,92\n25,0:0:0,184\n33,0:0:0,276\n0,0:0:0,368\n1,0:0:0,460\n'

# ---- Shift on a position button: the second character and every later one move by +10
click 128 59
xdotool key Down Return
settle
click 507 59 shift
# Without Shift, only the second one: +1.
click 469 59

# Picks the colour typed as an HTML colour in the character colour picker, and leaves the picker
# open for the confirmation; prints the picker's id.
pick_character_colour() {
  local picker
  click 296 60
  picker="$(new_window "$main")"
  xdotool windowfocus "$picker" 2>/dev/null || true
  settle
  # Alt+H: the picker's "HTML:" field.
  xdotool key alt+h ctrl+a
  xdotool type --delay 20 "$1"
  settle
  echo "$picker"
}

# ---- the third character and every later one red, confirmed with Shift+Return
click 128 59
xdotool key Down Return
settle
picker="$(pick_character_colour "#ff0000")"
xdotool key shift+Return
window_gone "$picker"
settle

# ---- the fifth character and every later one blue, confirmed with Shift and a click on OK,
# which stands at the bottom right of the picker, left of Cancel
click 128 59
xdotool key Down Down Return
settle
picker="$(pick_character_colour "#0000ff")"
eval "$(xdotool getwindowgeometry --shell "$picker")"
xdotool keydown shift
xdotool mousemove --window "$picker" $((WIDTH - 138)) $((HEIGHT - 25)) click 1
xdotool keyup shift
window_gone "$picker"
settle

# Ctrl+S writes to the window's file.
xdotool key ctrl+s
settle 1

# ---- a long export (one character at the greatest height, 32767 x 32767), stopped from its
# progress window, once with Escape and once with its Cancel button, at the bottom right: no file
click 223 23
xdotool key ctrl+a
xdotool type --delay 40 "Q"
click 170 275
xdotool key ctrl+a
xdotool type --delay 40 "32767"
settle
for stop in Escape Cancel; do
  click 545 276
  dialog="$(new_window "$main")"
  answer_file_dialog "$dialog" "$work/out/big.PNG"
  progress="$(new_window "$main")"
  if [ "$stop" = Escape ]; then
    xdotool windowfocus "$progress" 2>/dev/null || true
    xdotool key Escape
  else
    eval "$(xdotool getwindowgeometry --shell "$progress")"
    xdotool mousemove --window "$progress" $((WIDTH - 52)) $((HEIGHT - 26)) click 1
  fi
  window_gone "$progress"
  settle
  [ "$(ls "$work/out")" = "logo.TXT" ] || fail "an export stopped with $stop left: $(ls "$work/out")"
done

# Ctrl+W: the close prompt, for the logo typed since the save, answered with "Don't Save",
# the button after the default one, Save.
xdotool key ctrl+w
prompt="$(new_window "$main")"
xdotool windowfocus "$prompt" 2>/dev/null || true
settle
xdotool key Tab Return
program_ended_well

expect_document "$work/out/logo.TXT" \
  $'KQZ7AB\n255:255:255\n10,0:0:0,0\n16,0:0:0,103\n25,255:0:0,194\n33,255:0:0,286\n0,0:0:255,378\n1,0:0:255,470\n'
echo "end-to-end on a desktop: passed (Edit menu, Shift with a button and in the colour picker, stopped exports)"
