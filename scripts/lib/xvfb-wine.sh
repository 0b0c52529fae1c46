# Sourced by the scripts that run the window on an X server of their own
# (the window check, the Wine check and the Wine bench): waiting, Xvfb on a
# free display, and a Wine prefix of the build's own. Not run by itself.

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

# Starts Xvfb with a screen of $1 (WIDTHxHEIGHTxDEPTH), its output in $2,
# and exports DISPLAY. The server picks a free display number and writes it
# once it is ready; -noreset keeps NumLock as set between xdotool calls.
# Sets xvfb_pid (the caller's clean-up ends it); false when it did not start.
start_xvfb() {
  local screen=$1 log=$2 displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -noreset -nolisten tcp 3>"$displayfile" >"$log" 2>&1 &
  xvfb_pid=$!
  if ! wait_for 100 test -s "$displayfile"; then
    rm -f "$displayfile"
    return 1
  fi
  DISPLAY=":$(tr -d '\n' <"$displayfile")"
  export DISPLAY
  rm -f "$displayfile"
}

# Wine with a prefix of the build's own in $1/wineprefix, made once and kept
# between runs; its first start's output goes to $2. No .NET or browser
# engine to install, so the first start stays short.
start_wine() {
  export WINEPREFIX=$1/wineprefix
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -e "$WINEPREFIX/system.reg" ]; then
    echo "== wineboot -i ($WINEPREFIX)"
    wineboot -i >"$2" 2>&1 || return 1
    wineserver -w
  fi
}
