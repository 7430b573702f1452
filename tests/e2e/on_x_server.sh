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

fail() {
  echo "end-to-end: $*" >&2
  if [ -n "${work:-}" ] && [ -s "$work/app.log" ]; then
    echo "---- the program's output" >&2
    cat "$work/app.log" >&2
  fi
  exit 1
}

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || fail "$tool is missing (Debian packages xvfb and xdotool)"
done

work="$(mktemp -d)"
xvfb=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# ---- the X server, on a display number of its own choosing
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
[ -s "$work/display" ] || fail "the X server did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

# ---- the program, as a fresh user starts it
mkdir -p "$work/home" "$work/runtime" "$work/out"
chmod 700 "$work/runtime"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 QT_ENABLE_HIGHDPI_SCALING=0
unset QT_QPA_PLATFORMTHEME SESSION_MANAGER
"$program" >"$work/app.log" 2>&1 &
app=$!

settle() { sleep "${1:-0.4}"; }

# Waits for a visible window of the program other than those given, and prints its id.
new_window() {
  local id known
  for _ in $(seq 100); do
    kill -0 "$app" 2>/dev/null || fail "the program ended while a window was awaited"
    for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null || true); do
      known=0
      for k in "$@"; do [ "$id" = "$k" ] && known=1; done
      [ "$known" -eq 0 ] && { echo "$id"; return 0; }
    done
    sleep 0.2
  done
  fail "no new window appeared"
}

# Waits until a visible window of the program is gone.
window_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.2
  done
  fail "window $1 did not close"
}

wait_for_file() {
  for _ in $(seq 100); do
    [ -s "$1" ] && return 0
    sleep 0.2
  done
  fail "$1 was not written"
}

main="$(new_window)"
settle 1
[ "$(xdotool getwindowname "$main")" = "Quenz Logo Maker" ] ||
  fail "the window's title is \"$(xdotool getwindowname "$main")\""
# The window holds its menu bar above the content area, which is 306 pixels high.
eval "$(xdotool getwindowgeometry --shell "$main")"
bar=$((HEIGHT - 306))
[ "$bar" -ge 0 ] && [ "$bar" -lt 80 ] || fail "unexpected window height $HEIGHT"

# Clicks at a place of the content area.
click() {
  xdotool mousemove --window "$main" "$1" "$(($2 + bar))" click 1
  settle
}

# Answers a file dialog with a path.
answer_file_dialog() {
  local dialog="$1" path="$2"
  xdotool windowfocus "$dialog" 2>/dev/null || true
  settle
  xdotool key ctrl+a
  xdotool type --delay 20 "$path"
  xdotool key Return
  window_gone "$dialog"
}

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
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$app" 2>/dev/null && fail "the program did not end when its last window closed"
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# ---- the document: Q, Z and 7 in black on white, Z moved by 19 and then by 1 more
expected=$'QZ7\n255:255:255\n16,0:0:0,0\n25,0:0:0,112\n33,0:0:0,184\n'
actual="$(cat "$work/out/logo.TXT"; echo x)"
actual="${actual%x}"
if [ "$actual" != "$expected" ]; then
  echo "---- expected" >&2
  printf '%s' "$expected" | od -c >&2
  echo "---- written" >&2
  od -c "$work/out/logo.TXT" >&2
  fail "the document is not as expected"
fi

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
