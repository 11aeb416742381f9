// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/page_title.h"

#include "core/text_files.h"

QString PageTitleCaption(const QString& url)
{
    const std::string u = url.toUtf8().toStdString();
    std::string s = u.find('#') != std::string::npos ? TextAfter(u, "///") : "1,First page " + u;
    if (s.find('#') != std::string::npos)
        s = TextAfter(TextAfter(s, "#"), ",");
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())).left(128);
}
