// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/page_scripts.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kFolder[] = ":/scripts/";

} // namespace

QByteArray PageScript(const QString& name)
{
    QFile file(QLatin1String(kFolder) + name + QStringLiteral(".js"));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "deckrec: the page script %s is not built into the program\n", qPrintable(name));
        std::abort();
    }
    return file.readAll();
}

QStringList PageScriptNames()
{
    QStringList names;
    for (QString name : QDir(QLatin1String(kFolder)).entryList({QStringLiteral("*.js")}, QDir::Files, QDir::Name)) {
        name.chop(3);
        names << name;
    }
    return names;
}
