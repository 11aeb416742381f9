// SPDX-License-Identifier: GPL-3.0-or-later
// Main-window handlers of the sound controls and of sound recording.
//
// Mixer device 0's destination 0 is playback and destination 1 recording (see
// platform/pulse/pulse_mixer_service.h for what they are on the sound server). Every handler makes
// its own mixer object and frees it before it returns; one more lives with the window only to
// hear of inputs that come and go. "Record Device:" items carry the device name of their
// input, so that a choice stays with its device whatever the server's order, and sound is
// recorded from that device by name. The program shows levels but writes one only when the
// user moves its bar; it never changes the system's default input. Lines that the mixer
// lacks are passed over: the control keeps showing what it showed, nothing is written.
#include "ui/main_window.h"

#include "ui/dialogs.h"
#include "audio/audio_mixer.h"
#include "audio/media_player.h"
#include "audio/sound_file.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

namespace {

constexpr int kPlayback = 0;
constexpr int kRecording = 1;
constexpr int kDeviceRole = Qt::UserRole;
const char* const kDeviceWatchName = "soundDeviceWatch";

bool HasLine(const TAudioMixer& mixer, int index)
{
    return index >= 0 && index < mixer.LineCount();
}

// Shows a level read from the mixer. The bar's change handler writes levels, and only the
// user's moves may do that: writing back what was read would cap louder settings at 100 %
// and flatten the channel balance.
void ShowLevel(QSlider* bar, int percent)
{
    const QSignalBlocker quiet(bar);
    bar->setValue(percent);
}

// The source line whose device is `device`, or -1 when that device has gone.
int LineOfDevice(const TAudioMixer& mixer, const QString& device)
{
    if (device.isEmpty())
        return -1;
    for (int i = 0; i < mixer.LineCount(); ++i)
        if (mixer.Lines(i)->DeviceName() == device)
            return i;
    return -1;
}

// The input recorded until the user chooses another: the one that records what the computer
// plays (the default output's monitor), else the system's default input, else the first.
int DefaultInput(const TAudioMixer& recording, const QString& defaultOutput)
{
    for (int i = 0; i < recording.LineCount() && !defaultOutput.isEmpty(); ++i)
        if (recording.Lines(i)->MonitorOf() == defaultOutput)
            return i;
    const int i = LineOfDevice(recording, recording.Master()->DeviceName());
    return i >= 0 ? i : recording.LineCount() > 0 ? 0 : -1;
}

// Turns the mixer to the recording destination; the line of the chosen item, or -1.
int ChosenLine(TAudioMixer& mixer, const QComboBox* list)
{
    mixer.setDestinationID(kRecording);
    if (mixer.DestinationID() != kRecording)
        return -1;
    return LineOfDevice(mixer, list->currentData(kDeviceRole).toString());
}

// Lists the inputs of `mixer` (turned to playback) in "Record Device:". The chosen input stays
// chosen while it is there; otherwise the default one is picked. A mixer with a multiplexer is
// told the choice (the sound server has none), and the input's level is shown.
void FillRecordDevices(TForm1& form, TAudioMixer& mixer)
{
    const QString defaultOutput = mixer.Master()->DeviceName();
    mixer.setDestinationID(kRecording);
    QComboBox* list = form.sounddevice;
    const QString chosen = list->currentData(kDeviceRole).toString();
    list->clear();
    // A mixer without a recording destination falls back to playback: no inputs to list.
    const int count = mixer.DestinationID() == kRecording ? mixer.LineCount() : 0;
    for (int i = 0; i < count; ++i)
        list->addItem(mixer.Lines(i)->Name(), mixer.Lines(i)->DeviceName());
    if (count == 0)
        return;
    int pick = LineOfDevice(mixer, chosen);
    if (pick < 0)
        pick = DefaultInput(mixer, defaultOutput);
    list->setCurrentIndex(pick);
    mixer.Master()->SelectSource(pick);
    ShowLevel(form.soundvolume, mixer.Lines(pick)->GetVolume());
}

void RefreshRecordDevices(TForm1& form)
{
    TAudioMixer mixer(&form, *form.services().mixer);
    FillRecordDevices(form, mixer);
}

// Keeps a mixer open on the recording destination, whose reports that inputs came or went
// refill the list. Replaces an earlier watch.
void WatchRecordDevices(TForm1& form)
{
    delete form.findChild<TAudioMixer*>(kDeviceWatchName, Qt::FindDirectChildrenOnly);
    auto* watch = new TAudioMixer(&form, *form.services().mixer);
    watch->setObjectName(kDeviceWatchName);
    watch->setDestinationID(kRecording);
    if (!watch->device() || watch->DestinationID() != kRecording) {
        delete watch;
        return;
    }
    QObject::connect(watch, &TAudioMixer::OnLineChange, &form, [&form, watch](TAudioMixer*, TAudioMixerLine* line) {
        if (line == watch->Master())
            RefreshRecordDevices(form);
    });
}

} // namespace

void TForm1::connectSoundHandlers()
{
    MediaPlayer1 = new TMediaPlayer(this, *services_.soundInput);
    MediaPlayer1->setObjectName("MediaPlayer1");
    // A track bar reports only real moves; the list only the user's choices.
    connect(soundvolume, &QSlider::valueChanged, this, &TForm1::soundvolumeChange);
    connect(svolume2, &QSlider::valueChanged, this, &TForm1::svolume2Change);
    connect(svolume3, &QSlider::valueChanged, this, &TForm1::svolume3Change);
    connect(sounddevice, &QComboBox::activated, this, &TForm1::sounddeviceChange);
}

void TForm1::Timer2Timer()
{
    Timer2->stop();
    // The encoder list is filled however the mixer fared.
    try {
        TAudioMixer mixer(this, *services_.mixer);
        ShowLevel(svolume3, mixer.Master()->GetVolume());
        if (HasLine(mixer, 1))
            ShowLevel(svolume2, mixer.Lines(1)->GetVolume());
        FillRecordDevices(*this, mixer);
        WatchRecordDevices(*this);
    } catch (...) {
        FillEncoderList();
        throw;
    }
    FillEncoderList();
}

void TForm1::sounddeviceChange()
{
    TAudioMixer mixer(this, *services_.mixer);
    const int i = ChosenLine(mixer, sounddevice);
    if (i < 0)
        return;
    mixer.Master()->SelectSource(i);
    ShowLevel(soundvolume, mixer.Lines(i)->GetVolume());
}

void TForm1::soundvolumeChange()
{
    TAudioMixer mixer(this, *services_.mixer);
    const int i = ChosenLine(mixer, sounddevice);
    if (i < 0)
        return;
    mixer.Master()->SelectSource(i);
    mixer.Lines(i)->SetVolume(soundvolume->value());
}

void TForm1::svolume2Change()
{
    TAudioMixer mixer(this, *services_.mixer);
    mixer.setDestinationID(kPlayback);
    if (HasLine(mixer, 1))
        mixer.Lines(1)->SetVolume(svolume2->value());
}

void TForm1::svolume3Change()
{
    TAudioMixer mixer(this, *services_.mixer);
    mixer.setDestinationID(kPlayback);
    mixer.Master()->SetVolume(svolume3->value());
}

void TForm1::StartSoundRecording(const QString& path)
{
    try {
        // Exactly one preparation per start: the file's format is the recording's format.
        PrepareSoundFile(services_.files.ProgramFolder(), TemplateForRecordFormat(SoundQuality->currentIndex()), path.toStdString());
        MediaPlayer1->DeviceType = dtAutoSelect;
        MediaPlayer1->FileName = path;
        MediaPlayer1->InputName = sounddevice->currentData(kDeviceRole).toString();
        MediaPlayer1->Open();
        MediaPlayer1->StartRecording();
    } catch (const std::exception&) {
        services_.dialogs->message(DialogParent(), "Can not init sound device !", "Error:", DialogService::Icon::Error);
    }
}

void TForm1::StopSoundRecording()
{
    try {
        MediaPlayer1->Stop();
        MediaPlayer1->Save();
        MediaPlayer1->Close();
    } catch (const std::exception&) {
        services_.dialogs->message(DialogParent(), "Can not save sound file !", "Error:", DialogService::Icon::Error);
    }
}
