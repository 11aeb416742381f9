#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The unit tests once more under AddressSanitizer + UndefinedBehaviorSanitizer, and the preview
# painter, the GIF build's coding thread, the session's frame writer and the sound input under
# ThreadSanitizer. Any finding
# fails the run. Sourced by scripts/test.sh after the main test run, with its display and sound
# server still up.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
supp="$root/tests/sanitizers"

unit_tests="core_tests gif_tests avi_tests audio_tests record_tests platform_x11_pixel_tests show_pass_tests ui_tests"
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DDECKREC_WERROR=ON \
  -DDECKREC_SANITIZE=address,undefined >/dev/null
cmake --build "$root/build-asan" -j"$(nproc)" --target $unit_tests
for t in $unit_tests; do
  echo "== $t under AddressSanitizer + UndefinedBehaviorSanitizer"
  supp_file="$supp/lsan.supp"
  if [ "$t" = ui_tests ]; then
    supp_file="$(mktemp)"
    cat "$supp/lsan.supp" "$supp/lsan-ui.supp" >"$supp_file"
  fi
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
    LSAN_OPTIONS="suppressions=$supp_file:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$root/build-asan/tests/$t" --gtest_brief=1
done

cmake -S "$root" -B "$root/build-tsan" -DCMAKE_BUILD_TYPE=Debug -DDECKREC_WERROR=ON \
  -DDECKREC_SANITIZE=thread >/dev/null
cmake --build "$root/build-tsan" -j"$(nproc)" --target gif_tests audio_tests record_tests platform_pulse_server_tests
tsan="suppressions=$supp/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
echo "== the preview painter and the GIF build's coding thread under ThreadSanitizer"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$tsan" "$root/build-tsan/tests/gif_tests" --gtest_filter='Playback.*:FramePacker.*:PackedFrames.*:GifBuild.*' --gtest_brief=1
echo "== the recording session's frame writer and the narration's thread under ThreadSanitizer"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$tsan" "$root/build-tsan/tests/record_tests" --gtest_filter='Session.*:NarrationJob.*' --gtest_brief=1
echo "== the sound input under ThreadSanitizer"
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$tsan" "$root/build-tsan/tests/audio_tests" --gtest_filter='AudioRecorder.*' --gtest_brief=1
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$tsan" "$root/build-tsan/tests/platform_pulse_server_tests" --gtest_brief=1
