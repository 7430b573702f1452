# The X session of the end-to-end tests, sourced by them: a real X server (Xvfb), optionally a
# window manager, the real program started as a fresh user starts it, and the helpers that drive
# it with real X input (xdotool) and wait for what it shows.
# Needs $program set; sets $work (a folder for the test), $app (the program's pid) and $bar (the
# height of the window's menu bar above the content area).

fail() {
  echo "end-to-end: $*" >&2
  if [ -n "${work:-}" ] && [ -s "$work/app.log" ]; then
    echo "---- the program's output" >&2
    cat "$work/app.log" >&2
  fi
  exit 1
}

work="$(mktemp -d)"
xvfb=""
wm=""
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

settle() { sleep "${1:-0.4}"; }

# The X server, on a display number of its own choosing.
start_x_server() {
  local tool
  for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (Debian packages xvfb and xdotool)"
  done
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  [ -s "$work/display" ] || fail "the X server did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$work/display")"
}

# Openbox with its default key and mouse bindings: Alt with a click moves windows, as on most
# Linux desktops.
start_window_manager() {
  command -v openbox >/dev/null || fail "openbox is missing (Debian package openbox)"
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm=$!
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.1
  done
  fail "openbox did not start: $(cat "$work/openbox.log")"
}

# The program, as a fresh user starts it, with its first window: sets $main and $bar.
start_program() {
  mkdir -p "$work/home" "$work/runtime" "$work/out"
  chmod 700 "$work/runtime"
  export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8
  export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 QT_ENABLE_HIGHDPI_SCALING=0
  unset QT_QPA_PLATFORMTHEME SESSION_MANAGER
  "$program" >"$work/app.log" 2>&1 &
  app=$!
  main="$(new_window)"
  settle 1
  [ "$(xdotool getwindowname "$main")" = "Quenz Logo Maker" ] ||
    fail "the window's title is \"$(xdotool getwindowname "$main")\""
  # The window holds its menu bar above the content area, which is 306 pixels high.
  eval "$(xdotool getwindowgeometry --shell "$main")"
  bar=$((HEIGHT - 306))
  [ "$bar" -ge 0 ] && [ "$bar" -lt 80 ] || fail "unexpected window height $HEIGHT"
}

# The program on a desktop: an X server, openbox and the program's first window.
start_desktop_session() {
  start_x_server
  start_window_manager
  start_program
}

# How long a wait for what the program shows may take, in seconds: generous, for a loaded machine.
e2e_wait="${QUENZ_E2E_WAIT:-90}"
# Whether the wait begun at $1 (date +%s%N) has run past the bound.
timed_out() { [ $(($(date +%s%N) - $1)) -gt $((e2e_wait * 1000000000)) ]; }

# Waits for a visible window of the program, other than those given after the first two
# arguments, for which the command $1 holds; prints its id, or fails with the words $2.
await_window() {
  local holds="$1" failure="$2" id known k start
  shift 2
  start="$(date +%s%N)"
  until timed_out "$start"; do
    kill -0 "$app" 2>/dev/null || fail "the program ended while a window was awaited"
    for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null || true); do
      known=0
      for k in "$@"; do [ "$id" = "$k" ] && known=1; done
      [ "$known" -eq 0 ] && "$holds" "$id" && { echo "$id"; return 0; }
    done
    sleep 0.1
  done
  fail "$failure"
}

# Whether a window is one of the program's document windows, not a dialog of one.
document_window() {
  [ "$(xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null)" = \
    "_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_NORMAL" ]
}

# Waits for a visible window of the program other than those given, and prints its id.
new_window() { await_window true "no new window appeared" "$@"; }

# Waits for a visible document window of the program, other than those given, and prints its id.
new_document_window() { await_window document_window "no new document window appeared" "$@"; }

# Whether a window of the program is visible now.
visible() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -qx "$1"; }

# Waits until a visible window of the program is gone.
window_gone() {
  local start
  start="$(date +%s%N)"
  until timed_out "$start"; do
    visible "$1" || return 0
    sleep 0.1
  done
  fail "window $1 did not close"
}

# Gives a window the keyboard and waits until it has it.
focus_window() {
  local start
  start="$(date +%s%N)"
  until timed_out "$start"; do
    xdotool windowfocus "$1" 2>/dev/null || true
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "window $1 did not take the keyboard"
}

wait_for_file() {
  local start
  start="$(date +%s%N)"
  until timed_out "$start"; do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  fail "$1 was not written"
}

# Clicks at a place of the content area, with the keys given after the place held.
click() {
  local x="$1" y="$2" key
  shift 2
  for key in "$@"; do xdotool keydown "$key"; done
  xdotool mousemove --window "$main" "$x" "$(($y + bar))" click 1
  for key in "$@"; do xdotool keyup "$key"; done
  settle
}

# Answers a file dialog with a path.
answer_file_dialog() {
  local dialog="$1" path="$2"
  focus_window "$dialog"
  xdotool key ctrl+a
  xdotool type --delay 20 "$path"
  xdotool key Return
  window_gone "$dialog"
}

# Waits for the program to end once its last window has closed, and checks that it ended well.
program_ended_well() {
  local status=0 start
  start="$(date +%s%N)"
  until timed_out "$start"; do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app" 2>/dev/null && fail "the program did not end when its last window closed"
  wait "$app" || status=$?
  app=""
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# Checks a file's bytes against the text expected.
expect_document() {
  local file="$1" expected="$2" actual
  actual="$(cat "$file"; echo x)"
  actual="${actual%x}"
  if [ "$actual" != "$expected" ]; then
    echo "---- expected" >&2
    printf '%s' "$expected" | od -c >&2
    echo "---- written" >&2
    od -c "$file" >&2
    fail "the document is not as expected"
  fi
}
