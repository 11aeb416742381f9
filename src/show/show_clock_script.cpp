// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/show_clock_script.h"
#include "show/show_document.h"


QByteArray WithShowClock(const QByteArray& show)
{
    return WithPageScript(show, QStringLiteral("show_clock"), QJsonValue(), ScriptPlace::BeforeShowScript);
}
