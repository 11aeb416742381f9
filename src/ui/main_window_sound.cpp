// Main-window handlers of the sound controls and of sound recording.
//
// Mixer device 0's destination 0 is playback and destination 1 recording (see
// platform/pulse_mixer_service.h for what they are on the sound server). Every handler makes
// its own mixer object and frees it before it returns. Lines that a fixed index needs but the
// mixer lacks are passed over: the control keeps showing what it showed, nothing is written.
#include "ui/main_window.h"

#include "ui/dialogs.h"
#include "audio/audio_mixer.h"
#include "audio/media_player.h"
#include "audio/sound_file.h"

#include <QComboBox>
#include <QSlider>
#include <QTimer>

namespace {

constexpr int kPlayback = 0;
constexpr int kRecording = 1;
// Start-up level of the playback mixer's line 1, so that what is played is recorded loud.
constexpr int kWaveOutVolume = 95;

bool HasLine(const TAudioMixer& mixer, int index)
{
    return index >= 0 && index < mixer.LineCount();
}

// Turns the mixer to the recording destination and makes input i the one recorded; true when
// that input's own line is there to read or set.
bool SelectRecordingInput(TAudioMixer& mixer, int i)
{
    mixer.setDestinationID(kRecording);
    if (mixer.DestinationID() != kRecording)
        return false;
    mixer.Master()->SelectSource(i);
    return HasLine(mixer, i);
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
        svolume3->setValue(mixer.Master()->GetVolume());
        if (HasLine(mixer, 1)) {
            mixer.Lines(1)->SetVolume(kWaveOutVolume);
            svolume2->setValue(kWaveOutVolume);
        }
        mixer.setDestinationID(kRecording);
        // A mixer without a recording destination falls back to playback: no inputs to list.
        const int count = mixer.DestinationID() == kRecording ? mixer.LineCount() : 0;
        for (int i = 0; i < count; ++i) {
            const QString name = mixer.Lines(i)->Name();
            sounddevice->addItem(name);
            // The last line whose name has "Mono" in it wins.
            if (name.contains("Mono", Qt::CaseSensitive)) {
                sounddevice->setCurrentIndex(i);
                mixer.Master()->SelectSource(i);
                soundvolume->setValue(mixer.Lines(i)->GetVolume());
            }
        }
        if (sounddevice->currentIndex() < 1 && HasLine(mixer, 1) && count > 1) {
            sounddevice->setCurrentIndex(1);
            mixer.Master()->SelectSource(1);
            soundvolume->setValue(mixer.Lines(1)->GetVolume());
        }
    } catch (...) {
        FillEncoderList();
        throw;
    }
    FillEncoderList();
}

void TForm1::sounddeviceChange()
{
    const int i = sounddevice->currentIndex();
    TAudioMixer mixer(this, *services_.mixer);
    if (SelectRecordingInput(mixer, i))
        soundvolume->setValue(mixer.Lines(i)->GetVolume());
}

void TForm1::soundvolumeChange()
{
    const int i = sounddevice->currentIndex();
    TAudioMixer mixer(this, *services_.mixer);
    if (SelectRecordingInput(mixer, i))
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
        MediaPlayer1->Open();
        MediaPlayer1->StartRecording();
    } catch (const std::exception&) {
        services_.dialogs->message(this, "Can not init sound device !", "Error:", DialogService::Icon::Error);
    }
}

void TForm1::StopSoundRecording()
{
    try {
        MediaPlayer1->Stop();
        MediaPlayer1->Save();
        MediaPlayer1->Close();
    } catch (const std::exception&) {
        services_.dialogs->message(this, "Can not save sound file !", "Error:", DialogService::Icon::Error);
    }
}
