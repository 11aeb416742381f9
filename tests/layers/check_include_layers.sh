#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every source file under src/ includes only what its folder's layer may see, so
# the libraries keep linking bottom-up: core knows nothing of Qt, the exporters know nothing of
# each other, batch knows the command line only through core's option table, and only the
# windows (ui) and the command line above them (cli) know everything.
#
#   usage: check_include_layers.sh SRC_DIR
#
# Prints one line per offending include, "file:line: include  (why)", and exits 1 if there is
# any; exits 0 when the tree is clean, 2 on a usage error.
set -uo pipefail
export LC_ALL=C

# ---------------------------------------------------------------------------------------------
# Allowed layers: the project folders (first folder under src/) a file in each folder may
# include from, as #include "<folder>/...".
#
#   folder        may include from
# The platform's backends: each a folder of its own under platform/, a layer of its own.
BACKENDS="platform/x11 platform/pulse platform/webengine platform/ffmpeg platform/fonts platform/speech"
declare -A MAY_INCLUDE=(
    [core]="core"
    [platform]="core platform"
    [platform/x11]="core platform platform/x11"
    [platform/pulse]="core platform platform/pulse"
    [platform/webengine]="core platform platform/webengine"
    [platform/ffmpeg]="core platform platform/ffmpeg"
    [platform/fonts]="core platform platform/fonts"
    [platform/speech]="core platform platform/speech"
    [show]="core platform show"
    [record]="core platform audio record"
    [audio]="core platform audio"
    [video]="core platform platform/ffmpeg video"
    [gif]="core gif"
    [ui]="core platform $BACKENDS show record audio video gif ui"
    [batch]="core platform batch"
    [cli]="core platform $BACKENDS show record audio video gif batch cli"
)

# Single files that may include more than their folder: the program's start picks the windows
# or the command line, so it alone sees both.
declare -A FILE_MAY_INCLUDE=(
    [cli/main.cpp]="ui"
)

# The only folder that may include FFmpeg's headers (libavcodec/, libavformat/, libswscale/ ...):
# every call into FFmpeg, its deleters and its error texts live there.
FFMPEG_FOLDERS="platform/ffmpeg"

# Folders that may not include any Qt header at all.
NO_QT_FOLDERS="core"

# Folders that may include Qt Widgets and Qt WebEngine headers: the windows, the command line
# that shows the browser, and the browser backend that plays the presentation.
WIDGETS_FOLDERS="ui cli platform/webengine"

# Headers of the Qt Widgets module (lower case, so <qwidget.h> is caught as well as
# <QWidget>). QShortcut, QAction, QActionGroup, QUndoStack and QFileSystemModel are Qt Gui
# in Qt 6 and stay allowed, as do QGuiApplication, QScreen, QImage and QPixmap.
WIDGETS_HEADERS="
    qwidget qapplication qmainwindow qdialog qmessagebox qfiledialog qinputdialog
    qcolordialog qfontdialog qprogressdialog qerrormessage qwizard qwizardpage qsplashscreen
    qabstractbutton qpushbutton qtoolbutton qradiobutton qcheckbox qcommandlinkbutton
    qbuttongroup qdialogbuttonbox qlabel qlineedit qtextedit qplaintextedit qtextbrowser
    qcombobox qfontcombobox qabstractslider qslider qdial qscrollbar qabstractspinbox
    qspinbox qdoublespinbox qdatetimeedit qdateedit qtimeedit qkeysequenceedit qcalendarwidget
    qlcdnumber qprogressbar qframe qgroupbox qabstractscrollarea qscrollarea qscroller
    qtabwidget qtabbar qtoolbox qstackedwidget qsplitter qsplitterhandle qmdiarea qmdisubwindow
    qdockwidget qmenu qmenubar qtoolbar qstatusbar qwidgetaction qsizegrip qrubberband
    qfocusframe qtooltip qwhatsthis qsystemtrayicon qcompleter qgraphicsview qgraphicsscene
    qgraphicsitem qgraphicswidget qgraphicseffect
    qlayout qlayoutitem qboxlayout qhboxlayout qvboxlayout qgridlayout qformlayout
    qstackedlayout qspaceritem qsizepolicy
    qabstractitemview qlistview qtreeview qtableview qcolumnview qheaderview qlistwidget
    qtreewidget qtablewidget qtreewidgetitemiterator qitemdelegate qstyleditemdelegate
    qdatawidgetmapper qundoview
    qstyle qcommonstyle qproxystyle qstylefactory qstyleoption qstylepainter
    qopenglwidget qquickwidget qvideowidget qtwidgets qtwidgetsglobal
"
# Also forbidden: anything under QtWidgets/, QtWebEngine*/ and QtOpenGLWidgets/, and every
# QWebEngine* / QQuickWebEngine* class header.
# ---------------------------------------------------------------------------------------------

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 SRC_DIR" >&2
    exit 2
fi
src="${1%/}"
src_abs="$(cd "$src" && pwd -P)"

declare -A is_widgets_header=()
for h in $WIDGETS_HEADERS; do is_widgets_header[$h]=1; done

in_list() { # word, list
    local w
    for w in $2; do [ "$w" = "$1" ] && return 0; done
    return 1
}

may_use_widgets() { # folder
    in_list "$1" "$WIDGETS_FOLDERS"
}

# Is the header (as written between <> or "") one of Qt Widgets' or Qt WebEngine's?
is_widgets_or_webengine() {
    local h="$1" lower
    case "$h" in
        QtWidgets/* | QtWebEngine*/* | QtOpenGLWidgets/* | QWebEngine* | QQuickWebEngine*) return 0 ;;
    esac
    [[ "$h" == */* ]] && return 1
    lower="${h,,}"
    lower="${lower%.h}"
    [ -n "${is_widgets_header[$lower]:-}" ]
}

# The layer of a path below src/: its first folder, or platform/<backend> for a file in a
# backend's folder.
layer_of() { # path below src
    local p="$1" first rest
    first="${p%%/*}"
    rest="${p#*/}"
    if [ "$first" = platform ] && [[ "$rest" == */* ]]; then
        echo "platform/${rest%%/*}"
    else
        echo "$first"
    fi
}

# The project folder an include names, or nothing when it is not a project include. Both
# "gif/x.h" and <gif/x.h> resolve through src/ on the include path; "../gif/x.h" is resolved
# from the including file's folder.
project_folder_of() { # header, including file's folder (absolute)
    local h="$1" dir="$2" first resolved
    if [[ "$h" == ../* || "$h" == ./* || "$h" == */../* ]]; then
        resolved="$(realpath -m "$dir/$h")"
        case "$resolved" in
            "$src_abs"/*/*) layer_of "${resolved#"$src_abs"/}" ;;
        esac
        return
    fi
    [[ "$h" == */* ]] || return
    first="$(layer_of "$h")"
    if [ -n "${MAY_INCLUDE[$first]:-}" ] || [ -d "$src_abs/$first" ]; then
        echo "$first"
    fi
}

offences=0
scanned=0
report() { # file, line, include, why
    printf '%s:%s: %s  (%s)\n' "$1" "$2" "$3" "$4"
    offences=$((offences + 1))
}

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"]'

while IFS= read -r -d '' file; do
    scanned=$((scanned + 1))
    rel="${file#"$src"/}"
    if [[ "$rel" != */* ]]; then
        report "$file" 1 "(file)" "outside every layer folder"
        continue
    fi
    folder="$(layer_of "$rel")"
    if [ -z "${MAY_INCLUDE[$folder]:-}" ]; then
        report "$file" 1 "(file)" "folder '$folder' is not in the layer table"
        continue
    fi
    allowed="${MAY_INCLUDE[$folder]} ${FILE_MAY_INCLUDE[$rel]:-}"
    file_dir="$(cd "$(dirname "$file")" && pwd -P)"

    while IFS= read -r hit; do
        lineno="${hit%%:*}"
        text="${hit#*:}"
        [[ "$text" =~ $include_re ]] || continue
        bracket="${BASH_REMATCH[1]}"
        header="${BASH_REMATCH[2]}"
        if [ "$bracket" = "<" ]; then shown="#include <$header>"; else shown="#include \"$header\""; fi

        target="$(project_folder_of "$header" "$file_dir")"
        if [ -n "$target" ]; then
            if [ -z "${MAY_INCLUDE[$target]:-}" ]; then
                report "$file" "$lineno" "$shown" "'$target' is not a layer folder"
            elif ! in_list "$target" "$allowed"; then
                report "$file" "$lineno" "$shown" "$folder may include only: $allowed"
            fi
            continue
        fi

        if [[ "$header" == libav*/* || "$header" == libsw*/* ]] && ! in_list "$folder" "$FFMPEG_FOLDERS"; then
            report "$file" "$lineno" "$shown" "FFmpeg outside $FFMPEG_FOLDERS"
        elif [ "$bracket" = "<" ] && [[ "$header" == Q* ]] && in_list "$folder" "$NO_QT_FOLDERS"; then
            report "$file" "$lineno" "$shown" "$folder may not include Qt"
        elif is_widgets_or_webengine "$header" && ! may_use_widgets "$folder"; then
            report "$file" "$lineno" "$shown" "Qt Widgets/WebEngine outside ui"
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file")
done < <(find -H "$src" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

# An empty scan is a broken call, not a clean tree.
if [ "$scanned" -eq 0 ]; then
    echo "no .h or .cpp files under $src" >&2
    exit 2
fi
if [ "$offences" -gt 0 ]; then
    echo "$offences include(s) break the layers" >&2
    exit 1
fi
exit 0
