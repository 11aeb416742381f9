#include "platform/webengine/presentation_converter.h"

#include "core/deck_files.h"
#include "platform/webengine/deck_embedded_fonts.h"
#include "platform/webengine/deck_kerning.h"
#include "platform/webengine/deck_text_layout.h"
#include "platform/webengine/deck_text_shadows.h"
#include "platform/webengine/field_placeholders.h"
#include "platform/webengine/show_cache.h"
#include "platform/webengine/show_content.h"
#include "platform/webengine/show_hairlines.h"
#include "platform/fonts/show_fonts.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
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

// Cache files of one presentation share the prefix; the rest names its version.
QString CachePrefix(const QFileInfo& info)
{
    const QByteArray hash = QCryptographicHash::hash(info.absoluteFilePath().toUtf8(), QCryptographicHash::Sha1).toHex();
    return QString::fromLatin1(hash.left(20)) + QLatin1Char('-');
}

void RemoveOtherVersions(const QString& keep)
{
    const QFileInfo info(keep);
    const QString prefix = info.fileName().section(QLatin1Char('-'), 0, 0) + QLatin1Char('-');
    QDir folder = info.dir();
    for (const QString& name : folder.entryList({prefix + QStringLiteral("*.") + info.suffix()}, QDir::Files))
        if (name != info.fileName())
            folder.remove(name);
}

// LibreOffice's export of an Impress document carries its slide show script; other exports
// (a drawing, a text document) do not and cannot be played.
bool IsSlideShow(const QByteArray& content)
{
    return content.contains("theMetaDoc") && content.contains("ooo:meta_slides");
}

// What the show leaves out and the deck (one flat ODF file) tells: the faces it embeds, whether
// its letters are kerned and how far apart, how its paragraphs are aligned (and where a line
// with symbols ends) and which text casts a shadow. Letters are spaced before the justified
// lines are measured.
QByteArray WithWhatTheDeckSays(const QByteArray& show, const QByteArray& flatOdf)
{
    const auto missing = [](const QString& family) { return !FontResolver::Shared().IsInstalled(family); };
    const QByteArray spaced = WithLetterSpacing(WithDeckEmbeddedFonts(WithDeckKerning(show, flatOdf), flatOdf, missing),
                                                SpacedParagraphs(flatOdf));
    const QByteArray justified =
        WithSymbolTextAreas(WithJustifiedLines(spaced, JustifiedParagraphs(flatOdf)), SymbolParagraphs(flatOdf));
    return WithTextShadows(justified, ShadowedParagraphs(flatOdf));
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

PresentationConverter::PresentationConverter(const QString& workingDirectory, QObject* parent)
    : QObject(parent)
    , workingDirectory_(workingDirectory.endsWith(QLatin1Char('/')) ? workingDirectory : workingDirectory + QLatin1Char('/'))
{
}

void PresentationConverter::UseSharedCache(const QString& folder, qint64 limitBytes)
{
    shared_ = std::make_unique<ShowCache>(folder, limitBytes);
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
    if (shared_)
        return shared_->folder();
    return workingDirectory_ + QStringLiteral("shows/");
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
    if (shared_)
        return shared_->ShowPath(presentationPath);
    return ShowsFolder() + CachePrefix(info) + QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char('-')
        + QString::number(info.size()) + QStringLiteral("-layout6.svg");
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
    if (shared_ ? StoredShowIntact(presentationPath, target) : QFileInfo::exists(target)) {
        if (shared_)
            ShowCache::Touch(target);
        return done({true, target, QString()});
    }
    if (QStandardPaths::findExecutable(program_).isEmpty() && !QFileInfo(program_).isExecutable())
        return done(Failure(tr("LibreOffice Impress is not installed (the program %1 was not found).").arg(program_)));

    auto& callbacks = waiting_[target];
    callbacks.push_back(std::move(done));
    if (callbacks.size() == 1)
        shared_ ? startWhenFree(info.absoluteFilePath(), target) : start(info.absoluteFilePath(), target);
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

void PresentationConverter::startWhenFree(const QString& path, const QString& target)
{
    if (!waiting_.contains(target))
        return;
    if (!shared_->TryLock(target)) {
        QTimer::singleShot(150, this, [this, path, target] { startWhenFree(path, target); });
        return;
    }
    // The show may have been stored while this process waited for the lock.
    if (StoredShowIntact(path, target)) {
        shared_->Release(target);
        ShowCache::Touch(target);
        return finish(target, {true, target, QString()});
    }
    start(path, target);
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
    if (shared_) {
        const QString show = CachedShowPath(presentationPath);
        QString why;
        if (!show.isEmpty() && !ShowCache::Intact(FlatPathOf(show), &why) && !why.isEmpty()) {
            WarnOfDamage(presentationPath, QStringLiteral("speaker notes"), why);
            QFile::remove(show);
        }
    }
    Convert(presentationPath, [this, presentationPath, done = std::move(done)](const ConversionResult& result) {
        const QString flat = FlatPathOf(CachedShowPath(presentationPath));
        done(result.ok && (shared_ ? ShowCache::Intact(flat) : QFileInfo::exists(flat)) ? flat : QString());
    });
}

void PresentationConverter::start(const QString& path, const QString& target)
{
    QDir().mkpath(ShowsFolder());
    // A profile of its own per conversion: two conversions sharing one fail silently, and a
    // LibreOffice the user has open stays out of it.
    auto work = std::make_shared<QTemporaryDir>(shared_ ? shared_->WorkFolderTemplate()
                                                        : ShowsFolder() + QStringLiteral("convert-XXXXXX"));
    if (!work->isValid())
        return finish(target, Failure(DiskFull(ShowsFolder())
                                          ? DiskFullReason(ShowsFolder())
                                          : tr("The working folder %1 cannot be written.").arg(ShowsFolder())));
    const QString outDir = work->filePath(QStringLiteral("out"));
    run(work, QStringLiteral("svg"), path, outDir, [this, work, outDir, path, target](RunEnd end, const QString& error) {
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
        auto store = [this, work, target](const QByteArray& justified) {
            const QByteArray laidOut = WithHairlinesAsDrawn(WithFieldsWherePlaced(WithFieldPlaceholdersAsDrawn(justified)));
            const QString cannotStore = DiskFull(ShowsFolder()) ? DiskFullReason(ShowsFolder())
                                                                : tr("The slide show cannot be stored in %1.").arg(ShowsFolder());
            if (shared_) {
                // Written whole in the work folder, then renamed into place in one step:
                // another process reading the show sees all of it or nothing.
                const QString complete = work->filePath(QStringLiteral("show.svg"));
                QFile file(complete);
                if (!file.open(QIODevice::WriteOnly) || file.write(laidOut) != laidOut.size() || !file.flush())
                    return finish(target, Failure(cannotStore));
                file.close();
                if (!ShowCache::Seal(complete, target))
                    return finish(target, Failure(cannotStore));
                if (!shared_->Store(complete, target))
                    return finish(target, Failure(cannotStore));
                return finish(target, {true, target, QString()});
            }
            QFile::remove(target);
            QSaveFile file(target);
            if (!file.open(QIODevice::WriteOnly) || file.write(laidOut) != laidOut.size() || !file.commit())
                return finish(target, Failure(DiskFull(ShowsFolder()) ? DiskFullReason(ShowsFolder())
                                                                      : tr("The slide show cannot be stored in %1.").arg(ShowsFolder())));
            RemoveOtherVersions(target);
            finish(target, {true, target, QString()});
        };
        // The show leaves out how paragraphs are aligned; the deck as one flat file tells. A
        // .fodp is that file already; any other deck takes a second, shorter run on the warm
        // profile. Without it the show is stored as it is.
        if (QFileInfo(path).suffix().compare(QLatin1String("fodp"), Qt::CaseInsensitive) == 0) {
            const QByteArray deck = FileContent(path);
            return store(WithWhatTheDeckSays(show, deck));
        }
        const QString flatDir = work->filePath(QStringLiteral("flat"));
        run(work, QStringLiteral("fodp"), path, flatDir, [this, show, flatDir, store, target](RunEnd, const QString&) {
            const QStringList flat = QDir(flatDir).entryList({QStringLiteral("*.fodp")}, QDir::Files);
            if (flat.isEmpty())
                return store(show);
            const QString written = flatDir + QLatin1Char('/') + flat.first();
            const QByteArray deck = FileContent(written);
            // Kept beside the show: the speaker notes are read from it.
            const QString kept = FlatPathOf(target);
            if (shared_ && !ShowCache::Seal(written, kept))
                return store(show);
            QFile::remove(kept);
            if (QFile::rename(written, kept) || QFile::copy(written, kept))
                RemoveOtherVersions(kept);
            store(WithWhatTheDeckSays(show, deck));
        });
    });
}

void PresentationConverter::run(const std::shared_ptr<QTemporaryDir>& work, const QString& format, const QString& path,
                                const QString& outDir, std::function<void(RunEnd, const QString&)> done)
{
    const QString profile = QUrl::fromLocalFile(work->filePath(QStringLiteral("profile"))).toString(QUrl::FullyEncoded);
    auto* process = new QProcess(this);
    running_.erase(std::remove(running_.begin(), running_.end(), nullptr), running_.end());
    running_.push_back(process);
    // The leader of a new session and process group, whose id is its own.
    process->setChildProcessModifier([] { ::setsid(); });
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
    if (shared_)
        shared_->Release(target);
    const auto callbacks = waiting_.take(target);
    for (const auto& done : callbacks)
        done(result);
}

QString PresentationConverter::WhyCannotShow(const QString& presentationPath) const
{
    const QString reason = failures_.value(QFileInfo(presentationPath).absoluteFilePath());
    return reason.isEmpty() ? tr("LibreOffice cannot open it as a presentation.") : reason;
}

void PresentationConverter::CheckFonts(const QString& presentationPath, std::function<void(const QStringList&)> done)
{
    Convert(presentationPath, [done = std::move(done)](const ConversionResult& result) {
        if (!result.ok)
            return;
        QFile show(result.showPath);
        if (!show.open(QIODevice::ReadOnly))
            return;
        done(MissingFontLines(ShowFonts(show.readAll(), FontResolver::Shared())));
    });
}
