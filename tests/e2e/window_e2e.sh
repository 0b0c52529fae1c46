#!/usr/bin/env bash
# End-to-end: the real program opens its window on an X server of its own
# (Xvfb, no window manager), keys typed with xdotool reach the panel as
# Windows virtual-key codes (seen in the trace), and closing the window the
# way a window manager's close box does ends the program with status 0.
# Screenshots (ImageMagick's import) show the help lines, the TX marker and
# the SWR during a tune, a typed entry, and a resized window with larger text.
#
#   window_e2e.sh KELDAR X11_WINDOW
set -u

keldar=$1
x11window=$2
title="*** Keldar Front Panel v$("$keldar" --version | cut -d' ' -f2) ***"

for tool in Xvfb xdotool import convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/setup installs it)"
    exit 77
  fi
done

. "$(dirname "$0")/../../scripts/lib/xvfb-wine.sh"

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


# Large enough for the window at twice its size.
start_xvfb 2400x1300x24 "$work/xvfb.log" || fail "Xvfb did not start"
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

# 4. What the window shows, by region of a screenshot.
# ink REGION: how much of the region (WxH+X+Y) is not white, 0..1.
shoot() { import -window "$window" "$work/$1.png" || fail "cannot take a screenshot"; }
ink() { convert "$work/$1.png" -crop "$2" +repage -colorspace gray -format '%[fx:1-mean]' info:; }
more() { awk "BEGIN { exit !($1 > $2) }"; }
# Height of the ink in a band of the screenshot.
inked_height() { convert "$work/$1.png" -crop "$2" +repage -trim -format '%h' info:; }
start_panel show
trace=$work/trace-show.txt
wait_for 300 grep -q ' SAY .*connected\.wav$' "$trace" || fail "show: not connected"
xdotool windowfocus --sync "$window" || fail "cannot focus the window"
shoot idle
more "$(ink idle 925x144+20+332)" 0.04 || fail "no help lines"
more 0.01 "$(ink idle 160x76+450+45)" || fail "a TX marker while receiving"
# A tune: the tuner is off (Atu=1), so a carrier; the simulated radio
# answers the SWR queries.
xdotool key t
wait_for 100 grep -qE '^[0-9]+ PRINT 750 48 SWR 1\.[0-9]' "$trace" || fail "no SWR drawn in the tune"
sleep 0.3
shoot tune
more "$(ink tune 160x76+450+45)" 0.5 || fail "no TX marker in the tune"
more "$(ink tune 150x30+750+48)" 0.05 || fail "no SWR where the S-meter was"
more "$(ink tune 150x30+750+84)" 0.05 || fail "no power below it"
xdotool key t
wait_for 100 grep -qE '^[0-9]+ PRINT 450 45 {5}$' "$trace" || fail "the TX marker stayed"
xdotool key e 1 4 period 2
wait_for 100 grep -qE '^[0-9]+ PRINT 50 292 E 14\.2' "$trace" || fail "the entry was not drawn"
sleep 0.3
shoot entry
more "$(ink entry 300x30+50+292)" 0.03 || fail "the typed entry is not seen"
xdotool key Return
# Twice the size: the same layout, text twice as large.
xdotool windowsize "$window" 1900 1000 || fail "cannot resize"
sleep 1
shoot large
size=$(identify -format '%wx%h' "$work/large.png")
[ "$size" = 1900x1000 ] || fail "the window is $size after resizing"
small=$(inked_height idle 925x24+20+332)
large=$(inked_height large 1850x48+40+664)
more "$large" "$((small * 18 / 10))" || fail "help text $small px high, resized $large px"
more "$(ink large 1850x290+40+664)" 0.04 || fail "no help lines in the resized window"
"$x11window" close "$window" || fail "cannot send WM_DELETE_WINDOW"
expect_clean_exit show

echo "PASS: window, keys and close under Xvfb"
exit 0
