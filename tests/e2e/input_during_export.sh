#!/usr/bin/env bash
# Input given while an export is written, before its progress window has appeared, waits for the
# export and is then handled, in order, as on a desktop where a task holds no input back for good:
# - a short export, too short for the progress window: Ctrl+N pressed together with the Return
#   that confirms the export dialog makes a new window once the export is written;
# - a long export (32767 x 32767), which shows the progress window: Ctrl+N pressed a moment after
#   the Return, before the progress window appeared, makes a new window once the export is
#   written.
# usage: input_during_export.sh PROGRAM
set -euo pipefail
program="$1"

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=x_session.sh
source "$here/x_session.sh"

start_desktop_session

# Types a height into the size box and opens the export dialog; prints the dialog's id once it
# has the keyboard, with the path typed.
export_dialog() {
  local height="$1" path="$2" dialog
  click 170 275
  xdotool key ctrl+a
  xdotool type --delay 20 "$height"
  xdotool key Tab
  click 545 276
  dialog="$(new_window "$main")"
  focus_window "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 20 "$path"
  echo "$dialog"
}

# ---- a short export, 8667 x 2000: Return starts it; Ctrl+N comes while it is written
dialog="$(export_dialog 2000 "$work/out/logo.PNG")"
xdotool key Return ctrl+n
wait_for_file "$work/out/logo.PNG"
window_gone "$dialog"
second="$(new_document_window "$main")"
echo "end-to-end: Ctrl+N during a short export made a new window"
xdotool windowactivate --sync "$second" key ctrl+w
window_gone "$second"

# ---- a long export: the logo "A" at the greatest height, 32767 x 32767. Ctrl+N a moment after the
# Return that starts it, once the export dialog is gone and the window has the keys again, before
# the progress window is due. A try in which the export dialog was still up, or the progress window
# already, tells nothing (a loaded machine) and is made again; so does one in which Ctrl+N came
# before the export began, its window before the progress window.
long_export_with_ctrl_n() {
  xdotool windowactivate --sync "$main"
  click 223 23
  xdotool key ctrl+a
  xdotool type --delay 20 "A"
  rm -f "$work/out/big.PNG"
  dialog="$(export_dialog 32767 "$work/out/big.PNG")"
  # The windows up just before Ctrl+N and right after it, seen in the same breath: "w ID" lines,
  # the two lists parted by "f ID", the window with the keys.
  local seen kind id list=before doubt="" progress="" start
  seen="$(xdotool key --delay 0 Return sleep 0.05 \
    search --onlyvisible --pid "$app" --name "." getwindowgeometry %@ \
    windowfocus --sync "$main" getwindowfocus key --delay 0 ctrl+n \
    search --onlyvisible --pid "$app" --name "." getwindowgeometry %@ 2>/dev/null |
    sed -n "s/^Window /w /p; s/^\([0-9][0-9]*\)$/f \1/p")"
  while read -r kind id; do
    [ "$kind" = f ] && { list=after; continue; }
    [ "$id" = "$main" ] || ! typed_window "$id" && continue
    if [ "$id" = "$dialog" ]; then
      [ "$list" = before ] && doubt="the export dialog was still up"
    elif [ "$list" = after ]; then
      doubt="a window was up right after Ctrl+N"
    fi
  done <<<"$seen"
  # The progress window; a document window before it is one that Ctrl+N made before the export.
  start="$(date +%s%N)"
  until [ -n "$progress" ]; do
    timed_out "$start" && fail "the long export showed no progress window"
    for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null || true); do
      [ "$id" = "$main" ] || [ "$id" = "$dialog" ] || ! typed_window "$id" && continue
      if document_window "$id"; then doubt="Ctrl+N came before the export"; else progress="$id"; fi
    done
    sleep 0.1
  done
  window_gone "$progress"
  wait_for_file "$work/out/big.PNG"
  [ -z "$doubt" ] || { echo "end-to-end: $doubt; once more"; return 1; }
}
# Whether a window is a document window or a dialog, not a menu or a tooltip.
typed_window() { xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NORMAL; }
tries=0
until long_export_with_ctrl_n; do
  tries=$((tries + 1))
  [ "$tries" -lt 5 ] || fail "no try could tell, in $tries"
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null || true); do
    [ "$id" = "$main" ] || { xdotool windowactivate --sync "$id" key ctrl+w; window_gone "$id"; }
  done
done
[ "$(head -c 8 "$work/out/big.PNG" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
  fail "the long export is not a PNG"
second="$(new_document_window "$main")"
echo "end-to-end: Ctrl+N before the progress window of a long export made a new window"
