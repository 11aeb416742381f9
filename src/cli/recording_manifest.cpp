#include "cli/recording_manifest.h"

#include "core/deckrec_error.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QString ManifestPath(const std::string& folder)
{
    return QString::fromStdString(folder) + "/recording.json";
}

} // namespace

void WriteRecordingManifest(const std::string& folder, const RecordingManifest& manifest)
{
    QJsonObject json;
    json["FrameCount"] = manifest.frameCount;
    json["framePeriodMs"] = manifest.framePeriodMs;
    json["width"] = manifest.width;
    json["height"] = manifest.height;
    json["deck"] = QString::fromStdString(manifest.deck);
    json["audio"] = manifest.audio;
    QSaveFile file(ManifestPath(folder));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(json).toJson()) < 0 || !file.commit())
        throw DeckrecError("Cannot write " + ManifestPath(folder).toStdString() + ": " + file.errorString().toStdString());
}

RecordingManifest ReadRecordingManifest(const std::string& folder)
{
    const QString path = ManifestPath(folder);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DeckrecError(folder + " holds no kept recording: cannot read " + path.toStdString() + " (" +
                           file.errorString().toStdString() + ")");
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    const QJsonObject json = document.object();
    RecordingManifest manifest;
    manifest.frameCount = json["FrameCount"].toInt(0);
    if (parseError.error != QJsonParseError::NoError || !document.isObject() || manifest.frameCount <= 0)
        throw DeckrecError(path.toStdString() + " is damaged: it gives no FrameCount");
    manifest.framePeriodMs = json["framePeriodMs"].toInt(kDefaultFramePeriodMs);
    // Every duration and delay is a multiple of it: a period of nothing would export nothing.
    if (manifest.framePeriodMs <= 0)
        throw DeckrecError(path.toStdString() + " is damaged: its framePeriodMs is not positive");
    manifest.width = json["width"].toInt(0);
    manifest.height = json["height"].toInt(0);
    manifest.deck = json["deck"].toString().toStdString();
    manifest.audio = json["audio"].toBool(false);
    return manifest;
}
