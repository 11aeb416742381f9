#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds Deckrec and its fuzzer, and runs every test with a private
# X display and sound server.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
[ -x scripts/make-sample.sh ] && bash scripts/make-sample.sh

# The frame reader's fuzzer needs clang's libFuzzer: a small build of its own.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDECKREC_FUZZ_ONLY=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
bash scripts/build.sh -DDECKREC_WERROR=ON -DDECKREC_FUZZ_EXE="$root/build-fuzz/bin/fuzz_load_frame"

source scripts/test-services.sh
trap stop_services EXIT
start_display
start_sound_server

cd build
ctest --output-on-failure -j"$(nproc)" --timeout 600

# The Debian package, unpacked and run from a scratch root; its menu entry and AppStream metadata.
bash "$root/scripts/test-package.sh" "$root/build"

# The same unit tests under the sanitizers, while the display and sound server are still up.
bash "$root/scripts/test-sanitizers.sh"
