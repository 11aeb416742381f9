// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Additions to a slide show's SVG document, made on its text: LibreOffice writes the root
// element first and closes it last, and the program adds only there.

#include <QByteArray>
#include <QJsonValue>

// The show with an attribute on its root element; unchanged when the root has it already.
QByteArray WithRootAttribute(const QByteArray& show, const QByteArray& name, const QByteArray& value);

// The show with content right after its root's start tag, where it is read before any slide.
QByteArray WithAtStart(const QByteArray& show, const QByteArray& content);

// The show with a script before its root's end tag: it runs as the page is parsed, after the
// show's own script and before the show starts.
QByteArray WithScript(const QByteArray& show, const QByteArray& script);

// A value as compact JSON that may stand inside a script's character data.
QByteArray ScriptJson(const QJsonValue& value);
