// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/show_cache.h"

#include "core/owner_mark.h"
#include "core/private_working_directory.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Part of every key with the kind of show the program makes: a change of the stored format
// (LibreOffice's options, the seal) gets new names instead of serving shows of the old one.
constexpr char kShowFormat[] = "deckrec-show-svg-1-sealed\n";

constexpr qint64 kDefaultLimitBytes = 1024LL * 1024 * 1024;

QString LockPath(const QString& show)
{
    return show + QStringLiteral(".lock");
}

// The seal's last line: "<!-- deckrec-seal KEY DIGEST -->", an XML comment that the browser
// and the deck readers pass over. The key is the stored name without its extension.
constexpr char kSealStart[] = "\n<!-- deckrec-seal ";
constexpr char kSealEnd[] = " -->\n";

QByteArray SealOf(const QByteArray& content, const QString& place)
{
    return QByteArray(kSealStart) + QFileInfo(place).completeBaseName().toLatin1() + ' ' +
           QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex() + kSealEnd;
}

// Why a stored file does not hold what was sealed for place; empty when it does.
QString SealFault(const QString& place)
{
    struct stat status;
    if (::lstat(QFile::encodeName(place).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return QStringLiteral("it is not a regular file");
    QFile file(place);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read");
    const QByteArray content = file.readAll();
    const qsizetype seal = content.lastIndexOf(kSealStart);
    if (content.isEmpty() || seal < 0 || !content.endsWith(kSealEnd))
        return QStringLiteral("it is incomplete");
    if (content.mid(seal) != SealOf(content.left(seal), place))
        return QStringLiteral("it is damaged or belongs to another deck");
    return {};
}

} // namespace

ShowCache::ShowCache(const QString& folder, qint64 limitBytes, const QString& kind)
    : folder_(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))
    , limitBytes_(limitBytes)
    , kind_(kind.toUtf8() + '\n')
{
    QDir().mkpath(folder_);
    RemoveWorkOfEndedRuns();
}

ShowCache::~ShowCache()
{
    for (const int fd : std::as_const(locks_))
        ::close(fd);
}

QString ShowCache::DefaultFolder()
{
    return QString::fromStdString(DeckrecCacheFolder()) + QStringLiteral("shows/");
}

qint64 ShowCache::DefaultLimitBytes()
{
    const char* megabytes = std::getenv("DECKREC_SHOW_CACHE_MB");
    if (!megabytes || !*megabytes)
        return kDefaultLimitBytes;
    bool ok = false;
    const qint64 value = QByteArray(megabytes).toLongLong(&ok);
    return ok && value >= 0 ? value * 1024 * 1024 : kDefaultLimitBytes;
}

QString ShowCache::ShowPath(const QString& deck, const QString& variant) const
{
    const QFileInfo info(deck);
    if (!info.isFile())
        return {};
    const QString key = variant + QLatin1Char('\n') + info.absoluteFilePath();
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    const auto found = known_.constFind(key);
    if (found != known_.constEnd() && found->size == info.size() && found->modified == modified)
        return found->show;
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray(kShowFormat));
    hash.addData(kind_);
    if (!variant.isEmpty())
        hash.addData(variant.toUtf8() + '\n');
    if (!hash.addData(&file))
        return {};
    const QString show = folder_ + QString::fromLatin1(hash.result().toHex().left(40)) + QStringLiteral(".svg");
    known_.insert(key, {info.size(), modified, show});
    return show;
}

void ShowCache::Touch(const QString& show)
{
    ::utimensat(AT_FDCWD, QFile::encodeName(show).constData(), nullptr, 0);
}

bool ShowCache::TryLock(const QString& show)
{
    if (locks_.contains(show))
        return true;
    const int fd = ::open(QFile::encodeName(LockPath(show)).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no lock to be had: convert all the same
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    locks_.insert(show, fd);
    return true;
}

void ShowCache::Release(const QString& show)
{
    const auto found = locks_.find(show);
    if (found == locks_.end())
        return;
    // The lock file goes while it is still held, so that no one locks a name about to vanish
    // while a newcomer locks a new file: either way one converter at a time, and after the
    // show exists a late one finds it before it would convert.
    QFile::remove(LockPath(show));
    ::close(found.value());
    locks_.erase(found);
}

bool ShowCache::Store(const QString& written, const QString& show)
{
    if (std::rename(QFile::encodeName(written).constData(), QFile::encodeName(show).constData()) != 0)
        return false;
    Touch(show);
    Prune(show);
    return true;
}

bool ShowCache::Seal(const QString& written, const QString& place)
{
    QFile file(written);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray seal = SealOf(file.readAll(), place);
    return file.write(seal) == seal.size() && file.flush();
}

bool ShowCache::Intact(const QString& place, QString* why)
{
    struct stat status;
    if (::lstat(QFile::encodeName(place).constData(), &status) != 0)
        return false; // nothing there yet: nothing wrong either
    const QString fault = SealFault(place);
    if (fault.isEmpty())
        return true;
    if (why)
        *why = fault;
    // A folder or a link in a show's place would never be replaced by a rename.
    if (QFileInfo(place).isDir() && !QFileInfo(place).isSymLink())
        QDir(place).removeRecursively();
    else
        QFile::remove(place);
    return false;
}

QString ShowCache::WorkFolderTemplate() const
{
    const std::string mark = OwnMark();
    return folder_ + QStringLiteral("convert-") + QString::fromStdString(mark.empty() ? "0-0" : mark) +
           QStringLiteral("-XXXXXX");
}

void ShowCache::Prune(const QString& keep)
{
    const QFileInfoList shows = QDir(folder_).entryInfoList({QStringLiteral("*.svg")}, QDir::Files, QDir::Time | QDir::Reversed);
    qint64 total = 0;
    for (const QFileInfo& show : shows)
        total += show.size();
    // Oldest first (QDir::Reversed of newest first).
    for (const QFileInfo& show : shows) {
        if (total <= limitBytes_)
            break;
        if (show.absoluteFilePath() == QFileInfo(keep).absoluteFilePath())
            continue;
        if (QFile::remove(show.absoluteFilePath()))
            total -= show.size();
    }
}

void ShowCache::RemoveWorkOfEndedRuns()
{
    for (const QString& name : QDir(folder_).entryList({QStringLiteral("convert-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const std::string rest = name.mid(8).toStdString();
        const size_t length = MarkLength(rest);
        if (length > 0 && OwnerEnded(rest.substr(0, length)))
            QDir(folder_ + name).removeRecursively();
    }
}
