#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Refreshes the README's pictures in data/screenshots/: the Main window's three pages and the
# Recorder playing the sample deck, taken from the built program under a private X display and
# sound server, and an animated GIF of the sample deck made by the program itself.
# Usage: scripts/make-screenshots.sh [PROGRAM] (default build/bin/deckrec). Needs xdotool and ffmpeg.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "${1:-$root/build/bin/deckrec}")"
deck="$root/data/sample/deckrec-sample.fodp"
out="$root/data/screenshots"
mkdir -p "$out"

source "$root/scripts/test-services.sh"
scratch=$(mktemp -d /tmp/deckrec-screenshots.XXXXXX)
app_pid=""
wm_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  stop_services
  rm -rf "$scratch"
}
trap cleanup EXIT
DECKREC_TEST_SCREEN=1280x800x24 start_display
start_sound_server
export XDG_CACHE_HOME="$scratch/cache" QT_QPA_PLATFORM=xcb
# A window manager draws the title bars.
openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1

# One PNG of a screen area, without the mouse pointer: x y width height file.
grab() {
  ffmpeg -loglevel error -y -f x11grab -draw_mouse 0 -video_size "$3x$4" -i "$DISPLAY+$1,$2" -frames:v 1 "$5"
}
# The client area of a window on the screen: sets X Y WIDTH HEIGHT.
client_area() {
  local info
  info=$(xwininfo -id "$1")
  X=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  Y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
  WIDTH=$(awk '/Width:/ {print $NF}' <<<"$info")
  HEIGHT=$(awk '/Height:/ {print $NF}' <<<"$info")
}
# One PNG of a window with the title bar and border the window manager gives it.
grab_window() {
  local left right top bottom
  client_area "$1"
  read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  grab $((X - left)) $((Y - top)) $((WIDTH + left + right)) $((HEIGHT + top + bottom)) "$2"
}

"$program" "$deck" >"$scratch/program.log" 2>&1 &
app_pid=$!
main=$(xdotool search --sync --onlyvisible --name '^Deckrec 1\.0$' | head -n 1)
xdotool windowactivate --sync "$main"
sleep 2 # start-up fills the device and encoder lists after 500 ms
grab_window "$main" "$out/main-open-ppt.png"
for page in save-video save-gif; do
  xdotool key --window "$main" ctrl+Tab
  sleep 0.5
  grab_window "$main" "$out/main-$page.png"
done
xdotool key --window "$main" ctrl+Tab # back to Open PPT

# Record Now (its place on the Open PPT page) opens the Recorder with the deck.
client_area "$main"
xdotool mousemove --sync $((X + 356)) $((Y + 122)) click 1
xdotool mousemove 0 0
sleep 8 # the show is converted and laid out
grab 0 0 1280 800 "$out/recorder.png"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""

# The animated GIF, by the program's own command line.
"$program" convert "$deck" -o "$out/deckrec-sample.gif" >"$scratch/convert.log" 2>&1 ||
  { tail -n 20 "$scratch/convert.log" >&2; echo "make-screenshots.sh: deckrec convert failed" >&2; exit 1; }
ls -l "$out"
