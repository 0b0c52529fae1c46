#!/usr/bin/env bash
# The Windows build under Wine, on an X server of its own (Xvfb): the test
# suite keldar_tests.exe, then keldar.exe end to end on Wine's COM3, linked
# to the radio emulator's pty: it connects, Hamlib's rigctl -m 2 reads and
# sets the frequency through its --rigctld port, a typed entry shows in the
# window, F3 sends "NB01", Q ends it with status 0 and savmem.dat written.
# A missing COM port is reported once. With --radio tcp: it connects to a
# radio that socat serves over TCP. The zip, when it was made: its
# keldar.exe reports the one version, its README.txt is plain ASCII with CR
# LF line ends and every C:\Keldar path it names is in the zip.
#
#   wine_checks.sh BUILD_WINDOWS_DIR RADIO_EMULATOR
set -u

build=$(cd "$1" && pwd)
emulator=$2
version=$(cat "$build/version.txt")
title="*** Keldar Front Panel v$version ***"
zip=$build/../dist/keldar-$version-windows.zip

for tool in wine wineboot wineserver Xvfb xdotool rigctl python3 socat; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "FAIL: $tool is not installed (scripts/setup windows installs it)"
    exit 1
  fi
done

. "$(dirname "$0")/../../scripts/lib/xvfb-wine.sh"

work=$(mktemp -d)
xvfb_pid=
emulator_pid=
keldar_pid=
tcp_emulator_pid=
socat_pid=
cleanup() {
  for pid in "$keldar_pid" "$emulator_pid" "$socat_pid" "$tcp_emulator_pid"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fi
  done
  wineserver -k 2>/dev/null
  if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then kill -TERM "$xvfb_pid"; fi
  [ -n "${KELDAR_KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  for f in "$work"/*.log "$work"/run/trace.txt "$work"/keldar.err; do
    [ -e "$f" ] && { echo "--- $f (last lines)"; tail -n 40 "$f"; }
  done
  exit 1
}

# A loopback port nothing listens on.
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}


start_xvfb 1280x1024x24 "$work/xvfb.log" || fail "Xvfb did not start"
start_wine "$build" "$work/wineboot.log" || fail "wineboot failed"

echo "== keldar_tests.exe under Wine, each test on its own"
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300) >"$work/ctest.log" 2>&1 ||
  { tail -n 60 "$work/ctest.log"; fail "keldar_tests.exe failed"; }
grep -E "tests passed|\(Skipped\)" "$work/ctest.log"

echo "== keldar.exe on COM3 under Wine"
mkdir -p "$work/run"
printf '%s\r\n' "COM=3" "Speed=38400" "Power=100" "Swr=1" "Atu=1" "Bands  =7" "Switch=0" \
  "Dcs=1" "10m = +100" "6m = -500" "2m = -600" "70cm= -7600" "Relay=0" "Debug=1" \
  >"$work/run/keldar.cfg"
# The phrases: "delay" is the pause before each reply is read.
bash "$(dirname "$0")/../../scripts/make-phrases" "$work/run" >/dev/null ||
  fail "cannot make the phrases"
rm -f "$WINEPREFIX/dosdevices/com3"
"$emulator" --link "$WINEPREFIX/dosdevices/com3" --log "$work/radio.log" \
  >"$work/emulator.log" 2>&1 &
emulator_pid=$!
wait_for 100 test -L "$WINEPREFIX/dosdevices/com3" || fail "the emulator made no pty"

port=$(free_port)
(cd "$work/run" && exec wine "$build/keldar.exe" --trace trace.txt --rigctld "127.0.0.1:$port") \
  >"$work/keldar.out" 2>"$work/keldar.err" &
keldar_pid=$!
wait_for 300 grep -qs ' SAY wave/connected.wav$' "$work/run/trace.txt" ||
  fail "the panel did not connect on COM3"
# xdotool takes a pattern: the stars and dots of the title are left out.
window=$(xdotool search --name "Keldar Front Panel v3" | head -n 1)
[ -n "$window" ] || fail "no window titled \"$title\""
# The keys reach Wine's window without setting the X focus; with no window
# manager, xdotool's windowfocus makes Wine drop some of them.
# Keys wait for the set-up that follows "connected" to finish.
wait_for 300 bash -c "sed -n '/SAY wave\/connected.wav/,\$p' '$work/run/trace.txt' | grep -q ' READ 3 FA'" ||
  fail "no frequency answer after connecting"
grep -q "sharing the radio (rigctld) on 127.0.0.1:$port" "$work/keldar.err" ||
  fail "keldar.exe did not say where it shares the radio"
# Hamlib's network client from the Linux side, through Wine's Winsock.
rig() { timeout 30 rigctl -m 2 -r "127.0.0.1:$port" "$@" 2>>"$work/rigctl.log"; }
shown=$(rig f) || fail "rigctl f failed"
[ "$shown" = 7100000 ] || fail "rigctl f read '$shown', not the start band's 7100000"
rig F 14250000 || fail "rigctl F 14250000 failed"
wait_for 100 grep -q '^FA014250000;$' "$work/radio.log" || fail "the radio was not tuned to 14250000"
shown=$(rig f) || fail "rigctl f failed"
[ "$shown" = 14250000 ] || fail "rigctl f read '$shown' after F 14250000"
wait_for 100 grep -qE '^[0-9]+ PRINT [0-9]+ [0-9]+ .*14\.250000' "$work/run/trace.txt" ||
  fail "the panel does not show 14.250000"
# What the window shows, as X has it: how much ink a region holds (0..1).
ink() {
  import -window "$window" "$work/shot.png" 2>/dev/null &&
    convert "$work/shot.png" -crop "$1" +repage -colorspace gray -format '%[fx:1-mean]' info:
}
# The help lines are there; the entry field is empty, then shows the entry.
help=$(ink 900x140+20+332) || fail "cannot take a screenshot"
awk "BEGIN { exit !($help > 0.05) }" || fail "no help lines in the window ($help)"
before=$(ink 380x30+50+292)
xdotool key e 1 4
wait_for 50 grep -qE '^[0-9]+ PRINT 50 292 E 14' "$work/run/trace.txt" || fail "the entry was not drawn"
sleep 0.3
after=$(ink 380x30+50+292)
awk "BEGIN { exit !($after > $before + 0.01) }" || fail "the entry is not seen ($before, $after)"
cp "$work/shot.png" "$build/wine-window.png"
xdotool key Return
xdotool key F3 || fail "xdotool key failed"
wait_for 200 grep -q '^NB01;$' "$work/radio.log" || fail "F3 did not send NB01"
grep -qE '^[0-9]+ KEY 114$' "$work/run/trace.txt" || fail "F3 did not arrive as key 114"
xdotool key q
wait_for 300 bash -c "! kill -0 $keldar_pid 2>/dev/null" || fail "Q did not end the panel"
wait "$keldar_pid"
status=$?
keldar_pid=
[ "$status" -eq 0 ] || fail "exit status $status"
[ -s "$work/run/savmem.dat" ] || fail "savmem.dat was not written"

echo "== a missing COM port is reported once"
mkdir -p "$work/missing"
sed 's/^COM=3/COM=9/' "$work/run/keldar.cfg" >"$work/missing/keldar.cfg"
rm -f "$WINEPREFIX/dosdevices/com9"
# Four seconds: the port is tried again about once a second.
(cd "$work/missing" && timeout -s KILL 4 wine "$build/keldar.exe") >/dev/null 2>"$work/missing.err"
wineserver -k 2>/dev/null
grep -c 'COM9' "$work/missing.err" | grep -qx 1 || {
  cat "$work/missing.err"
  fail "COM9 was not reported exactly once"
}

echo "== keldar.exe with --radio tcp under Wine"
# A radio of its own, served by socat; the COM3 radio must hear nothing.
"$emulator" --link "$work/tcp-radio" --log "$work/tcp-radio.log" >"$work/tcp-emulator.log" 2>&1 &
tcp_emulator_pid=$!
wait_for 100 test -L "$work/tcp-radio" || fail "the second emulator made no pty"
radio_port=$(free_port)
socat -d -d "TCP-LISTEN:$radio_port,bind=127.0.0.1,reuseaddr" "FILE:$work/tcp-radio,raw,echo=0" \
  2>"$work/socat.log" &
socat_pid=$!
wait_for 100 grep -q 'listening on' "$work/socat.log" || fail "socat did not listen"
com3_heard=$(wc -l <"$work/radio.log")
(cd "$work/run" && exec wine "$build/keldar.exe" --trace tcp-trace.txt --radio "tcp:127.0.0.1:$radio_port") \
  >"$work/keldar-tcp.out" 2>"$work/keldar-tcp.err" &
keldar_pid=$!
wait_for 300 grep -qs ' SAY wave/connected.wav$' "$work/run/tcp-trace.txt" ||
  fail "the panel did not connect over --radio tcp"
grep -q '^FA;$' "$work/tcp-radio.log" || fail "the radio behind socat was not asked its frequency"
[ "$(wc -l <"$work/radio.log")" -eq "$com3_heard" ] || fail "--radio tcp still used COM3"
kill -KILL "$keldar_pid"
wait "$keldar_pid" 2>/dev/null
keldar_pid=
wineserver -k 2>/dev/null

if [ -f "$zip" ]; then
  echo "== the zip: $(basename "$zip")"
  unzip -q "$zip" -d "$work/zip" || fail "cannot unzip"
  [ -f "$work/zip/Keldar/keldar.exe" ] || fail "no Keldar/keldar.exe in the zip"
  shown=$(wine "$work/zip/Keldar/keldar.exe" --version | tr -d '\r')
  [ "$shown" = "keldar $version" ] || fail "the zip's keldar.exe says '$shown', not keldar $version"
  wine "$work/zip/Keldar/keldar.exe" --help | tr -d '\r' >"$work/help.txt"
  grep -q -- '--trace FILE' "$work/help.txt" || fail "--help lacks the descriptions"
  grep -q -- '--rigctld \[ADDRESS:\]PORT' "$work/help.txt" || fail "--help lacks --rigctld"
  grep -q -- '--radio tcp:HOST:PORT' "$work/help.txt" || fail "--help lacks --radio"
  if grep -q -- '--terminal' "$work/help.txt"; then fail "--help offers --terminal"; fi
  readme=$work/zip/Keldar/README.txt
  if LC_ALL=C grep -qP '[^\x00-\x7F]' "$readme"; then fail "README.txt is not plain ASCII"; fi
  [ "$(grep -c $'\r$' "$readme")" -eq "$(wc -l <"$readme")" ] || fail "README.txt lines lack CR LF"
  for named in $(grep -o 'C:\\Keldar\\[A-Za-z.]*' "$readme" | sort -u); do
    inside=${named#C:\\Keldar\\}
    inside=${inside%.}  # a sentence's full stop
    [ -e "$work/zip/Keldar/$inside" ] || fail "README.txt names $named, not in the zip"
  done
fi

echo "PASS: keldar_tests.exe, and keldar.exe on COM3, --rigctld and --radio tcp under Wine"
exit 0
