// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/json_event.h"

#include "core/printable_text.h"

JsonEvent::JsonEvent(const std::string& event)
    : json_("{\"event\":" + JsonString(event))
{
}

JsonEvent& JsonEvent::Raw(const std::string& field, const std::string& json)
{
    json_ += ',';
    json_ += JsonString(field);
    json_ += ':';
    json_ += json;
    return *this;
}

JsonEvent& JsonEvent::Text(const std::string& field, const std::string& value)
{
    return Raw(field, JsonString(value));
}

JsonEvent& JsonEvent::Number(const std::string& field, long long value)
{
    return Raw(field, std::to_string(value));
}

JsonEvent& JsonEvent::Tenths(const std::string& field, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return Raw(field, text);
}

JsonEvent& JsonEvent::Flag(const std::string& field, bool value)
{
    return Raw(field, value ? "true" : "false");
}

JsonEvent& JsonEvent::Texts(const std::string& field, const std::vector<std::string>& values)
{
    std::string list = "[";
    for (const std::string& value : values) {
        if (list.size() > 1)
            list += ',';
        list += JsonString(value);
    }
    list += ']';
    return Raw(field, list);
}

JsonEvent& JsonEvent::Status(const std::string& status, int percent)
{
    Text("status", status);
    return percent >= 0 ? Number("percent", percent) : *this;
}

void JsonEvent::WriteTo(std::FILE* out) const
{
    std::fprintf(out, "%s\n", Json().c_str());
    std::fflush(out);
}

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const unsigned char ch : ValidUtf8(text)) {
        switch (ch) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (ch < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
                quoted += escaped;
            } else {
                quoted += static_cast<char>(ch);
            }
        }
    }
    return quoted + "\"";
}
