// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/presentation_converter.h"

#include "core/deck_files.h"
#include "platform/remote_content.h"
#include "show/remote_pictures.h"
#include "show/show_cache.h"
#include "show/show_content.h"
#include "show/show_fonts.h"
#include "show/show_passes.h"
#include "show/viewer_pages.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// LibreOffice's export of an Impress document carries its slide show script; other exports
// (a drawing, a text document) do not and cannot be played.
bool IsSlideShow(const QByteArray& content)
{
    return content.contains("theMetaDoc") && content.contains("ooo:meta_slides");
}

QByteArray FileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ConversionResult Failure(const QString& reason)
{
    return {false, QString(), reason};
}

// Room for LibreOffice's profile and the show with some to spare; below it a failed
// conversion is put down to the disk, not to the deck.
constexpr qint64 kRoomForAConversion = 8 * 1024 * 1024;

bool DiskFull(const QString& folder)
{
    QString existing = folder;
    while (!existing.isEmpty() && !QFileInfo::exists(existing))
        existing = QFileInfo(existing).path() == existing ? QString() : QFileInfo(existing).path();
    const QStorageInfo storage(existing.isEmpty() ? QStringLiteral("/") : existing);
    return storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < kRoomForAConversion;
}

QString DiskFullReason(const QString& folder)
{
    return QObject::tr("The disk is full: there is no room for the slide show in %1.").arg(folder);
}

} // namespace

PresentationConverter::PresentationConverter(const QString& cacheFolder, qint64 limitBytes, const FontCatalogue& fonts,
                                             QObject* parent)
    : QObject(parent)
    , fonts_(fonts)
    , cache_(std::make_unique<ShowCache>(cacheFolder, limitBytes, StoredShowTag()))
{
}

PresentationConverter::~PresentationConverter()
{
    for (const QPointer<QProcess>& process : running_) {
        if (!process || process->state() == QProcess::NotRunning)
            continue;
        // Quiet first, so that no caller hears of it; the work folder goes when the
        // handlers holding it are dropped, after LibreOffice is gone.
        process->blockSignals(true);
        StopProcessGroup(process);
        process->waitForFinished(5000);
        process->disconnect(this);
    }
}

void PresentationConverter::Prepare(const QString& presentationPath)
{
    Convert(presentationPath, [](const ConversionResult&) {});
}

void PresentationConverter::StopProcessGroup(QProcess* process)
{
    // The group keeps the leader's id for as long as any of its processes lives.
    const qint64 group = process->property("processGroup").toLongLong();
    if (group > 0)
        ::kill(-static_cast<pid_t>(group), SIGKILL);
    if (process->state() != QProcess::NotRunning)
        process->kill();
}

QString PresentationConverter::ShowsFolder() const
{
    return cache_->folder();
}

bool PresentationConverter::IsPresentationFile(const QString& path)
{
    return IsDeckFile(path.toStdString());
}

QString PresentationConverter::FlatPathOf(const QString& showPath)
{
    QString flat = showPath;
    flat.chop(4); // ".svg"
    return flat + QStringLiteral(".fodp");
}

QString PresentationConverter::CachedShowPath(const QString& presentationPath) const
{
    const QFileInfo info(presentationPath);
    if (!info.isFile())
        return {};
    return cache_->ShowPath(presentationPath, ConversionNetworkTag(CurrentConversionNetwork()));
}

void PresentationConverter::Convert(const QString& presentationPath, std::function<void(const ConversionResult&)> asked)
{
    const QFileInfo info(presentationPath);
    // The reason is kept for whoever learns only that the page could not show the deck.
    auto done = [this, key = info.absoluteFilePath(), asked = std::move(asked)](const ConversionResult& result) {
        if (result.ok)
            failures_.remove(key);
        else
            failures_.insert(key, result.reason);
        asked(result);
    };
    if (!info.exists())
        return done(Failure(tr("The file does not exist.")));
    if (!info.isFile() || !info.isReadable())
        return done(Failure(tr("The file cannot be read.")));
    if (!IsPresentationFile(presentationPath))
        return done(Failure(tr("It is not a presentation: the viewer shows %1 files.")
                                .arg(QString::fromStdString(DeckExtensionsText()))));
    const QString target = CachedShowPath(presentationPath);
    if (target.isEmpty())
        return done(Failure(tr("The file cannot be read.")));
    if (StoredShowIntact(presentationPath, target)) {
        ShowCache::Touch(target);
        return done({true, target, QString()});
    }
    if (QStandardPaths::findExecutable(program_).isEmpty() && !QFileInfo(program_).isExecutable())
        return done(Failure(tr("LibreOffice Impress is not installed (the program %1 was not found).").arg(program_)));

    auto& callbacks = waiting_[target];
    callbacks.push_back(std::move(done));
    if (callbacks.size() == 1)
        startWhenFree(info.absoluteFilePath(), target, CurrentConversionNetwork());
}

bool PresentationConverter::StoredShowIntact(const QString& deck, const QString& show) const
{
    QString why;
    if (ShowCache::Intact(show, &why))
        return true;
    if (!why.isEmpty())
        WarnOfDamage(deck, QStringLiteral("slide show"), why);
    return false;
}

void PresentationConverter::WarnOfDamage(const QString& deck, const QString& what, const QString& why)
{
    std::fprintf(stderr, "deckrec: warning: the stored %s of %s was not used (%s); it is made again\n",
                 what.toLocal8Bit().constData(), deck.toLocal8Bit().constData(), why.toLocal8Bit().constData());
}

void PresentationConverter::startWhenFree(const QString& path, const QString& target, ConversionNetwork network)
{
    if (!waiting_.contains(target))
        return;
    if (!cache_->TryLock(target)) {
        QTimer::singleShot(150, this, [this, path, target, network] { startWhenFree(path, target, network); });
        return;
    }
    // The show may have been stored while this process waited for the lock.
    if (StoredShowIntact(path, target)) {
        cache_->Release(target);
        ShowCache::Touch(target);
        return finish(target, {true, target, QString()});
    }
    start(path, target, network);
}

void PresentationConverter::ConvertToFlat(const QString& presentationPath, std::function<void(const QString&)> done)
{
    const QFileInfo info(presentationPath);
    if (!info.isFile() || !IsPresentationFile(presentationPath))
        return done(QString());
    if (info.suffix().compare(QLatin1String("fodp"), Qt::CaseInsensitive) == 0)
        return done(info.absoluteFilePath());
    // The show's conversion keeps the flat file beside the show; a flat file that is damaged
    // takes its show with it, so that both are made again.
    const QString show = CachedShowPath(presentationPath);
    QString why;
    if (!show.isEmpty() && !ShowCache::Intact(FlatPathOf(show), &why) && !why.isEmpty()) {
        WarnOfDamage(presentationPath, QStringLiteral("speaker notes"), why);
        QFile::remove(show);
    }
    Convert(presentationPath, [this, presentationPath, done = std::move(done)](const ConversionResult& result) {
        const QString flat = FlatPathOf(CachedShowPath(presentationPath));
        done(result.ok && ShowCache::Intact(flat) ? flat : QString());
    });
}

void PresentationConverter::ConvertToPdf(const QString& presentationPath, std::function<void(const QString&)> done)
{
    const QFileInfo info(presentationPath);
    if (!info.isFile() || !IsPresentationFile(presentationPath) || DiskFull(ShowsFolder()))
        return done(QString());
    // Not kept: a PDF is asked for now and then, and the show's cache holds shows.
    auto work = std::make_shared<QTemporaryDir>(cache_->WorkFolderTemplate());
    const ConversionNetwork network = CurrentConversionNetwork();
    if (!work->isValid() ||
        (network == ConversionNetwork::LinksBlocked && !WriteLinksBlockedProfile(work->filePath(QStringLiteral("profile")))))
        return done(QString());
    const QString outDir = work->filePath(QStringLiteral("pdf"));
    run(work, QStringLiteral("pdf"), info.absoluteFilePath(), outDir, network, [work, outDir, done = std::move(done)](RunEnd end, const QString&) {
        const QStringList pdfs = QDir(outDir).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        done(end == RunEnd::Finished && !pdfs.isEmpty() ? outDir + QLatin1Char('/') + pdfs.first() : QString());
    });
}

void PresentationConverter::start(const QString& path, const QString& target, ConversionNetwork network)
{
    QDir().mkpath(ShowsFolder());
    // Without room for LibreOffice's profile and the show the conversion fails anyway, after
    // taking what room was left from the user's other files (the recording's own among them).
    if (DiskFull(ShowsFolder()))
        return finish(target, Failure(DiskFullReason(ShowsFolder())));
    // A profile of its own per conversion: two conversions sharing one fail silently, and a
    // LibreOffice the user has open stays out of it.
    auto work = std::make_shared<QTemporaryDir>(cache_->WorkFolderTemplate());
    if (!work->isValid())
        return finish(target, Failure(DiskFull(ShowsFolder())
                                          ? DiskFullReason(ShowsFolder())
                                          : tr("The working folder %1 cannot be written.").arg(ShowsFolder())));
    const QString outDir = work->filePath(QStringLiteral("out"));
    const QString profile = work->filePath(QStringLiteral("profile"));
    if (network == ConversionNetwork::LinksBlocked && !WriteLinksBlockedProfile(profile))
        return finish(target, Failure(tr("The working folder %1 cannot be written.").arg(ShowsFolder())));
    run(work, QStringLiteral("svg"), path, outDir, network, [this, work, outDir, path, target, network](RunEnd end, const QString& error) {
        if (end == RunEnd::TimedOut)
            return finish(target, Failure(tr("LibreOffice did not finish within %1 seconds.").arg(timeLimitMs_ / 1000.0)));
        if (end == RunEnd::NotStarted)
            return finish(target, Failure(tr("LibreOffice could not be started: %1").arg(error)));
        // LibreOffice exits with 0 when it fails too: only the written show counts.
        const QStringList shows = QDir(outDir).entryList({QStringLiteral("*.svg")}, QDir::Files);
        const QString written = shows.isEmpty() ? QString() : outDir + QLatin1Char('/') + shows.first();
        const QByteArray show = written.isEmpty() ? QByteArray() : FileContent(written);
        // A full disk makes LibreOffice fail as silently as a damaged file does.
        if ((show.isEmpty() || !IsSlideShow(show)) && DiskFull(ShowsFolder()))
            return finish(target, Failure(DiskFullReason(ShowsFolder())));
        if (show.isEmpty() || !IsSlideShow(show))
            return finish(target, Failure(tr("LibreOffice could not make a slide show of it; the file may be damaged or not a presentation.")));
        // LibreOffice opens a file it cannot read as a new, blank presentation.
        if (!ShowDrawsContent(show))
            return finish(target, Failure(tr("It shows no content: LibreOffice could not read it as a presentation.")));
        // The stored passes, then the show written whole in the work folder and renamed into
        // place in one step: another process reading the show sees all of it or nothing.
        auto store = [this, work, target](const QByteArray& show, const QByteArray& flatDeck) {
            const QByteArray made = ApplyShowPasses(PassTime::Stored, show, {flatDeck, &fonts_, false});
            const QString cannotStore = DiskFull(ShowsFolder()) ? DiskFullReason(ShowsFolder())
                                                                : tr("The slide show cannot be stored in %1.").arg(ShowsFolder());
            const QString complete = work->filePath(QStringLiteral("show.svg"));
            QFile file(complete);
            if (!file.open(QIODevice::WriteOnly) || file.write(made) != made.size() || !file.flush())
                return finish(target, Failure(cannotStore));
            file.close();
            if (!ShowCache::Seal(complete, target) || !cache_->Store(complete, target))
                return finish(target, Failure(cannotStore));
            finish(target, {true, target, QString()});
        };
        // The show leaves out how paragraphs are aligned; the deck as one flat file tells. A
        // .fodp is that file already; any other deck takes a second, shorter run on the warm
        // profile. Without it the show is stored as it is.
        if (QFileInfo(path).suffix().compare(QLatin1String("fodp"), Qt::CaseInsensitive) == 0)
            return store(show, FileContent(path));
        const QString flatDir = work->filePath(QStringLiteral("flat"));
        run(work, QStringLiteral("fodp"), path, flatDir, network, [this, show, flatDir, store, target](RunEnd, const QString&) {
            const QStringList flat = QDir(flatDir).entryList({QStringLiteral("*.fodp")}, QDir::Files);
            if (flat.isEmpty())
                return store(show, QByteArray());
            const QString written = flatDir + QLatin1Char('/') + flat.first();
            const QByteArray deck = FileContent(written);
            // Kept beside the show: the speaker notes are read from it.
            const QString kept = FlatPathOf(target);
            if (!ShowCache::Seal(written, kept))
                return store(show, QByteArray());
            QFile::remove(kept);
            if (!QFile::rename(written, kept))
                QFile::copy(written, kept);
            store(show, deck);
        });
    });
}

void PresentationConverter::run(const std::shared_ptr<QTemporaryDir>& work, const QString& format, const QString& path,
                                const QString& outDir, ConversionNetwork network,
                                std::function<void(RunEnd, const QString&)> done)
{
    const QString profile = QUrl::fromLocalFile(work->filePath(QStringLiteral("profile"))).toString(QUrl::FullyEncoded);
    auto* process = new QProcess(this);
    running_.erase(std::remove(running_.begin(), running_.end(), nullptr), running_.end());
    running_.push_back(process);
    // The leader of a new session and process group, whose id is its own; in a network of its
    // own unless the deck may reach the network. Should the system refuse what it allowed a
    // moment ago, LibreOffice does not run rather than fetch.
    const bool isolate = network == ConversionNetwork::Isolated;
    process->setChildProcessModifier([isolate] {
        ::setsid();
        if (isolate && !EnterEmptyNetwork())
            ::_exit(127);
    });
    auto* limit = new QTimer(process);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, process, [process] { StopProcessGroup(process); });
    // The work folder lives as long as a run that writes into it.
    connect(process, &QProcess::finished, this, [process, limit, work, done](int, QProcess::ExitStatus status) {
        process->deleteLater();
        const bool inTime = status == QProcess::NormalExit || limit->isActive();
        limit->stop();
        done(inTime ? RunEnd::Finished : RunEnd::TimedOut, QString());
    });
    connect(process, &QProcess::errorOccurred, this, [process, limit, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // a crash or a kill also ends in finished()
        limit->stop();
        process->deleteLater();
        done(RunEnd::NotStarted, process->errorString());
    });
    // LibreOffice leaves a temporary file behind in TMPDIR when it is stopped: one of the work
    // folder's own goes with it.
    const QString temporary = work->filePath(QStringLiteral("tmp"));
    QDir().mkpath(temporary);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program_, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                              QStringLiteral("--norestore"), QStringLiteral("--convert-to"), format,
                              QStringLiteral("--outdir"), outDir,
                              QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)});
    // The child has its id as soon as it is forked, before LibreOffice starts its own.
    if (process->processId() > 0)
        process->setProperty("processGroup", process->processId());
    limit->start(timeLimitMs_);
}

void PresentationConverter::finish(const QString& target, const ConversionResult& result)
{
    cache_->Release(target);
    const auto callbacks = waiting_.take(target);
    for (const auto& done : callbacks)
        done(result);
}

QString PresentationConverter::WhyCannotShow(const QString& presentationPath) const
{
    const QString reason = failures_.value(QFileInfo(presentationPath).absoluteFilePath());
    return reason.isEmpty() ? tr("LibreOffice cannot open it as a presentation.") : reason;
}

void PresentationConverter::AllowRemoteContent(bool allowed)
{
    ::AllowRemoteContent(allowed);
}

void PresentationConverter::CheckRemoteContent(const QString& presentationPath,
                                               std::function<void(const QString&)> done)
{
    if (RemoteContentAllowed())
        return done(QString());
    ConvertToFlat(presentationPath, [done = std::move(done)](const QString& flat) {
        const QStringList links = flat.isEmpty() ? QStringList() : RemotePictureLinks(FileContent(flat));
        done(links.isEmpty() ? QString() : RemotePicturesWarning(links));
    });
}

void PresentationConverter::CheckFonts(const QString& presentationPath, std::function<void(const QStringList&)> done)
{
    Convert(presentationPath, [this, done = std::move(done)](const ConversionResult& result) {
        if (!result.ok)
            return;
        QFile show(result.showPath);
        if (!show.open(QIODevice::ReadOnly))
            return;
        done(MissingFontLines(ShowFonts(show.readAll(), fonts_)));
    });
}

void PresentationConverter::ServeShow(const QString& deckPath, bool showClock, std::function<void(const ServedPage&)> done)
{
    Convert(deckPath, [this, deckPath, showClock, done = std::move(done)](const ConversionResult& result) {
        if (!result.ok)
            return done({"text/html", CannotShowPage(deckPath, result.reason)});
        QFile show(result.showPath);
        if (!show.open(QIODevice::ReadOnly))
            return done({"text/html", CannotShowPage(deckPath, tr("The converted slide show cannot be read."))});
        done({"image/svg+xml", ApplyShowPasses(PassTime::Served, show.readAll(), {QByteArray(), &fonts_, showClock})});
    });
}
