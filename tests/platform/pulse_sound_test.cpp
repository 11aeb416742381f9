// SPDX-License-Identifier: GPL-3.0-or-later
// Against the test run's own sound server (null output "spk", null input "mic"): the mixer
// shows its inputs, volumes set through the controls read back, the chosen input is recorded
// by name while the server's settings stay as the user left them, and a tone played into the
// output is recorded from its monitor in every Record Format.
#include "ui/main_window.h"
#include "audio/audio_mixer.h"
#include "audio/media_player.h"
#include "support/fake_dialogs.h"
#include "platform/pulse/pulse_mixer_service.h"
#include "support/temp_program_folder.h"
#include "support/test_services.h"
#include "wave_inspect.h"

#include <pulse/simple.h>

#include <QComboBox>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

// The test run's sound server, as the program reaches it.
MixerService& ServerMixers()
{
    static PulseMixerService mixers;
    return mixers;
}

constexpr double kTonePeak = 0.5;

bool ServerRunning()
{
    return TAudioMixer(nullptr, ServerMixers()).MixerCount() > 0;
}

std::string Pactl(const std::string& args)
{
    std::string out;
    if (FILE* p = popen(("pactl " + args + " 2>/dev/null").c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

int LineNamed(TAudioMixer& mixer, const QString& name)
{
    for (int i = 0; i < mixer.LineCount(); ++i)
        if (mixer.Lines(i)->Name() == name)
            return i;
    return -1;
}

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Plays a 1 kHz tone into the default output until it is destroyed.
class TonePlayer {
public:
    TonePlayer()
    {
        const pa_sample_spec toneFormat{PA_SAMPLE_S16LE, 44100, 1};
        pa_buffer_attr attr{uint32_t(-1), 4410 * 2, uint32_t(-1), uint32_t(-1), uint32_t(-1)};
        int error = 0;
        stream_ = pa_simple_new(nullptr, "Deckrec test tone", PA_STREAM_PLAYBACK, nullptr, "tone", &toneFormat, nullptr,
                                &attr, &error);
        if (stream_)
            thread_ = std::thread([this] { run(); });
    }
    ~TonePlayer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (stream_)
            pa_simple_free(stream_);
    }
    bool playing() const { return stream_ != nullptr; }

private:
    void run()
    {
        std::vector<int16_t> chunk(441);
        size_t phase = 0;
        while (!stop_) {
            for (auto& s : chunk)
                s = int16_t(std::lround(kTonePeak * 32767 * std::sin(2 * M_PI * 1000.0 * double(phase++) / 44100)));
            if (pa_simple_write(stream_, chunk.data(), chunk.size() * 2, nullptr) < 0)
                return;
        }
    }
    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

class AudioPulse : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ServerRunning())
            GTEST_SKIP() << "no sound server (scripts/test.sh starts one)";
    }
};

} // namespace

TEST_F(AudioPulse, TheMixerShowsTheServersOutputsAndInputs)
{
    TAudioMixer mixer(nullptr, ServerMixers());
    EXPECT_EQ(mixer.MixerCount(), 1u);
    EXPECT_FALSE(mixer.MixerName().isEmpty());
    ASSERT_EQ(mixer.DestinationCount(), 2);
    QStringList destinations;
    mixer.GetDestinationNames(destinations);
    EXPECT_EQ(destinations, QStringList({"Playback", "Recording"}));
    EXPECT_GE(LineNamed(mixer, "Speakers"), 0);
    EXPECT_NE(mixer.Master()->GetVolume(), -1);

    // The server's change reports arrive as events on the lines concerned: the output is both
    // the default output (the destination's own line) and a source line.
    std::vector<std::pair<TAudioMixerLine*, TMixerControlType>> changes;
    QObject::connect(&mixer, &TAudioMixer::OnControlChange, [&](TAudioMixer*, TAudioMixerLine* line, TMixerControlType k) {
        changes.push_back({line, k});
    });
    const int before = mixer.Master()->GetVolume();
    Pactl(before == 55 ? "set-sink-volume spk 56%" : "set-sink-volume spk 55%");
    for (int i = 0; i < 40 && changes.size() < 2; ++i)
        Wait(50);
    for (const auto& expected : {std::pair(mixer.Master(), mctVolume), std::pair(mixer.Lines(LineNamed(mixer, "Speakers")), mctVolume)})
        EXPECT_NE(std::find(changes.begin(), changes.end(), expected), changes.end());
    mixer.Master()->SetVolume(100);

    EXPECT_EQ(mixer.Master()->DeviceName(), "spk"); // the default output

    mixer.setDestinationID(1);
    const int mic = LineNamed(mixer, "Microphone");
    const int monitor = LineNamed(mixer, "Monitor of Speakers");
    ASSERT_GE(mic, 0);
    ASSERT_GE(monitor, 0);
    EXPECT_EQ(mixer.Lines(mic)->DeviceName(), "mic");
    EXPECT_EQ(mixer.Lines(mic)->MonitorOf(), "");
    EXPECT_EQ(mixer.Lines(monitor)->DeviceName(), "spk.monitor");
    EXPECT_EQ(mixer.Lines(monitor)->MonitorOf(), "spk");
    // No multiplexer: the server's default input is not the mixer's to change.
    const std::string defaultInput = Pactl("get-default-source");
    EXPECT_FALSE(mixer.Master()->HasControl(mctMux));
    mixer.Master()->SelectSource(mic == 0 ? 1 : 0);
    EXPECT_EQ(mixer.Master()->LastError(), 1025);
    EXPECT_EQ(Pactl("get-default-source"), defaultInput);
}

TEST_F(AudioPulse, ControlsChooseTheInputAndSetVolumesThatReadBack)
{
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs));
    form.Timer2Timer();
    QStringList items;
    for (int i = 0; i < form.sounddevice->count(); ++i)
        items << form.sounddevice->itemText(i);
    EXPECT_TRUE(items.contains("Microphone"));
    EXPECT_TRUE(items.contains("Monitor of Speakers"));
    // What the computer plays is recorded unless the user chooses otherwise.
    const int monitor = int(items.indexOf("Monitor of Speakers"));
    EXPECT_EQ(form.sounddevice->currentIndex(), monitor);

    const std::string defaultInput = Pactl("get-default-source");
    form.soundvolume->setValue(60);
    form.svolume3->setValue(40);
    {
        TAudioMixer mixer(nullptr, ServerMixers());
        EXPECT_EQ(mixer.Master()->GetVolume(), 40);
        mixer.setDestinationID(1);
        EXPECT_EQ(mixer.Lines(monitor)->GetVolume(), 60);
    }
    EXPECT_NE(Pactl("get-sink-volume spk").find("40%"), std::string::npos);

    const int mic = int(items.indexOf("Microphone"));
    form.sounddevice->setCurrentIndex(mic);
    emit form.sounddevice->activated(mic);
    EXPECT_EQ(Pactl("get-default-source"), defaultInput);
    EXPECT_TRUE(dialogs.messages.empty());
    form.svolume3->setValue(100);
    form.sounddevice->setCurrentIndex(monitor);
    emit form.sounddevice->activated(monitor);
    form.soundvolume->setValue(100);
}

TEST_F(AudioPulse, RecordsAToneFromTheMonitorInEveryRecordFormat)
{
    {
        // Record what the output plays, at full level.
        TAudioMixer mixer(nullptr, ServerMixers());
        mixer.Master()->SetVolume(100);
        mixer.setDestinationID(1);
        const int monitor = LineNamed(mixer, "Monitor of Speakers");
        ASSERT_GE(monitor, 0);
        mixer.Lines(monitor)->SetVolume(100);
    }
    TempProgramFolder folder;
    for (const char* name : {"adpcm1.wav", "adpcm2.wav", "adpcm3.wav"})
        std::filesystem::copy_file(std::string(DECKREC_BUILT_PROGRAM_DIR) + "/" + name, folder.path() + name);
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    form.Timer2Timer(); // chooses the monitor
    TonePlayer tone;
    ASSERT_TRUE(tone.playing());
    Wait(300);

    const struct {
        int item;
        uint16_t tag;
        uint32_t rate;
        int channels;
    } formats[] = {{0, 0x11, 11025, 1}, {1, 0x11, 22050, 1}, {2, 0x11, 44100, 1}, {3, 0x01, 44100, 2}};
    const std::string path = folder.files().SoundFilePath();
    for (const auto& f : formats) {
        SCOPED_TRACE(f.rate);
        form.SoundQuality->setCurrentIndex(f.item);
        form.StartSoundRecording(QString::fromStdString(path));
        const auto started = std::chrono::steady_clock::now();
        Wait(1200);
        const auto stopped = std::chrono::steady_clock::now();
        form.StopSoundRecording();
        const double seconds = std::chrono::duration<double>(stopped - started).count();

        const WaveHeader h = ReadWaveHeader(path);
        ASSERT_TRUE(h.valid);
        EXPECT_EQ(h.formatTag, f.tag);
        EXPECT_EQ(h.rate, f.rate);
        EXPECT_EQ(h.channels, f.channels);
        const DecodedSound s = DecodeSound(path);
        const double length = double(s.frames()) / s.rate;
        EXPECT_NEAR(length, seconds, 0.1);
        // The length is the server's sound, not silence made up at the end.
        const auto stats = form.MediaPlayer1->recorder().stats();
        EXPECT_LT(double(stats.paddedFrames) / s.rate, 0.05);
        std::printf("Record Format %d: %.3f s recorded in %.3f s; %.1f ms padded, %.1f ms of holes\n", f.item,
                    length, seconds, 1000.0 * double(stats.paddedFrames) / s.rate,
                    1000.0 * double(stats.holeFrames) / s.rate);
        ASSERT_GT(s.frames(), size_t(s.rate));
        const size_t from = size_t(s.rate / 10), count = size_t(s.rate * 8 / 10);
        for (int c = 0; c < f.channels; ++c) {
            EXPECT_NEAR(Rms(s, c, from, count), kTonePeak / M_SQRT2, kTonePeak / M_SQRT2 * 0.05);
            EXPECT_NEAR(DominantFrequency(s, c, from, count), 1000, 30);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AudioPulse, SoundStaysInStepWithTheClock)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    form.Timer2Timer(); // chooses the monitor
    form.SoundQuality->setCurrentIndex(3);
    const std::string path = folder.files().SoundFilePath();
    form.StartSoundRecording(QString::fromStdString(path));
    const auto started = std::chrono::steady_clock::now();
    Wait(500);
    double toneAt = 0;
    {
        TonePlayer tone; // sounds from half a second into the recording on
        toneAt = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        Wait(500);
        form.StopSoundRecording();
    }
    const DecodedSound s = DecodeSound(path);
    ASSERT_GT(s.frames(), size_t(s.rate / 2));
    // The first 5 ms piece that holds the tone.
    const size_t piece = size_t(s.rate / 200);
    size_t onset = 0;
    while (onset + piece <= s.frames() && Rms(s, 0, onset, piece) < 0.1)
        onset += piece;
    const double heardAt = double(onset) / s.rate;
    std::printf("tone played at %.3f s, heard at %.3f s\n", toneAt, heardAt);
    // Within the outputs' own delays (the null output renders a little ahead), the sound is
    // where it happened: no lost start, no drift.
    EXPECT_NEAR(heardAt, toneAt, 0.1);
    EXPECT_TRUE(dialogs.messages.empty());
}

namespace {

double SecondsSince(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// The first frame from `from` on where 5 ms pieces turn from `wasSound` to the other state.
size_t NextChange(const DecodedSound& s, size_t from, bool wasSound)
{
    const size_t piece = size_t(s.rate / 200);
    size_t at = from;
    while (at + piece <= s.frames() && (Rms(s, 0, at, piece) > 0.1) == wasSound)
        at += piece;
    return at;
}

// Chooses the list item with that text as the user would.
void ChooseInput(TForm1& form, const QString& name)
{
    const int i = form.sounddevice->findText(name);
    ASSERT_GE(i, 0) << name.toStdString();
    form.sounddevice->setCurrentIndex(i);
    emit form.sounddevice->activated(i);
}

} // namespace

TEST_F(AudioPulse, AStalledOutputLeavesSilenceWhereItStalledAndTheRestInPlace)
{
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    form.Timer2Timer();
    ChooseInput(form, "Monitor of Speakers");
    form.SoundQuality->setCurrentIndex(3);
    TonePlayer tone;
    ASSERT_TRUE(tone.playing());
    Wait(300);

    const std::string path = folder.files().SoundFilePath();
    form.StartSoundRecording(QString::fromStdString(path));
    const auto started = std::chrono::steady_clock::now();
    Wait(500);
    // A monitor can't be suspended itself; its output can, which stalls both for a second
    // without the server reporting a hole.
    // The server acts somewhere within each pactl call: each moment is known between two readings.
    const double suspending = SecondsSince(started);
    Pactl("suspend-sink spk 1");
    const double suspendedAt = SecondsSince(started);
    Wait(1000);
    const double resuming = SecondsSince(started);
    Pactl("suspend-sink spk 0");
    const double resumedAt = SecondsSince(started);
    Wait(700);
    const double stoppedAt = SecondsSince(started);
    form.StopSoundRecording();

    const DecodedSound s = DecodeSound(path);
    ASSERT_GT(s.frames(), size_t(s.rate));
    const size_t stall = NextChange(s, size_t(s.rate / 10), true);
    const size_t resumed = NextChange(s, stall, false);
    const double length = double(s.frames()) / s.rate;
    const double stallHeard = double(stall) / s.rate, resumeHeard = double(resumed) / s.rate;
    std::printf("stalled at %.3f..%.3f s, heard at %.3f s; resumed at %.3f..%.3f s, heard at %.3f s "
                "(offset %+.0f ms); %.3f s recorded in %.3f s\n", suspending, suspendedAt, stallHeard, resuming,
                resumedAt, resumeHeard, 1000 * (resumeHeard - (resuming + resumedAt) / 2), length, stoppedAt);
    EXPECT_GT(stallHeard, suspending - 0.05);
    EXPECT_LT(stallHeard, suspendedAt + 0.05);
    EXPECT_GT(resumeHeard, resuming - 0.05);
    EXPECT_LT(resumeHeard, resumedAt + 0.05);
    EXPECT_NEAR(length, stoppedAt, 0.05);
    EXPECT_TRUE(dialogs.messages.empty());
}

namespace {

// Waits until the list shows (or no longer shows) an item, as the server's events refill it.
bool WaitForItem(TForm1& form, const QString& name, bool shown)
{
    for (int i = 0; i < 60; ++i) {
        if ((form.sounddevice->findText(name) >= 0) == shown)
            return true;
        Wait(50);
    }
    return false;
}

} // namespace

TEST_F(AudioPulse, StartUpLeavesTheServersSettingsAsTheUserLeftThem)
{
    // Louder than 100 %, off balance, a second output and a default input of the user's.
    const std::string hdmi = Pactl("load-module module-null-sink sink_name=hdmi sink_properties=device.description=HDMI");
    ASSERT_FALSE(hdmi.empty());
    Pactl("set-sink-volume spk 150% 80%");
    Pactl("set-sink-volume hdmi 40%");
    Pactl("set-source-volume mic 130%");
    Pactl("set-source-volume spk.monitor 70% 90%");
    Pactl("set-default-source mic");
    const auto settings = [] {
        return Pactl("get-sink-volume spk") + Pactl("get-sink-volume hdmi") + Pactl("get-source-volume mic") +
               Pactl("get-source-volume spk.monitor") + Pactl("get-default-source") + Pactl("get-default-sink");
    };
    const std::string before = settings();
    {
        FakeDialogs dialogs;
        TForm1 form(TestAppServices(&dialogs));
        form.Timer2Timer();
        EXPECT_EQ(form.sounddevice->currentText(), "Monitor of Speakers");
        EXPECT_EQ(form.svolume3->value(), 100); // shown capped, not written
        // Choosing an input writes no level either.
        ChooseInput(form, "Microphone");
        ChooseInput(form, "Monitor of Speakers");
        EXPECT_EQ(settings(), before);
        EXPECT_TRUE(dialogs.messages.empty());
    }
    Pactl("unload-module " + hdmi);
    Pactl("set-sink-volume spk 100%");
    Pactl("set-source-volume mic 100%");
    Pactl("set-source-volume spk.monitor 100%");
}

TEST_F(AudioPulse, InputsThatComeAndGoAreListedAndTheChosenOneIsRecordedByName)
{
    Pactl("set-default-source mic");
    TempProgramFolder folder;
    FakeDialogs dialogs;
    TForm1 form(TestAppServices(&dialogs, folder.files()));
    form.Timer2Timer();
    ASSERT_EQ(form.sounddevice->currentText(), "Monitor of Speakers");

    // A device plugged in shows up; the choice stays with its device.
    const std::string module = Pactl("load-module module-null-source source_name=hot description=Hotplug");
    ASSERT_FALSE(module.empty());
    ASSERT_TRUE(WaitForItem(form, "Hotplug", true));
    EXPECT_EQ(form.sounddevice->currentText(), "Monitor of Speakers");
    ChooseInput(form, "Hotplug");
    // Unplugged while chosen: gone from the list, and the default choice is back.
    Pactl("unload-module " + module);
    ASSERT_TRUE(WaitForItem(form, "Hotplug", false));
    EXPECT_EQ(form.sounddevice->currentText(), "Monitor of Speakers");

    // The monitor is recorded although the server's default input is the silent microphone.
    TonePlayer tone;
    ASSERT_TRUE(tone.playing());
    Wait(200);
    form.SoundQuality->setCurrentIndex(3);
    const std::string path = folder.files().SoundFilePath();
    form.StartSoundRecording(QString::fromStdString(path));
    Wait(600);
    form.StopSoundRecording();
    const DecodedSound s = DecodeSound(path);
    ASSERT_GT(s.frames(), size_t(s.rate / 2));
    EXPECT_NEAR(Rms(s, 0, size_t(s.rate / 10), size_t(s.rate / 3)), kTonePeak / M_SQRT2, 0.05);
    EXPECT_EQ(Pactl("get-default-source"), "mic");
    EXPECT_TRUE(dialogs.messages.empty());
}
