# SPDX-License-Identifier: GPL-3.0-or-later
# Services the tests need, started privately for one test run: a 24-bit X display (Xvfb),
# a PulseAudio daemon with a null sink and a null source, and a headless Wayland compositor
# (weston). Sourced by scripts/test.sh and by the tests that start their own.

start_display() {
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  # Large enough for the Recorder around a 1920 x 1080 capture (2150 x 1151).
  Xvfb ":$n" -screen 0 "${DECKREC_TEST_SCREEN:-2560x1600x24}" -nolisten tcp -ac >/tmp/deckrec-xvfb.log 2>&1 &
  DECKREC_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

start_sound_server() {
  DECKREC_PULSE_DIR=$(mktemp -d /tmp/deckrec-pulse.XXXXXX)
  chmod 700 "$DECKREC_PULSE_DIR"
  export XDG_RUNTIME_DIR="$DECKREC_PULSE_DIR" XDG_CONFIG_HOME="$DECKREC_PULSE_DIR/config"
  unset PULSE_SERVER
  # -n: no default configuration, whose idle suspend would lose the first seconds of a recording;
  # norewinds: playback starting during a monitor recording would stall the capture otherwise.
  pulseaudio -D -n --exit-idle-time=-1 --disallow-exit --system=false \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=spk norewinds=1 sink_properties=device.description=Speakers" \
    --load="module-null-source source_name=mic description=Microphone" >/tmp/deckrec-pulse.log 2>&1 || {
      echo "PulseAudio did not start" >&2; return 1; }
  for _ in $(seq 1 50); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "PulseAudio did not answer" >&2
  return 1
}

# The compositor keeps its socket in a runtime folder of its own; WAYLAND_DISPLAY names the
# socket by its full path, so that XDG_RUNTIME_DIR stays the sound server's. No renderer: the
# program's windows draw themselves into shared memory, and nothing reads the output.
start_wayland() {
  local size="${DECKREC_TEST_SCREEN:-2560x1600x24}" rest
  rest="${size#*x}"
  DECKREC_WESTON_DIR=$(mktemp -d /tmp/deckrec-weston.XXXXXX)
  chmod 700 "$DECKREC_WESTON_DIR"
  XDG_RUNTIME_DIR="$DECKREC_WESTON_DIR" weston --backend=headless-backend.so --socket=wayland-deckrec \
    --width="${size%%x*}" --height="${rest%%x*}" --no-config --idle-time=0 \
    --log="$DECKREC_WESTON_DIR/weston.log" >/dev/null 2>&1 &
  DECKREC_WESTON_PID=$!
  for _ in $(seq 1 100); do
    if [ -S "$DECKREC_WESTON_DIR/wayland-deckrec" ]; then
      export WAYLAND_DISPLAY="$DECKREC_WESTON_DIR/wayland-deckrec"
      return 0
    fi
    kill -0 "$DECKREC_WESTON_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "weston did not start:" >&2
  cat "$DECKREC_WESTON_DIR/weston.log" >&2
  return 1
}

stop_services() {
  if [ -n "${DECKREC_PULSE_DIR:-}" ]; then
    pulseaudio -k >/dev/null 2>&1 || true
    rm -rf "$DECKREC_PULSE_DIR"
  fi
  [ -n "${DECKREC_XVFB_PID:-}" ] && kill "$DECKREC_XVFB_PID" 2>/dev/null || true
  if [ -n "${DECKREC_WESTON_PID:-}" ]; then
    kill "$DECKREC_WESTON_PID" 2>/dev/null || true
    wait "$DECKREC_WESTON_PID" 2>/dev/null || true
    rm -rf "$DECKREC_WESTON_DIR"
  fi
}
