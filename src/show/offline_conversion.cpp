// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/offline_conversion.h"

#include "platform/remote_content.h"

#include <QDir>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The suite's document links count as untrusted unless the document lies in one of its trusted
// locations, of which a fresh profile has none.
constexpr char kLinksBlockedSettings[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
    "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\"><prop oor:name=\"BlockUntrustedRefererLinks\" "
    "oor:op=\"fuse\"><value>true</value></prop></item>\n"
    "</oor:items>\n";

bool WriteAll(const char* path, const char* text, size_t length)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text, length) == static_cast<ssize_t>(length);
    return ::close(fd) == 0 && written;
}

// "ID ID 1": the one id of the new namespace is the same as outside, so that files keep their
// owners as the converter sees them. Written without the allocating formatters, after fork.
bool MapOwnId(const char* path, unsigned id)
{
    char digits[16];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + id % 10);
        id /= 10;
    } while (id > 0 && count < sizeof digits);
    char line[40];
    size_t length = 0;
    for (int copy = 0; copy < 2; ++copy) {
        for (size_t k = count; k > 0; --k)
            line[length++] = digits[k - 1];
        line[length++] = ' ';
    }
    line[length++] = '1';
    line[length++] = '\n';
    return WriteAll(path, line, length);
}

bool SystemGivesANetworkOfItsOwn()
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0)
        ::_exit(EnterEmptyNetwork() ? 0 : 1);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

ConversionNetwork CurrentConversionNetwork()
{
    if (RemoteContentAllowed())
        return ConversionNetwork::Open;
    static const bool isolated = SystemGivesANetworkOfItsOwn();
    return isolated ? ConversionNetwork::Isolated : ConversionNetwork::LinksBlocked;
}

QString ConversionNetworkTag(ConversionNetwork network)
{
    switch (network) {
    case ConversionNetwork::Open: return QStringLiteral("remote-content");
    case ConversionNetwork::Isolated: return QStringLiteral("offline");
    case ConversionNetwork::LinksBlocked: return QStringLiteral("links-blocked");
    }
    return {};
}

bool EnterEmptyNetwork()
{
    // With the right to (root, or a container's administrator), a network namespace alone.
    if (::unshare(CLONE_NEWNET) == 0)
        return true;
    // Else in a user namespace of its own, which an unprivileged process may make where the
    // system allows it.
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
        return false;
    static const char kDeny[] = "deny";
    return WriteAll("/proc/self/setgroups", kDeny, sizeof kDeny - 1) && MapOwnId("/proc/self/uid_map", uid) &&
           MapOwnId("/proc/self/gid_map", gid);
}

bool WriteLinksBlockedProfile(const QString& profileFolder)
{
    const QString user = profileFolder + QStringLiteral("/user");
    if (!QDir().mkpath(user))
        return false;
    QSaveFile settings(user + QStringLiteral("/registrymodifications.xcu"));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    const qint64 length = static_cast<qint64>(sizeof kLinksBlockedSettings - 1);
    return settings.write(kLinksBlockedSettings, length) == length && settings.commit();
}
