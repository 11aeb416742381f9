#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test executable ($@) on a headless Wayland display of its own (weston) with no X
# display to fall back on, and a sound server: the test run's own, or else one of its own.
# Everything it started stops at the end. Exits 77 (skipped) where weston is not installed.
set -uo pipefail
source "$(cd "$(dirname "$0")/../.." && pwd)/scripts/test-services.sh"
if ! command -v weston >/dev/null 2>&1; then
  echo "weston is not installed" >&2
  exit 77
fi
trap stop_services EXIT
start_wayland || exit 1
if [ -z "${PULSE_SERVER:-}" ] && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ]; then
  start_sound_server || exit 1
fi
unset DISPLAY
export QT_QPA_PLATFORM=wayland
# A headless weston has no seat, and Qt 6.4's Wayland text input then dereferences the missing
# keyboard as soon as the browser's view takes the focus (a crash in
# QWaylandInputDevice::textInput): the compose input method, which needs no seat, stands in.
# Every desktop has a seat, so the program itself needs no such setting.
export QT_IM_MODULE=compose
"$@"
