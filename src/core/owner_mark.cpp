// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/owner_mark.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace {

// Field 22 of /proc/PID/stat, the start time in clock ticks since boot; empty for a process
// that is gone or a zombie (it has ended; only its parent has not looked yet).
std::string StartTime(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name in parentheses may hold spaces and parentheses of its own.
    const size_t name = stat.rfind(')');
    if (name == std::string::npos)
        return {};
    std::istringstream fields(stat.substr(name + 1));
    std::string field;
    for (int k = 3; k <= 22 && fields >> field; ++k) {
        if (k == 3 && field == "Z")
            return {};
        if (k == 22)
            return field;
    }
    return {};
}

} // namespace

std::string OwnMark()
{
    return MarkOfProcess(getpid());
}

std::string MarkOfProcess(pid_t pid)
{
    const std::string start = StartTime(pid);
    return start.empty() ? std::string() : std::to_string(pid) + "-" + start;
}

size_t MarkLength(const std::string& text)
{
    size_t i = 0;
    const auto digits = [&] {
        const size_t first = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i;
        return i > first && i - first <= 20;
    };
    if (!digits() || i >= text.size() || text[i] != '-')
        return 0;
    ++i;
    return digits() ? i : 0;
}

bool OwnerEnded(const std::string& mark)
{
    if (MarkLength(mark) != mark.size())
        return false; // not a mark: nothing to judge by
    const std::string pid = mark.substr(0, mark.find('-'));
    if (pid.size() > 9)
        return true;
    return MarkOfProcess(static_cast<pid_t>(std::stol(pid))) != mark;
}
