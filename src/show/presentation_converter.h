// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns a presentation file into the slide show the browser plays, in the background: LibreOffice
// exports its SVG slide show, the stored passes (show_passes.h) make it play as the suite plays
// it, and the show cache keeps the result for every run of the program. One converter serves
// the whole program (Browse prepares, the browser shows), so that LibreOffice runs once per
// version of a deck.

#include "platform/font_catalogue.h"
#include "platform/presentation_preparer.h"
#include "platform/show_source.h"
#include "show/offline_conversion.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QProcess;
class QTemporaryDir;
class ShowCache;

struct ConversionResult {
    bool ok = false;
    QString showPath; // the slide show (SVG) when ok
    QString reason;   // why the file cannot be shown, for the user, when not ok
};

class PresentationConverter : public QObject, public PresentationPreparer, public ShowSource {
    Q_OBJECT
public:
    // Shows are cached in cacheFolder (ShowCache::DefaultFolder() for the program, shared by
    // all its runs), kept under limitBytes. fonts, which outlives the converter, tells which
    // faces this system has.
    PresentationConverter(const QString& cacheFolder, qint64 limitBytes, const FontCatalogue& fonts,
                          QObject* parent = nullptr);
    // Stops the conversions still running, LibreOffice's whole process tree with them; their
    // callers are not called any more.
    ~PresentationConverter() override;

    // Convert with nobody waiting: the show is ready in the cache when it is asked for.
    void Prepare(const QString& presentationPath) override;
    // Reads the fonts from the converted show.
    void CheckFonts(const QString& presentationPath, std::function<void(const QStringList&)> done) override;
    // The program's setting (remote_content.h): a deck is converted again, and cached apart,
    // when it changes.
    void AllowRemoteContent(bool allowed) override;
    // Reads the picture links from the deck as flat XML.
    void CheckRemoteContent(const QString& presentationPath, std::function<void(const QString&)> done) override;

    // Calls done exactly once, on this thread: at once for a cached show or a file that cannot
    // be shown, otherwise when LibreOffice has finished (or was stopped after the time limit).
    void Convert(const QString& presentationPath, std::function<void(const ConversionResult&)> done);

    // The deck as LibreOffice's flat XML (.fodp), where its speaker notes can be read: the
    // file itself for a .fodp, else a conversion cached beside the shows. Calls done exactly
    // once, on this thread, with the path, or an empty one when there is none.
    void ConvertToFlat(const QString& presentationPath, std::function<void(const QString& flatPath)> done) override;
    void ConvertToPdf(const QString& presentationPath, std::function<void(const QString& pdfPath)> done) override;

    // The stored show after the served passes, or the page saying why there is none.
    void ServeShow(const QString& deckPath, bool showClock, std::function<void(const ServedPage&)> done) override;

    // Files the viewer accepts, by extension (lower case, without the dot).
    static bool IsPresentationFile(const QString& path);

    // Why presentationPath cannot be shown: the reason its last conversion failed, else a
    // general one; for a caller that learns only that the viewer showed no slide.
    QString WhyCannotShow(const QString& presentationPath) const;

    // Where the show of path would be cached, as conversions now reach the network (a show
    // made with remote content is never served to a run without, nor the reverse); empty when
    // the file does not exist.
    QString CachedShowPath(const QString& presentationPath) const;
    // The deck as one flat file, kept beside its show.
    static QString FlatPathOf(const QString& showPath);

    // The program that converts and how long it may take before it is stopped; tests point
    // them at a stand-in.
    void setConverterProgram(const QString& program) { program_ = program; }
    void setTimeLimitMs(int ms) { timeLimitMs_ = ms; }

private:
    void start(const QString& path, const QString& target, ConversionNetwork network);
    enum class RunEnd { Finished, TimedOut, NotStarted };
    // One run of LibreOffice converting path to format into outDir, with the work folder's
    // profile, reaching the network as told; done is told how it ended (and why it could not
    // start).
    void run(const std::shared_ptr<QTemporaryDir>& work, const QString& format, const QString& path,
             const QString& outDir, ConversionNetwork network, std::function<void(RunEnd, const QString&)> done);
    void finish(const QString& target, const ConversionResult& result);
    // The shared cache's show of deck can be served; a damaged one is removed with a line on
    // stderr.
    bool StoredShowIntact(const QString& deck, const QString& show) const;
    static void WarnOfDamage(const QString& deck, const QString& what, const QString& why);
    // soffice starts oosplash, which starts soffice.bin: each conversion runs in a process
    // group of its own, and stopping it signals the whole group.
    static void StopProcessGroup(QProcess* process);

    QString ShowsFolder() const;
    // Converts once another process's conversion of the same show is over (or
    // takes the show it made), polling its lock.
    void startWhenFree(const QString& path, const QString& target, ConversionNetwork network);

    const FontCatalogue& fonts_;
    QString program_ = QStringLiteral("soffice");
    int timeLimitMs_ = 60000;
    QHash<QString, std::vector<std::function<void(const ConversionResult&)>>> waiting_;
    std::vector<QPointer<QProcess>> running_;
    QHash<QString, QString> failures_; // by absolute path
    std::unique_ptr<ShowCache> cache_;
};
