#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Shows that the layer check really fails on a forbidden include: plants one into a copy of
# src/ and expects the check to fail naming that file and line. Also runs it on a small tree
# that uses every allowance (own folder, WebEngine files in platform, Qt Gui classes outside
# ui), which must pass, so an over-eager check is caught before the real tree is clean.
#
#   usage: check_include_layers_selftest.sh CHECK_SCRIPT SRC_DIR SCRATCH_DIR
set -euo pipefail

check="$1"
src="$2"
scratch="$3"
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

fresh_copy() {
    rm -rf "$scratch/src"
    mkdir -p "$scratch"
    cp -R "$src/." "$scratch/src"
}

# Appends the include to a file of the folder (a new file if the folder has none yet) and
# expects the check to report that file and line.
expect_caught() { # folder, include line
    local folder="$1" include="$2" file line output
    fresh_copy
    mkdir -p "$scratch/src/$folder"
    file="$(find "$scratch/src/$folder" -maxdepth 1 -type f -name '*.cpp' | sort | head -n 1)"
    [ -n "$file" ] || file="$scratch/src/$folder/layer_probe.cpp"
    # A file may end without a newline; the include must start a line of its own.
    printf '\n%s\n' "$include" >> "$file"
    line="$(wc -l < "$file")"
    if output="$(bash "$check" "$scratch/src" 2>&1)"; then
        fail "$include in $folder/: the check passed"
    elif ! grep -qF "$file:$line: $include" <<< "$output"; then
        fail "$include in $folder/: the check did not name $file:$line"$'\n'"$output"
    fi
}

expect_caught gif '#include "ui/main_window.h"'
expect_caught core '#include <QWidget>'
expect_caught core '#include <QString>'
expect_caught record '#include "../video/avi_writer.h"'
expect_caught video '#include <QWidget>'
expect_caught cli '#include "ui/recorder_window.h"'
expect_caught platform/x11 '#include "platform/pulse/pulse_connection.h"'
expect_caught platform/ffmpeg '#include "video/avi_writer.h"'
expect_caught video '#include <libavformat/avformat.h>'
expect_caught ui '#include <libswscale/swscale.h>'
# The show's passes know no browser and reach the fonts through the interface handed in; the
# browser gets its shows through the interface too.
expect_caught show '#include <QWebEngineView>'
expect_caught show '#include "platform/webengine/webengine_browser.h"'
expect_caught show '#include "platform/fonts/font_resolver.h"'
expect_caught audio '#include "platform/speech/speech_choice.h"'
expect_caught platform/speech '#include "audio/loudness_meter.h"'
expect_caught platform/webengine '#include "show/presentation_converter.h"'
expect_caught batch '#include "cli/command_line.h"'
expect_caught batch '#include "ui/main_window.h"'

# A tree that keeps every rule.
clean="$scratch/clean"
rm -rf "$clean"
mkdir -p "$clean"/{core,platform/webengine,platform/ffmpeg,show,record,audio,video,gif,ui,batch,cli}
printf '#include <vector>\n#include "core/picture.h"\n' > "$clean/core/picture.h"
printf '#include "core/picture.h"\n#include "platform/sound_input.h"\n#include <QString>\n' \
    > "$clean/platform/sound_input.h"
printf '#include <QWebEngineView>\n#include <QWidget>\n#include <QShortcut>\n' \
    > "$clean/platform/webengine/webengine_browser.cpp"
printf '#include <QtWebEngineCore/QWebEngineUrlScheme>\n' > "$clean/platform/webengine/presentation_scheme.cpp"
printf '#include "record/frame_recorder.h"\n#include <QGuiApplication>\n#include <QScreen>\n#include <QImage>\n#include <QPixmap>\n' \
    > "$clean/record/frame_recorder.cpp"
printf '#include "gif/gif_image.h"\n#include "core/picture.h"\n#include <X11/Xlib.h>\n' > "$clean/gif/gif_image.cpp"
printf '#include "gif/gif_image.h"\n#include "video/avi_writer.h"\n#include <QWidget>\n#include <QtWidgets/QDialog>\n' \
    > "$clean/ui/main_window.cpp"
printf '#include "platform/ffmpeg/libav_support.h"\nextern "C" {\n#include <libavformat/avformat.h>\n}\n' \
    > "$clean/platform/ffmpeg/avi_output_file.cpp"
printf '#include "platform/ffmpeg/container_format.h"\n#include "video/frame_fitting.h"\n' > "$clean/video/video_export.h"
printf '#include "show/show_passes.h"\n#include "platform/font_catalogue.h"\n#include "core/deck_files.h"\n#include <QProcess>\n' \
    > "$clean/show/presentation_converter.cpp"
printf '#include "show/presentation_converter.h"\n#include "platform/fonts/font_resolver.h"\n' > "$clean/ui/windows_main.cpp"
printf '#include "batch/batch_plan.h"\n#include "core/command_options.h"\n#include "platform/child_process.h"\n#include <QJsonDocument>\n' \
    > "$clean/batch/batch_command.cpp"
printf '#include "batch/batch_command.h"\n#include "cli/command_line.h"\n#include "record/recorder_host.h"\n' > "$clean/cli/main.cpp"
if ! output="$(bash "$check" "$clean" 2>&1)"; then
    fail "a tree that keeps every rule was rejected:"$'\n'"$output"
fi

[ "$failures" -eq 0 ] && echo "layer check self-test passed"
exit "$failures"
