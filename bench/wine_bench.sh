#!/usr/bin/env bash
# Figures of keldar.exe under Wine (not a test): key J to its "FA..." command
# written, and the tick period, both from the program's own trace, with the
# radio emulator on Wine's COM3 (answering 10 ms after each command, as a
# radio does) and the window on Xvfb; the radio's answer read after its
# command; rigctl -m 2 open + f and a client's f through its --rigctld port;
# and the processor time it takes while idle.
#
#   bench/wine_bench.sh BUILD_WINDOWS_DIR RADIO_EMULATOR [PRESSES]
set -u
build=$(cd "$1" && pwd)
emulator=$2
presses=${3:-40}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
  wineserver -k 2>/dev/null
  [ -n "${KELDAR_KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/../scripts/lib/xvfb-wine.sh"

start_xvfb 1280x1024x24 /dev/null || { echo "Xvfb did not start"; exit 1; }
pids+=("$xvfb_pid")
start_wine "$build" /dev/null >/dev/null || { echo "wineboot failed"; exit 1; }

mkdir -p "$work/run"
printf '%s\r\n' "COM=3" "Speed=38400" "Power=100" "Swr=1" "Atu=1" "Bands  =7" "Switch=0" \
  "Dcs=1" "10m = +100" "6m = -500" "2m = -600" "70cm= -7600" "Relay=0" "Debug=0" \
  >"$work/run/keldar.cfg"
bash "$(dirname "$0")/../scripts/make-phrases" "$work/run" >/dev/null
rm -f "$WINEPREFIX/dosdevices/com3"
"$emulator" --link "$WINEPREFIX/dosdevices/com3" --delay 10 >/dev/null 2>&1 &
pids+=($!)
wait_for 100 test -L "$WINEPREFIX/dosdevices/com3" || { echo "no pty"; exit 1; }
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
(cd "$work/run" && exec wine "$build/keldar.exe" --trace trace.txt --rigctld "127.0.0.1:$port") \
  >/dev/null 2>&1 &
pids+=($!)
trace=$work/run/trace.txt
# Connected once a frequency answer follows the "connected" of the set-up.
connected() { sed -n '/SAY wave\/connected.wav/,$p' "$trace" 2>/dev/null | grep -q ' READ 3 FA'; }
wait_for 600 connected || { echo "no connection"; exit 1; }

# rigctl -m 2 open + f through --rigctld, from the Linux side.
for ((n = 0; n < 10; n++)); do
  start=$(date +%s%N)
  rigctl -m 2 -r "127.0.0.1:$port" f >/dev/null 2>&1
  echo $((($(date +%s%N) - start) / 1000000))
done | sort -n | awk '{ d[NR] = $1 } END { printf "rigctl -m 2 open + f through --rigctld (10 runs): median %d ms, worst %d ms\n", d[int((NR + 1) / 2)], d[NR] }'
# A client's f over one connection, answered from the panel's state.
python3 - "$port" <<'EOF'
import socket, sys, time
link = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
took = []
for _ in range(40):
    start = time.monotonic()
    link.sendall(b"f\n")
    answer = b""
    while not answer.endswith(b"\n"):
        answer += link.recv(100)
    took.append((time.monotonic() - start) * 1000)
    time.sleep(0.013)  # not in step with the ticks
took.sort()
print("f over one connection (40): median %.2f ms, worst %.2f ms" % (took[20], took[-1]))
EOF
# Processor time while idle (the radio polled, nothing typed): keldar.exe
# and the wineserver that carries its system calls.
cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
program=$(pgrep -f 'keldar\.exe --trace' | head -n 1)
server=$(pgrep -n wineserver)
p0=$(cpu "$program") s0=$(cpu "$server")
sleep 10
p1=$(cpu "$program") s1=$(cpu "$server")
awk -v p=$((p1 - p0)) -v s=$((s1 - s0)) -v hz="$(getconf CLK_TCK)" \
  'BEGIN { printf "idle processor time over 10 s: keldar.exe %.1f %%, wineserver %.1f %% of one core\n", 100 * p / hz / 10, 100 * s / hz / 10 }'
# The keys go to Wine's window without setting the X focus: with no window
# manager, xdotool's windowfocus made Wine drop some presses. A press that is
# lost all the same is passed over.
# Each press after the last one's readout: its key meets an idle loop.
idle_after() { [ "$(grep -c ' KEY 74$' "$trace")" -ge "$1" ] && tail -n 1 "$trace" | grep -q ' TICK$'; }
for ((n = 1; n <= presses; n++)); do
  before=$(grep -c ' KEY 74$' "$trace")
  xdotool key j
  wait_for 30 idle_after "$((before + 1))"
  sleep 0.3
done
xdotool key q
wait_for 100 bash -c "! kill -0 ${pids[2]} 2>/dev/null"

# Key J to the next "FA..." written, and the time between ticks while no
# other key holds the loop.
awk '$2 == "KEY" && $3 == 74 { key = $1; next }
     key != "" && $2 == "WRITE" && $4 ~ /^FA[0-9]/ { print $1 - key; key = "" }' "$trace" |
  sort -n >"$work/keys"
awk '$2 == "TICK" { if (last != "") print $1 - last; last = $1 }
     $2 == "KEY" || ($2 == "SAY" && $3 ~ /^wave/) { last = "" }' "$trace" >"$work/ticks"
# The panel's own queries (FA; and SM0;) to their answer read.
awk '$2 == "WRITE" && ($4 == "FA;" || $4 == "SM0;") { asked = $1; what = substr($4, 1, 2); next }
     asked != "" && $2 == "READ" && substr($4, 1, 2) == what { print $1 - asked; asked = "" }' "$trace" |
  sort -n | awk '{ d[NR] = $1; total += $1 }
  END { printf "a query to its answer read (%d, the radio answering after 10 ms): median %d ms, mean %.1f ms, worst %d ms\n",
          NR, d[int((NR + 1) / 2)], total / NR, d[NR] }'
n=$(wc -l <"$work/keys")
[ "$n" -gt 0 ] || { echo "no key J was answered"; exit 1; }
awk -v n="$n" -v presses="$presses" '{ d[NR] = $1; total += $1 }
  END { printf "key J to its FA command written (%d of %d presses, trace in 1 ms steps): median %d ms, mean %.2f ms, worst %d ms\n",
          n, presses, d[int((n + 1) / 2)], total / n, d[n] }' "$work/keys"
awk '{ sum += $1; dev = $1 > 50 ? $1 - 50 : 50 - $1; if (dev > worst) worst = dev }
  END { printf "tick period over %d idle ticks: mean %.3f ms, worst deviation %d ms\n", NR, sum / NR, worst }' \
  "$work/ticks"
