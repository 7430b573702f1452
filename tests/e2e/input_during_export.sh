#!/usr/bin/env bash
# Keys pressed while a short export is written wait for it and are then handled, in order: Ctrl+N
# pressed together with the Return that confirms the export dialog makes a new window once the
# export is written, as on a desktop where a task of a moment holds no input back for good.
# usage: input_during_export.sh PROGRAM
set -euo pipefail
program="$1"

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_desktop_session

# A height whose export takes a moment, too short for the progress window: 8667 x 2000.
click 170 275
xdotool key ctrl+a
xdotool type --delay 20 "2000"
xdotool key Tab
settle
click 545 276
dialog="$(new_window "$main")"
xdotool windowfocus "$dialog" 2>/dev/null || true
settle
xdotool key ctrl+a
xdotool type --delay 20 "$work/out/logo.PNG"
# Return starts the export; Ctrl+N comes while it is written.
xdotool key Return ctrl+n
wait_for_file "$work/out/logo.PNG"
window_gone "$dialog"
second="$(new_window "$main" "$dialog")"
[ "$(xdotool getwindowname "$second")" = "Quenz Logo Maker" ] ||
  fail "the new window's title is \"$(xdotool getwindowname "$second")\""
echo "end-to-end: Ctrl+N during a short export made a new window"
