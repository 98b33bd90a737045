# Shared by scripts/run and scripts/test: private display and session bus.
# Each started process is added to $pids; callers kill them on exit. They run
# in sessions of their own so that Ctrl-C reaches only the program, which
# then stops through its normal path while its display and bus still exist.

# start_xvfb: a 1280x800 Xvfb on a free display number; exports DISPLAY.
start_xvfb() {
  local n
  for n in $(seq 150 250); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  setsid Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp +extension XTEST +extension RANDR >"${1:-/dev/null}" 2>&1 &
  pids+=($!)
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

# start_session_bus DIR: a private dbus-daemon; exports DBUS_SESSION_BUS_ADDRESS.
start_session_bus() {
  local file="$1/bus-address"
  setsid dbus-daemon --session --nofork --print-address=3 3>"$file" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$file" ] && break; sleep 0.1; done
  [ -s "$file" ] || { echo "dbus-daemon did not start" >&2; return 1; }
  export DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$file")"
}
