#!/usr/bin/env bash
# End-to-end: the real program opens its window on an X server of its own
# (Xvfb, no window manager), keys typed with xdotool reach the panel as
# Windows virtual-key codes (seen in the trace), and closing the window the
# way a window manager's close box does ends the program with status 0.
#
#   window_e2e.sh KELDAR X11_WINDOW
set -u

keldar=$1
x11window=$2
title='*** Keldar Front Panel v3.3b ***'

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/setup installs it)"
    exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid=
keldar_pid=
cleanup() {
  if [ -n "$keldar_pid" ] && kill -0 "$keldar_pid" 2>/dev/null; then kill -KILL "$keldar_pid"; fi
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then kill -TERM "$xvfb_pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  for f in "$work"/trace*.txt "$work"/keldar*.err; do
    [ -e "$f" ] && { echo "--- $f (last lines)"; tail -n 40 "$f"; }
  done
  exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# The server picks a free display number and writes it once it is ready.
# -noreset keeps NumLock as set between xdotool calls.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(tr -d '\n' <"$work/display")"
export SDL_AUDIODRIVER=dummy
xdotool key Num_Lock || fail "xdotool cannot reach the server"

mkdir -p "$work/run"
printf '%s\r\n' "COM=0" "Speed=38400" "Power=100" "Swr=1" "Atu=1" "Bands  =7" "Switch=0" \
  "Dcs=1" "10m = +100" "6m = -500" "2m = -600" "70cm= -7600" "Relay=0" "Debug=0" \
  >"$work/run/keldar.cfg"

# Starts the panel and waits for its window and its first tick.
start_panel() {
  local name=$1
  "$keldar" --simulate -C "$work/run" --trace "$work/trace-$name.txt" \
    >"$work/keldar-$name.out" 2>"$work/keldar-$name.err" &
  keldar_pid=$!
  window=
  find_window() { window=$("$x11window" find "$title"); }
  wait_for 200 find_window || fail "$name: no window titled \"$title\""
  wait_for 200 grep -q ' TICK$' "$work/trace-$name.txt" || fail "$name: no timer ticks"
  # Once the loop runs the window is final; look it up again in case the
  # video driver replaced it while opening.
  find_window || fail "$name: the window went away"
}

# Waits for the panel to end; its exit status must be 0.
expect_clean_exit() {
  local name=$1
  wait_for 200 bash -c "! kill -0 $keldar_pid 2>/dev/null" || fail "$name: still running"
  wait "$keldar_pid"
  local status=$?
  keldar_pid=
  [ "$status" -eq 0 ] || fail "$name: exit status $status"
  grep -q ' CLOSE$' "$work/trace-$name.txt" || fail "$name: no close request in the trace"
}

# 1. Keys, then the close box.
start_panel keys
xdotool windowfocus --sync "$window" || fail "cannot focus the window"
# j, 5, F3, Page Up, "=", and numeric-pad 5 by its keycode (84): by name,
# xdotool would switch NumLock off to type it.
xdotool key j 5 F3 Prior equal 84 || fail "xdotool key failed"
expected=(74 53 114 33 187 101)
for vk in "${expected[@]}"; do
  wait_for 200 grep -qE "^[0-9]+ KEY $vk\$" "$work/trace-keys.txt" || fail "no KEY $vk"
  wait_for 200 grep -qE "^[0-9]+ KEYUP $vk\$" "$work/trace-keys.txt" || fail "no KEYUP $vk"
done
"$x11window" close "$window" || fail "cannot send WM_DELETE_WINDOW"
expect_clean_exit keys

# 2. SIGTERM is a close request too.
start_panel signal
kill -TERM "$keldar_pid"
expect_clean_exit signal

# 3. A hang-up of the launching terminal ends the panel through shutdown too.
rm -f "$work/run/savmem.dat"
start_panel hangup
kill -HUP "$keldar_pid"
expect_clean_exit hangup
[ -s "$work/run/savmem.dat" ] || fail "hangup: the memory banks were not saved"

echo "PASS: window, keys and close under Xvfb"
exit 0
