// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/recording_manifest.h"

#include "audio/wave_contents.h"
#include "core/deckrec_error.h"
#include "core/frame_period.h"
#include "core/slot_reader.h"
#include "core/working_files.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <optional>

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

void WritePerformance(QJsonObject& json, const RecordingManifest& manifest)
{
    const PerformanceLog& log = manifest.performance;
    if (!manifest.performedLive && log.empty())
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

void WriteRendering(QJsonObject& json, const RecordingManifest::Rendering& rendering)
{
    json["rendering"] = QJsonObject{{"width", rendering.capture.width},
                                    {"height", rendering.capture.height},
                                    {"cursor", rendering.cursor},
                                    {"deckTimings", rendering.deckTimings},
                                    {"remoteContent", rendering.remoteContent}};
}

// A recording kept before the rendering was written down has the defaults of its day.
RecordingManifest::Rendering ReadRendering(const QJsonObject& json)
{
    RecordingManifest::Rendering rendering;
    if (!json.contains("rendering"))
        return rendering;
    const QJsonObject given = json["rendering"].toObject();
    const auto side = [&given](const char* key, int most) {
        const double value = given[QLatin1String(key)].toDouble(-1);
        if (!(value >= 16 && value <= most) || value != std::floor(value))
            throw DeckrecError(std::string("its rendering gives no ") + key + " from 16 to " + std::to_string(most));
        return static_cast<int>(value);
    };
    rendering.capture.width = side("width", 7680);
    rendering.capture.height = side("height", 4320);
    rendering.cursor = given["cursor"].toBool(false);
    rendering.deckTimings = given["deckTimings"].toBool(true);
    rendering.remoteContent = given["remoteContent"].toBool(false);
    return rendering;
}

// Times beyond a day are past any sound's end: kept in range, they are dropped as such.
long long Milliseconds(const QJsonObject& entry, const std::string& what)
{
    const QJsonValue value = entry["ms"];
    if (!value.isDouble())
        throw DeckrecError("its performance " + what + " gives no time (\"ms\" is " +
                           (value.isUndefined() ? std::string("missing") : "not a number") + ")");
    const double limit = static_cast<double>(kLongestRecordingMs) + 1;
    return std::llround(std::clamp(value.toDouble(), -limit, limit));
}

double Coordinate(const QJsonObject& entry, const char* key, const std::string& what)
{
    const QJsonValue value = entry[QLatin1String(key)];
    if (!value.isDouble())
        throw DeckrecError("its performance " + what + " gives no " + key + " (or one that is not a number)");
    return value.toDouble();
}

PerformedAction ReadAction(const QJsonValue& value, const std::string& what)
{
    const QJsonObject entry = value.toObject();
    PerformedAction action{Milliseconds(entry, what)};
    const std::string name = entry["action"].toString().toStdString();
    const std::optional<SlideStep> step = SlideStepNamed(name);
    if (!step)
        throw DeckrecError("its performance " + what + " is the unknown action \"" + name + "\"");
    action.step = *step;
    return action;
}

// {ms, x, y, shape} where the pointer stood; {ms} alone where it left the slide. A spot off
// the slide is kept: it is never drawn.
PointerSample ReadPointerSample(const QJsonValue& value, const std::string& what)
{
    const QJsonObject entry = value.toObject();
    PointerSample sample;
    sample.ms = Milliseconds(entry, what);
    sample.over = entry.contains("x") || entry.contains("y") || entry.contains("shape");
    if (!sample.over)
        return sample;
    sample.x = Coordinate(entry, "x", what);
    sample.y = Coordinate(entry, "y", what);
    const std::string name = entry["shape"].toString().toStdString();
    const std::optional<PointerShape> shape = PointerShapeNamed(name);
    if (!shape)
        throw DeckrecError("its performance " + what + " has the unknown pointer shape \"" + name + "\"");
    sample.shape = *shape;
    return sample;
}

PerformanceLog ReadPerformanceLog(const QJsonObject& performance, std::vector<std::string>& warnings)
{
    PerformanceLog log;
    const QJsonArray actions = performance["actions"].toArray();
    for (qsizetype k = 0; k < actions.size(); ++k)
        log.actions.push_back(ReadAction(actions[k], "action " + std::to_string(k + 1)));
    const QJsonArray pointer = performance["pointer"].toArray();
    for (qsizetype k = 0; k < pointer.size(); ++k)
        log.pointer.push_back(ReadPointerSample(pointer[k], "pointer sample " + std::to_string(k + 1)));
    if (performance.contains("endMs")) {
        const long long endMs = Milliseconds(QJsonObject{{"ms", performance["endMs"]}}, "end");
        if (endMs >= 0)
            log.endMs = endMs;
        else
            warnings.push_back("the performance ends at " + std::to_string(endMs) +
                               " ms, before the sound began: it ends with the sound");
    }
    return log;
}

// The sound's length as far as the folder's file can be read; -1 without one.
long long KeptSoundMs(const std::string& folder)
{
    const std::optional<WaveContents> sound = ReadWaveContents(WorkingFiles(folder, folder).SoundFilePath());
    return sound ? sound->lengthMs() : -1;
}

void ReadPerformance(const QJsonObject& json, RecordingManifest& manifest, const std::string& folder,
                     const std::string& path)
{
    manifest.performedLive = json.contains("performance");
    if (!manifest.performedLive)
        return;
    try {
        manifest.rendering = ReadRendering(json);
        manifest.performance = ReadPerformanceLog(json["performance"].toObject(), manifest.performanceWarnings);
        TidyPerformanceLog(manifest.performance, manifest.audio ? KeptSoundMs(folder) : -1,
                           manifest.performanceWarnings);
    } catch (const DeckrecError& e) {
        manifest.performance = {};
        manifest.performanceDamage = path + " is damaged: " + e.what();
    }
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
    WritePerformance(json, manifest);
    if (manifest.narrated)
        json["narration"] = QJsonObject{{"chapters", TimedTexts(manifest.narratedChapters)},
                                        {"captions", TimedTexts(manifest.narratedCaptions)}};
    WriteRendering(json, manifest.rendering);
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
    // A live performance takes no slot: one killed while it played has none.
    manifest.frameCount = WholeNumber(json, "FrameCount", json.contains("performance") ? 0 : 1,
                                      MostSlotsARecordingCanHold(manifest.framePeriodMs), path.toStdString());
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
    ReadPerformance(json, manifest, folder, path.toStdString());
    return manifest;
}
