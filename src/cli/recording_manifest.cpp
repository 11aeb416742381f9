// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/recording_manifest.h"

#include "core/deckrec_error.h"
#include "core/frame_period.h"
#include "core/slot_reader.h"
#include "core/working_files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cmath>

namespace {

QString ManifestPath(const std::string& folder)
{
    return QString::fromStdString(folder) + "/recording.json";
}

// A frame period far outside what any recorder uses is a damaged file, not a recording.
constexpr int kShortestFramePeriodMs = 10;
constexpr int kLongestFramePeriodMs = 60000;

// A whole number from low to high, read as a double first so that a number too large for an
// int is reported as out of range rather than as missing.
int WholeNumber(const QJsonObject& json, const char* key, long long low, long long high, const std::string& path)
{
    const QJsonValue value = json[QLatin1String(key)];
    if (!value.isDouble())
        throw DeckrecError(path + " is damaged: it gives no " + key);
    const double number = value.toDouble();
    // The range first: a huge number does not fit the integer its wholeness is tested with.
    if (!(number >= static_cast<double>(low) && number <= static_cast<double>(high)) || number != std::floor(number))
        throw DeckrecError(path + " is damaged: its " + key + " " + QString::number(number, 'g', 17).toStdString() +
                           " is out of range (" + std::to_string(low) + " to " + std::to_string(high) + ")");
    return static_cast<int>(number);
}

// The frame period: 30 frames a second is 33.33 ms, so any number in range.
double PeriodMs(const QJsonObject& json, const std::string& path)
{
    const QJsonValue value = json[QLatin1String("framePeriodMs")];
    const double period = value.toDouble(-1);
    if (!value.isDouble() || !(period >= kShortestFramePeriodMs && period <= kLongestFramePeriodMs))
        throw DeckrecError(path + " is damaged: " +
                           (value.isDouble() ? "its framePeriodMs " + QString::number(period, 'g', 17).toStdString()
                                             : std::string("its framePeriodMs")) +
                           " is out of range (" +
                           std::to_string(kShortestFramePeriodMs) + " to " + std::to_string(kLongestFramePeriodMs) + ")");
    return period;
}

void WriteDeckText(QJsonObject& json, const RecordingManifest& manifest)
{
    QJsonArray slides;
    for (const SlideMark& mark : manifest.slides)
        slides.append(QJsonObject{{"slot", mark.slot}, {"slide", mark.slide}, {"title", QString::fromStdString(mark.title)}});
    json["slides"] = slides;
    if (!manifest.notesRead)
        return;
    QJsonArray notes;
    for (const std::string& note : manifest.notes)
        notes.append(QString::fromStdString(note));
    json["notes"] = notes;
}

// A recording kept before slides were noted has none: its outputs get no chapters.
void ReadDeckText(const QJsonObject& json, RecordingManifest& manifest, const std::string& path)
{
    for (const QJsonValue& value : json["slides"].toArray()) {
        const QJsonObject slide = value.toObject();
        SlideMark mark;
        mark.slot = WholeNumber(slide, "slot", 1, manifest.frameCount, path);
        mark.slide = WholeNumber(slide, "slide", 1, 1000000, path);
        mark.title = slide["title"].toString().toStdString();
        manifest.slides.push_back(mark);
    }
    manifest.notesRead = json["notes"].isArray();
    for (const QJsonValue& value : json["frames"].toArray()) {
        const QJsonObject slot{{"frame", value}};
        manifest.frames.push_back(WholeNumber(slot, "frame", 1, manifest.frameCount, path));
    }
    for (const QJsonValue& value : json["notes"].toArray())
        manifest.notes.push_back(value.toString().toStdString());
}

QJsonArray TimedTexts(const std::vector<TimedText>& texts)
{
    QJsonArray array;
    for (const TimedText& text : texts)
        array.append(QJsonObject{{"startMs", static_cast<qint64>(text.startMs)},
                                 {"endMs", static_cast<qint64>(text.endMs)},
                                 {"text", QString::fromStdString(text.text)}});
    return array;
}

std::vector<TimedText> TimedTexts(const QJsonArray& array)
{
    std::vector<TimedText> texts;
    for (const QJsonValue& value : array) {
        const QJsonObject text = value.toObject();
        texts.push_back({text["startMs"].toInteger(), text["endMs"].toInteger(), text["text"].toString().toStdString()});
    }
    return texts;
}

void WritePerformance(QJsonObject& json, const PerformanceLog& log)
{
    if (log.empty())
        return;
    QJsonArray actions;
    for (const PerformedAction& action : log.actions)
        actions.append(QJsonObject{{"ms", static_cast<qint64>(action.ms)}, {"action", SlideStepName(action.step)}});
    QJsonObject performance{{"actions", actions}};
    if (!log.pointer.empty()) {
        QJsonArray pointer;
        for (const PointerSample& sample : log.pointer) {
            QJsonObject entry{{"ms", static_cast<qint64>(sample.ms)}};
            if (sample.over) {
                entry["x"] = sample.x;
                entry["y"] = sample.y;
                entry["shape"] = PointerShapeName(sample.shape);
            }
            pointer.append(entry);
        }
        performance["pointer"] = pointer;
    }
    if (log.ended())
        performance["endMs"] = static_cast<qint64>(log.endMs);
    json["performance"] = performance;
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
    json["ended"] = manifest.ended;
    WriteDeckText(json, manifest);
    WritePerformance(json, manifest.performance);
    if (manifest.narrated)
        json["narration"] = QJsonObject{{"chapters", TimedTexts(manifest.narratedChapters)},
                                        {"captions", TimedTexts(manifest.narratedCaptions)}};
    const SlotReader stored(WorkingFiles(folder, folder), manifest.frameCount);
    QJsonArray frames;
    for (int n = stored.firstStored(); n >= 1 && n <= stored.lastStored(); ++n)
        if (stored.Stored(n))
            frames.append(n);
    json["frames"] = frames;
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
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        throw DeckrecError(path.toStdString() + " is damaged: it is not a JSON object");
    const QJsonObject json = document.object();
    RecordingManifest manifest;
    manifest.framePeriodMs = json.contains("framePeriodMs")
        ? PeriodMs(json, path.toStdString())
        : kDefaultFramePeriodMs;
    manifest.frameCount =
        WholeNumber(json, "FrameCount", 1, MostSlotsARecordingCanHold(manifest.framePeriodMs), path.toStdString());
    manifest.width = json["width"].toInt(0);
    manifest.height = json["height"].toInt(0);
    manifest.deck = json["deck"].toString().toStdString();
    manifest.audio = json["audio"].toBool(false);
    // Recordings kept before the manifest was written during the session were ended ones.
    manifest.ended = json["ended"].toBool(true);
    ReadDeckText(json, manifest, path.toStdString());
    const QJsonObject narration = json["narration"].toObject();
    manifest.narrated = json["narration"].isObject();
    manifest.narratedChapters = TimedTexts(narration["chapters"].toArray());
    manifest.narratedCaptions = TimedTexts(narration["captions"].toArray());
    return manifest;
}
