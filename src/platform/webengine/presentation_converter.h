#pragma once
// Turns a presentation file into LibreOffice's SVG slide show, in the background, cached per
// file path and modification time inside the working directory it is given. One converter
// serves the whole program (Browse prepares, the browser shows), so that LibreOffice runs once
// per version of a deck.

#include "platform/presentation_preparer.h"

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

class PresentationConverter : public QObject, public PresentationPreparer {
    Q_OBJECT
public:
    // Shows are cached in workingDirectory + "shows/".
    explicit PresentationConverter(const QString& workingDirectory, QObject* parent = nullptr);
    // Stops the conversions still running, LibreOffice's whole process tree with them; their
    // callers are not called any more.
    ~PresentationConverter() override;

    // Keeps the shows in the cache every run of the program shares (keyed by the deck's
    // content) instead of the working directory; call before the first conversion.
    void UseSharedCache(const QString& folder, qint64 limitBytes);

    // Convert with nobody waiting: the show is ready in the cache when it is asked for.
    void Prepare(const QString& presentationPath) override;
    // Reads the fonts from the converted show.
    void CheckFonts(const QString& presentationPath, std::function<void(const QStringList&)> done) override;

    // Calls done exactly once, on this thread: at once for a cached show or a file that cannot
    // be shown, otherwise when LibreOffice has finished (or was stopped after the time limit).
    void Convert(const QString& presentationPath, std::function<void(const ConversionResult&)> done);

    // The deck as LibreOffice's flat XML (.fodp), where its speaker notes can be read: the
    // file itself for a .fodp, else a conversion cached beside the shows. Calls done exactly
    // once, on this thread, with the path, or an empty one when there is none.
    void ConvertToFlat(const QString& presentationPath, std::function<void(const QString& flatPath)> done) override;

    // Files the viewer accepts, by extension (lower case, without the dot).
    static bool IsPresentationFile(const QString& path);

    // Why presentationPath cannot be shown: the reason its last conversion failed, else a
    // general one; for a caller that learns only that the viewer showed no slide.
    QString WhyCannotShow(const QString& presentationPath) const;

    // Where the show of path would be cached; empty when the file does not exist.
    QString CachedShowPath(const QString& presentationPath) const;
    // The deck as one flat file, kept beside its show.
    static QString FlatPathOf(const QString& showPath);

    // The program that converts and how long it may take before it is stopped; tests point
    // them at a stand-in.
    void setConverterProgram(const QString& program) { program_ = program; }
    void setTimeLimitMs(int ms) { timeLimitMs_ = ms; }

private:
    void start(const QString& path, const QString& target);
    enum class RunEnd { Finished, TimedOut, NotStarted };
    // One run of LibreOffice converting path to format into outDir, with the work folder's
    // profile; done is told how it ended (and why it could not start).
    void run(const std::shared_ptr<QTemporaryDir>& work, const QString& format, const QString& path, const QString& outDir,
             std::function<void(RunEnd, const QString&)> done);
    void finish(const QString& target, const ConversionResult& result);
    // The shared cache's show of deck can be served; a damaged one is removed with a line on
    // stderr.
    bool StoredShowIntact(const QString& deck, const QString& show) const;
    static void WarnOfDamage(const QString& deck, const QString& what, const QString& why);
    // soffice starts oosplash, which starts soffice.bin: each conversion runs in a process
    // group of its own, and stopping it signals the whole group.
    static void StopProcessGroup(QProcess* process);

    QString ShowsFolder() const;
    // Shared cache: converts once another process's conversion of the same show is over (or
    // takes the show it made), polling its lock.
    void startWhenFree(const QString& path, const QString& target);

    QString workingDirectory_;
    QString program_ = QStringLiteral("soffice");
    int timeLimitMs_ = 60000;
    QHash<QString, std::vector<std::function<void(const ConversionResult&)>>> waiting_;
    std::vector<QPointer<QProcess>> running_;
    QHash<QString, QString> failures_; // by absolute path
    std::unique_ptr<ShowCache> shared_;
};
