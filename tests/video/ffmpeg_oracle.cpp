// SPDX-License-Identifier: GPL-3.0-or-later
#include "ffmpeg_oracle.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

QByteArray Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return {};
    process.closeWriteChannel();
    QByteArray output;
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(1000);
        output += process.readAllStandardOutput();
    }
    output += process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? output : QByteArray();
}

} // namespace

std::vector<ProbedStream> ProbeStreams(const std::string& path)
{
    const QByteArray json = Run("ffprobe", {"-v", "error", "-count_packets", "-show_streams", "-of", "json",
                                            QString::fromStdString(path)});
    std::vector<ProbedStream> streams;
    for (const QJsonValue value : QJsonDocument::fromJson(json).object()["streams"].toArray()) {
        const QJsonObject s = value.toObject();
        ProbedStream stream;
        stream.type = s["codec_type"].toString().toStdString();
        stream.codec = s["codec_name"].toString().toStdString();
        stream.tag = s["codec_tag_string"].toString().toStdString();
        stream.pixelFormat = s["pix_fmt"].toString().toStdString();
        stream.frameRate = s["r_frame_rate"].toString().toStdString();
        stream.width = s["width"].toInt();
        stream.height = s["height"].toInt();
        stream.sampleRate = s["sample_rate"].toString().toInt();
        stream.channels = s["channels"].toInt();
        stream.packets = s["nb_read_packets"].toString().toLongLong();
        streams.push_back(stream);
    }
    return streams;
}

namespace {

std::vector<std::vector<uint8_t>> DecodeFrames(const std::string& path, const char* pixelFormat, size_t frameBytes)
{
    const QByteArray raw = Run("ffmpeg", {"-v", "error", "-i", QString::fromStdString(path), "-map", "0:v:0",
                                          "-vsync", "passthrough", "-f", "rawvideo", "-pix_fmt", pixelFormat, "-"});
    std::vector<std::vector<uint8_t>> frames;
    for (size_t at = 0; frameBytes > 0 && at + frameBytes <= static_cast<size_t>(raw.size()); at += frameBytes)
        frames.emplace_back(raw.begin() + static_cast<qsizetype>(at), raw.begin() + static_cast<qsizetype>(at + frameBytes));
    return frames;
}

} // namespace

std::vector<std::vector<uint8_t>> DecodeVideoFrames(const std::string& path, int width, int height)
{
    return DecodeFrames(path, "bgr24", static_cast<size_t>(width) * height * 3);
}

std::vector<std::vector<uint8_t>> DecodeVideoFramesBgra(const std::string& path, int width, int height)
{
    return DecodeFrames(path, "bgra", static_cast<size_t>(width) * height * 4);
}

int64_t VideoStreamBytes(const std::string& path)
{
    const QByteArray csv = Run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=size",
                                           "-of", "csv=p=0", QString::fromStdString(path)});
    int64_t bytes = 0;
    for (const QByteArray& line : csv.split('\n'))
        bytes += line.trimmed().toLongLong();
    return bytes;
}

std::vector<bool> VideoKeyFlags(const std::string& path)
{
    const QByteArray csv = Run("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=flags",
                                           "-of", "csv=p=0", QString::fromStdString(path)});
    std::vector<bool> flags;
    for (const QByteArray& line : csv.split('\n'))
        if (!line.trimmed().isEmpty())
            flags.push_back(line.contains('K'));
    return flags;
}

std::vector<int16_t> DecodeAudioSamples(const std::string& path)
{
    const QByteArray raw = Run("ffmpeg", {"-v", "error", "-i", QString::fromStdString(path), "-map", "0:a:0", "-f",
                                          "s16le", "-acodec", "pcm_s16le", "-"});
    std::vector<int16_t> samples(static_cast<size_t>(raw.size()) / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    return samples;
}

StreamSpan ProbeStreamSpan(const std::string& path, const char* selector)
{
    const QByteArray csv = Run("ffprobe", {"-v", "error", "-select_streams", selector, "-show_entries",
                                           "packet=pts_time,duration_time", "-of", "csv=p=0",
                                           QString::fromStdString(path)});
    StreamSpan span;
    for (const QByteArray& line : csv.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(',');
        if (fields.size() < 2)
            continue;
        const double pts = fields[0].toDouble();
        const double end = pts + fields[1].toDouble();
        span.start = span.packets == 0 ? pts : std::min(span.start, pts);
        span.end = span.packets == 0 ? end : std::max(span.end, end);
        ++span.packets;
    }
    return span;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return 0;
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        squares += d * d;
    }
    if (squares == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / squares);
}
