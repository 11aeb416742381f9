// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/conversion_events.h"

#include <QJsonDocument>
#include <QJsonObject>

std::optional<ConversionEvent> ReadConversionEvent(const std::string& line)
{
    if (line.empty() || line.front() != '{')
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line));
    const QJsonObject object = document.object();
    if (!document.isObject() || !object.value("event").isString())
        return std::nullopt;
    ConversionEvent event;
    event.event = object.value("event").toString().toStdString();
    event.status = object.value("status").toString().toStdString();
    event.percent = object.value("percent").toInt(-1);
    event.path = object.value("path").toString().toStdString();
    event.reason = object.value("reason").toString().toStdString();
    return event;
}

std::string ErrorOfLogLine(const std::string& line)
{
    if (line.rfind("deckrec: ", 0) != 0 || line.rfind("deckrec: warning: ", 0) == 0)
        return {};
    return line.substr(9);
}
