// What the deck knows, through the built program: the timeline test deck converted with its
// chapters, captions and timed slide, read back with ffprobe and ffmpeg; the kept recording
// exported again; the deck's timer switched off; a deck without notes asked for captions.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr double kSlot = 0.150; // s, the default frame period

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

Ran Program(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    Ran run;
    if (process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

Ran Deckrec(const QStringList& args)
{
    return Program(DECKREC_PROGRAM, args);
}

QJsonObject Probe(const QString& file)
{
    const Ran run = Program("ffprobe", {"-v", "error", "-show_chapters", "-show_streams", "-of", "json", file});
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

QString Text(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Chapter titles and starts (s) of a video.
std::vector<std::pair<QString, double>> Chapters(const QString& file)
{
    std::vector<std::pair<QString, double>> chapters;
    for (const QJsonValue& c : Probe(file)["chapters"].toArray())
        chapters.emplace_back(c["tags"]["title"].toString(), c["start_time"].toString().toDouble());
    return chapters;
}

QStringList SubtitleCodecs(const QString& file)
{
    QStringList codecs;
    for (const QJsonValue& s : Probe(file)["streams"].toArray())
        if (s["codec_type"].toString() == "subtitle")
            codecs << s["codec_name"].toString();
    return codecs;
}

// The slides recording.json kept: slot and title by slide.
QJsonArray KeptSlides(const QString& folder)
{
    return QJsonDocument::fromJson(Text(folder + "/recording.json").toUtf8()).object()["slides"].toArray();
}

double SlotStart(const QJsonValue& slide)
{
    return (slide["slot"].toInt() - 1) * kSlot;
}

struct Cue {
    double start;
    double end;
    QString text;
};

std::vector<Cue> VttCues(const QString& vtt)
{
    std::vector<Cue> cues;
    static const QRegularExpression timing("(\\d+):(\\d+):(\\d+)\\.(\\d+) --> (\\d+):(\\d+):(\\d+)\\.(\\d+)\\n([^\\n]+(?:\\n[^\\n]+)?)");
    const auto seconds = [](const QRegularExpressionMatch& m, int k) {
        return m.captured(k).toInt() * 3600 + m.captured(k + 1).toInt() * 60 + m.captured(k + 2).toInt() +
               m.captured(k + 3).toInt() / 1000.0;
    };
    for (auto it = timing.globalMatch(vtt); it.hasNext();) {
        const auto m = it.next();
        cues.push_back({seconds(m, 1), seconds(m, 5), m.captured(9)});
    }
    return cues;
}

const QString kDeck = DECKREC_TIMELINE_DECK;
const QStringList kTitles = {"Opening", "Markup & Arrows", "Slide 3", "Timed", "Closing"};

} // namespace

TEST(DeckTextEndToEnd, ChaptersCaptionsAndTheDecksTimedSlideAndTheKeptRecordingExportsTheSame)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const Ran convert = Deckrec({"convert", kDeck, "--latency", "2000", "--captions", "-o", d + "t.mp4", "-o",
                                 d + "t.mkv", "-o", d + "t.webm", "-o", d + "t.vtt", "-o", d + "t.srt", "-o",
                                 d + "t.chapters.txt", "--keep-recording", d + "rec"});
    ASSERT_EQ(convert.status, 0) << convert.err.toStdString();

    // The timeline: latency steps 2 s apart, the timed slide moves on after its own 3 s (had the
    // recorder clicked as well, slide 5 would start at 2 s or the show would skip it).
    const QJsonArray slides = KeptSlides(d + "rec");
    ASSERT_EQ(slides.size(), 5);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(slides[k]["slide"].toInt(), k + 1);
    EXPECT_NEAR(SlotStart(slides[1]) - SlotStart(slides[0]), 2.0, kSlot);
    EXPECT_NEAR(SlotStart(slides[3]) - SlotStart(slides[2]), 2.0, kSlot);
    EXPECT_NEAR(SlotStart(slides[4]) - SlotStart(slides[3]), 3.0, kSlot);
    const QJsonArray notes = QJsonDocument::fromJson(Text(d + "rec/recording.json").toUtf8()).object()["notes"].toArray();
    ASSERT_EQ(notes.size(), 5);
    EXPECT_TRUE(notes[0].toString().startsWith(QString::fromUtf8("Grüße aus Köln")));
    EXPECT_EQ(notes[1].toString(), "Type <b>bold</b> & keep --> arrows as they are.");
    EXPECT_EQ(notes[2].toString(), "");

    // A chapter per slide, named by its title ("Slide 3" has none), where its first frame is.
    for (const QString video : {"t.mp4", "t.mkv", "t.webm"}) {
        const auto chapters = Chapters(d + video);
        ASSERT_EQ(chapters.size(), 5u) << video.toStdString();
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(chapters[k].first, kTitles[k]) << video.toStdString();
            EXPECT_NEAR(chapters[k].second, SlotStart(slides[k]), kSlot / 2) << video.toStdString();
        }
    }
    EXPECT_EQ(SubtitleCodecs(d + "t.mp4"), QStringList{"mov_text"});
    EXPECT_EQ(SubtitleCodecs(d + "t.mkv"), QStringList{"webvtt"});
    EXPECT_EQ(SubtitleCodecs(d + "t.webm"), QStringList{"webvtt"});

    // The .vtt is a subtitle stream to ffmpeg; no cue crosses a slide boundary, slide 3's
    // empty note has none, and markup in the notes is text.
    EXPECT_EQ(SubtitleCodecs(d + "t.vtt"), QStringList{"webvtt"});
    const QString vtt = Text(d + "t.vtt");
    const std::vector<Cue> cues = VttCues(vtt);
    ASSERT_GE(cues.size(), 4u);
    for (const Cue& cue : cues)
        for (const QJsonValue& slide : slides) {
            const double boundary = SlotStart(slide);
            EXPECT_FALSE(cue.start < boundary - 0.0005 && cue.end > boundary + 0.0005) << cue.text.toStdString();
            EXPECT_FALSE(slide["slide"].toInt() == 3 && cue.start >= boundary && cue.start < SlotStart(slides[3]));
        }
    EXPECT_TRUE(vtt.contains(QString::fromUtf8("Grüße aus Köln")));
    EXPECT_TRUE(vtt.contains(QString::fromUtf8("終わり")));
    EXPECT_TRUE(vtt.contains("Type &lt;b&gt;bold&lt;/b&gt; &amp; keep --&gt; arrows as they"));
    EXPECT_FALSE(vtt.contains("<b>"));
    const QString srt = Text(d + "t.srt");
    EXPECT_TRUE(srt.contains(QString::fromUtf8("<\u200Bb>bold")));
    EXPECT_FALSE(srt.contains("<b>") || srt.contains("keep -->"));
    // The embedded tracks: WebVTT packets as they are stored, mov_text as text.
    const Ran mkvTrack = Program("ffmpeg", {"-v", "error", "-i", d + "t.mkv", "-map", "0:s", "-c", "copy", "-f", "webvtt", "-"});
    EXPECT_TRUE(mkvTrack.out.contains("Type &lt;b&gt;bold&lt;/b&gt; &amp; keep --&gt;")) << mkvTrack.out.toStdString();
    const Ran mp4Track = Program("ffmpeg", {"-v", "error", "-i", d + "t.mp4", "-map", "0:s", "-f", "ass", "-"});
    EXPECT_TRUE(mp4Track.out.contains("Type <b>bold</b> & keep --> arrows as they")) << mp4Track.out.toStdString();

    // The site list starts at 0:00 and says what it merged (every slide here is short).
    EXPECT_TRUE(Text(d + "t.chapters.txt").startsWith("0:00 Opening\n"));
    EXPECT_TRUE(convert.out.contains("\"Timed\" is shorter than 10 seconds, merged into the chapter before it"));

    // The kept recording gives the same chapters and captions.
    const Ran exported = Deckrec({"export", d + "rec", "--captions", "-o", d + "e.mkv", "-o", d + "e.vtt"});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_EQ(Chapters(d + "e.mkv"), Chapters(d + "t.mkv"));
    EXPECT_EQ(SubtitleCodecs(d + "e.mkv"), QStringList{"webvtt"});
    EXPECT_EQ(Text(d + "e.vtt"), vtt);
}

TEST(DeckTextEndToEnd, LatencyTimingsIgnoreTheDecksTimerAndADeckWithoutNotesGetsNoCaptionTrack)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    const Ran latency = Deckrec({"convert", kDeck, "--latency", "2000", "--timings", "latency", "-o",
                                 d + "l.chapters.txt", "--keep-recording", d + "rec"});
    ASSERT_EQ(latency.status, 0) << latency.err.toStdString();
    const QJsonArray slides = KeptSlides(d + "rec");
    ASSERT_EQ(slides.size(), 5);
    EXPECT_NEAR(SlotStart(slides[4]) - SlotStart(slides[3]), 2.0, kSlot);

    const Ran plain = Deckrec({"convert", DECKREC_SAMPLE_DECK, "--latency", "800", "--captions", "-o", d + "s.mkv"});
    ASSERT_EQ(plain.status, 0) << plain.err.toStdString();
    EXPECT_TRUE(plain.out.contains("no caption track: the deck has no speaker notes")) << plain.out.toStdString();
    EXPECT_TRUE(SubtitleCodecs(d + "s.mkv").isEmpty());
    EXPECT_EQ(Chapters(d + "s.mkv").size(), 4u);
}

// Nothing is lost quietly: stored shows and notes that are not what was stored (a full disk cut
// one short, a hand or another run put something else there) are made again with a line on
// stderr, captions are never written empty because the notes could not be read, and a kept
// recording's missing frame file is named instead of shown as the slot before.
TEST(DeckTextEndToEnd, DamagedStoredShowsAndNotesAreMadeAgainAndUnreadNotesOrLostFramesWriteNothingQuietly)
{
    QTemporaryDir dir;
    const QString d = dir.path() + "/";
    ASSERT_EQ(Program("soffice", {"-env:UserInstallation=file://" + d + "profile", "--headless", "--norestore",
                                  "--convert-to", "pptx", "--outdir", d, kDeck}).status, 0);
    const QString deck = d + "timeline-deck.pptx";
    qputenv("XDG_CACHE_HOME", (d + "cache").toUtf8());
    const QStringList convert = {"convert", deck, "-q", "--latency", "300", "-o", d + "a.vtt"};
    const Ran first = Deckrec(convert);
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    ASSERT_TRUE(Text(d + "a.vtt").contains("Grüße aus Köln")) << "the notes of a .pptx";
    // A deck whose name is not UTF-8 and holds an escape sequence is found, and its name
    // reaches the terminal escaped (the shell passes the bytes as they are).
    const Ran oddName = Program("bash", {"-c", "cp \"$1\" \"$2\"/bad$'\\xff\\x1b[31m.pptx' && cd \"$2\" && \"$3\" convert "
                                               "bad$'\\xff\\x1b[31m.pptx' --latency 300 -o odd.gif",
                                         "sh", deck, d, DECKREC_PROGRAM});
    EXPECT_EQ(oddName.status, 0) << oddName.err.toStdString();
    EXPECT_TRUE(oddName.err.contains("\\x1b[31m.pptx")) << oddName.err.toStdString();
    EXPECT_FALSE(oddName.err.contains(QChar(0x1b)));
    Program("bash", {"-c", "rm -f \"$1\"/bad*.pptx", "sh", d}); // a name QTemporaryDir cannot spell
    const QDir shows(d + "cache/deckrec/shows");
    const QString show = shows.filePath(shows.entryList({"*.svg"}).value(0));
    const QString flat = shows.filePath(shows.entryList({"*.fodp"}).value(0));

    struct Damage {
        const char* what;
        std::function<void()> apply;
        const char* reason;
    } damages[] = {
        {"show cut short", [&] { QFile(show).resize(1000); }, "it is incomplete"},
        {"show emptied", [&] { QFile(show).resize(0); }, "it is incomplete"},
        {"show a link", [&] { QFile::remove(show); QFile::link(flat, show); }, "it is not a regular file"},
        {"show a folder", [&] { QFile::remove(show); QDir().mkpath(show); }, "it is not a regular file"},
        {"another deck's show", [&] {
             QFile file(show);
             file.open(QIODevice::ReadWrite);
             const QByteArray text = file.readAll().replace("Opening", "Opened!");
             file.seek(0);
             file.write(text);
         }, "it is damaged or belongs to another deck"},
        {"notes cut short", [&] { QFile(flat).resize(2000); }, "it is incomplete"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        damage.apply();
        QFile::remove(d + "a.vtt");
        const Ran again = Deckrec(convert);
        EXPECT_EQ(again.status, 0) << again.err.toStdString();
        EXPECT_TRUE(again.err.contains(QString("was not used (") + damage.reason + "); it is made again"))
            << again.err.toStdString();
        EXPECT_TRUE(Text(d + "a.vtt").contains("Grüße aus Köln"));
        EXPECT_TRUE(QFileInfo(show).isFile() && !QFileInfo(show).isSymLink());
    }

    // A kept recording whose notes could not be read writes no empty captions.
    ASSERT_EQ(Deckrec({"convert", deck, "-q", "--latency", "300", "-o", d + "b.gif", "--keep-recording", d + "rec"}).status, 0);
    QFile manifest(d + "rec/recording.json");
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    QJsonObject json = QJsonDocument::fromJson(manifest.readAll()).object();
    manifest.close();
    json.remove("notes");
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly | QIODevice::Truncate));
    manifest.write(QJsonDocument(json).toJson());
    manifest.close();
    const Ran unread = Deckrec({"export", d + "rec", "-o", d + "c.vtt", "-o", d + "c.gif"});
    EXPECT_EQ(unread.status, 1) << unread.err.toStdString();
    EXPECT_TRUE(unread.err.contains("c.vtt: the deck's speaker notes could not be read")) << unread.err.toStdString();
    EXPECT_FALSE(QFile::exists(d + "c.vtt"));
    EXPECT_TRUE(QFile::exists(d + "c.gif"));

    // The frame where the second slide came on screen goes missing.
    const int slot = QJsonDocument::fromJson(Text(d + "rec/recording.json").toUtf8()).object()["slides"][1]["slot"].toInt();
    ASSERT_TRUE(QFile::remove(d + QString("rec/temp%1.bmp").arg(slot)));
    const Ran lost = Deckrec({"export", d + "rec", "-o", d + "d.gif"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_TRUE(lost.err.contains(QString("the frame file of slot %1 (temp%1.bmp) is missing").arg(slot))) << lost.err.toStdString();
    EXPECT_FALSE(QFile::exists(d + "d.gif"));
    const Ran allowed = Deckrec({"export", d + "rec", "-o", d + "d.gif", "--allow-missing-frames"});
    EXPECT_EQ(allowed.status, 0) << allowed.err.toStdString();
    EXPECT_TRUE(allowed.err.contains("warning: ")) << allowed.err.toStdString();
    qunsetenv("XDG_CACHE_HOME");
}
