#pragma once
// Turns a presentation file into LibreOffice's SVG slide show, in the background, cached per
// file path and modification time inside the working directory.

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

struct ConversionResult {
    bool ok = false;
    QString showPath; // the slide show (SVG) when ok
    QString reason;   // why the file cannot be shown, for the user, when not ok
};

class PresentationConverter : public QObject {
    Q_OBJECT
public:
    explicit PresentationConverter(QObject* parent = nullptr);

    // Calls done exactly once, on this thread: at once for a cached show or a file that cannot
    // be shown, otherwise when LibreOffice has finished (or was stopped after the time limit).
    void Convert(const QString& presentationPath, std::function<void(const ConversionResult&)> done);

    // Files the viewer accepts, by extension (lower case, without the dot).
    static bool IsPresentationFile(const QString& path);

    // Where the show of path would be cached; empty when the file does not exist.
    static QString CachedShowPath(const QString& presentationPath);

    // Seconds LibreOffice may take before it is stopped.
    static constexpr int kTimeLimitSeconds = 60;

    // The program that converts; tests point it at a stand-in.
    void setConverterProgram(const QString& program) { program_ = program; }

private:
    void start(const QString& path, const QString& target);
    void finish(const QString& target, const ConversionResult& result);

    QString program_ = QStringLiteral("soffice");
    QHash<QString, std::vector<std::function<void(const ConversionResult&)>>> waiting_;
};
