// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Additions to a slide show's SVG document, made on its text: LibreOffice writes the root
// element first and closes it last, and the program adds only there.

#include <QByteArray>
#include <QJsonValue>
#include <QString>

// The show with an attribute on its root element; unchanged when the root has it already.
QByteArray WithRootAttribute(const QByteArray& show, const QByteArray& name, const QByteArray& value);

// The show with content right after its root's start tag, where it is read before any slide.
QByteArray WithAtStart(const QByteArray& show, const QByteArray& content);

// Where a page script goes: before the root's end tag, where it runs as the page is parsed,
// after the show's own script and before the show starts; or at the start, before the show's
// own script.
enum class ScriptPlace { BeforeShowStarts, BeforeShowScript };

// The show with the page script called name (platform/page_scripts.h). A script that is a
// function expression, "(function (plan) { ... })", is called with data as its argument when
// data is given; a script without data is put in once, however often it is asked for.
QByteArray WithPageScript(const QByteArray& show, const QString& name, const QJsonValue& data = QJsonValue(),
                          ScriptPlace place = ScriptPlace::BeforeShowStarts);

// A value as compact JSON that may stand inside a script's character data.
QByteArray ScriptJson(const QJsonValue& value);
