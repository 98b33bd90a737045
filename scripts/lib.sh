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

# start_weston DIR: weston's headless backend (one 1280x800 output) with
# XWayland, as a Wayland desktop runs it. Exports BRIMWELL_TEST_WAYLAND_DISPLAY
# (the socket's path) and BRIMWELL_TEST_XWAYLAND_DISPLAY (":N").
start_weston() {
  local dir="$1/wayland" log="$1/weston.log" display=""
  mkdir -p "$dir" && chmod 700 "$dir"
  # XWayland listens in /tmp/.X11-unix, which a machine without X may lack.
  [ -d /tmp/.X11-unix ] || { mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix; }
  XDG_RUNTIME_DIR="$dir" setsid weston --backend=headless-backend.so --xwayland --socket=wayland-brimwell \
    --width=1280 --height=800 --idle-time=0 --log="$log" >/dev/null 2>&1 &
  pids+=($!)
  # Up to 30 s: a loaded machine starts it slowly.
  for _ in $(seq 300); do
    # The log may not exist yet on the first look.
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log" 2>/dev/null | head -n1 || true)
    [ -n "$display" ] && [ -S "$dir/wayland-brimwell" ] && break
    sleep 0.1
  done
  if [ -z "$display" ] || [ ! -S "$dir/wayland-brimwell" ]; then
    echo "weston did not start with XWayland" >&2
    cat "$log" >&2 2>/dev/null
    return 1
  fi
  export BRIMWELL_TEST_WAYLAND_DISPLAY="$dir/wayland-brimwell" BRIMWELL_TEST_XWAYLAND_DISPLAY="$display"
}

# start_sound_server DIR: a private PulseAudio with one null sink, as a
# machine without sound hardware has none; exports PULSE_SERVER.
start_sound_server() {
  local dir="$1/pulse"
  mkdir -p -m 700 "$dir"
  HOME="$1" XDG_RUNTIME_DIR="$dir" pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
    --log-target=stderr --log-level=error \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
    --load="module-null-sink sink_name=speakers" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$dir/native" ] && break; sleep 0.1; done
  export PULSE_SERVER="unix:$dir/native"
}
