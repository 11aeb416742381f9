// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/narration_dialog.h"

#include "audio/loudness_normaliser.h"
#include "audio/sound_file.h"
#include "audio/wave_file.h"
#include "audio/wave_recorder.h"
#include "core/deckrec_error.h"
#include "core/narration_plan.h"
#include "core/narration_takes.h"
#include "core/speech_text.h"
#include "platform/sound_output.h"
#include "platform/speech/flite_speech_engine.h"
#include "platform/speech/narration_voices.h"
#include "record/deck_note_languages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfDocument>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A take is recorded beside its slot and put in its place only once it is written.
std::string PartPathOf(const std::string& take)
{
    return take + ".part";
}

QString TakeLengthText(long long ms)
{
    return ms < 0 ? QStringLiteral("no take") : QStringLiteral("%1 s").arg(static_cast<double>(ms) / 1000.0, 0, 'f', 1);
}

// The meter shows the level in dB over its last 60: speech sits in the upper half.
int MeterReading(int peak)
{
    if (peak <= 0)
        return 0;
    const double db = 20.0 * std::log10(static_cast<double>(peak) / 32767.0);
    return static_cast<int>(std::lround(std::clamp(60.0 + db, 0.0, 60.0) * 100.0 / 60.0));
}

// The voice list's first entry: no voice named, the language of the deck chooses.
constexpr const char* kBestVoice = "Best for the language";

QPushButton* Button(QWidget* parent, const char* text, const char* name)
{
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    return button;
}

} // namespace

NarrationDialog::NarrationDialog(QWidget* parent, SoundInputService& input, SoundOutputService* output)
    : QDialog(parent)
    , input_(input)
    , output_(output)
{
    setObjectName("dialog_narration");
    setWindowTitle("Narration");

    list_narration = new QListWidget(this);
    list_narration->setObjectName("list_narration");
    list_narration->setMinimumWidth(300);
    list_narration->setWordWrap(true);
    list_narration->setIconSize(QSize(96, 72));
    text_narration_notes = new QTextBrowser(this);
    text_narration_notes->setObjectName("text_narration_notes");
    text_narration_notes->setPlaceholderText("This slide has no notes.");
    button_narration_record = Button(this, "Record", "button_narration_record");
    button_narration_stop = Button(this, "Stop", "button_narration_stop");
    button_narration_play = Button(this, "Play", "button_narration_play");
    button_narration_rerecord = Button(this, "Re-record", "button_narration_rerecord");
    progressbar_narration_level = new QProgressBar(this);
    progressbar_narration_level->setObjectName("progressbar_narration_level");
    progressbar_narration_level->setRange(0, 100);
    progressbar_narration_level->setTextVisible(false);
    progressbar_narration_level->setToolTip("The level of the Record Device while a take is recorded");
    label_narration_take = new QLabel(this);
    label_narration_take->setObjectName("label_narration_take");
    checkbox_narrate = new QCheckBox("Narrate notes", this);
    checkbox_narrate->setObjectName("checkbox_narrate");
    checkbox_narrate->setToolTip("A voice reads the notes of each slide that has no recorded take; "
                                 "each slide stays as long as its narration");
    combobox_narration_voice = new QComboBox(this);
    combobox_narration_voice->setObjectName("combobox_narration_voice");
    combobox_narration_voice->setEditable(true);
    combobox_narration_voice->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    combobox_narration_voice->addItem(QString::fromUtf8(kBestVoice), QString());
    for (const std::string& name : FliteSpeechEngine::VoiceNames())
        combobox_narration_voice->addItem(QString::fromStdString(name), QString::fromStdString(name));
    combobox_narration_voice->setToolTip("The voice that reads the notes: a flite voice from the list, or type a "
                                         "language (en, de, pt-BR) or an espeak-ng voice (espeak-ng --voices)");
    edit_tts_command = new QLineEdit(this);
    edit_tts_command->setObjectName("edit_tts_command");
    edit_tts_command->setPlaceholderText("or a command of yours, with {wav}");
    edit_tts_command->setToolTip("Any speech program you have: it reads a sentence on its input and writes the "
                                 "WAV file named by {wav}; it reads instead of the voice");
    spinbox_narration_gap = new QDoubleSpinBox(this);
    spinbox_narration_gap->setObjectName("spinbox_narration_gap");
    spinbox_narration_gap->setRange(0.0, 10.0);
    spinbox_narration_gap->setSingleStep(0.1);
    spinbox_narration_gap->setDecimals(1);
    spinbox_narration_gap->setSuffix(" s");
    spinbox_narration_gap->setValue(static_cast<double>(kDefaultNarrationGapMs) / 1000.0);
    spinbox_narration_gap->setToolTip("How long a slide stays after its take or its notes have been heard");
    button_narration_listen = Button(this, "Listen", "button_narration_listen");
    button_narration_listen->setToolTip("Hear the selected slide's notes read as the narration will read them");

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {button_narration_record, button_narration_stop, button_narration_play, button_narration_rerecord})
        buttons->addWidget(button);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel("Notes, the script to read:", this));
    right->addWidget(text_narration_notes, 1);
    right->addLayout(buttons);
    right->addWidget(progressbar_narration_level);
    right->addWidget(label_narration_take);
    auto* columns = new QHBoxLayout;
    columns->addWidget(list_narration);
    columns->addLayout(right, 1);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    auto* voices = new QHBoxLayout;
    voices->addWidget(checkbox_narrate);
    voices->addWidget(new QLabel("Voice:", this));
    voices->addWidget(combobox_narration_voice);
    voices->addWidget(edit_tts_command, 1);
    voices->addWidget(button_narration_listen);
    layout->addLayout(voices);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel("Pause after each slide's narration:", this));
    bottom->addWidget(spinbox_narration_gap);
    bottom->addStretch(1);
    bottom->addWidget(close);
    layout->addLayout(bottom);
    resize(640, 400);

    meter_ = new QTimer(this);
    meter_->setInterval(50);
    // While a take records, the meter follows it; while one plays, Stop stays usable until it ends.
    connect(meter_, &QTimer::timeout, this, [this] {
        if (recorder_) {
            progressbar_narration_level->setValue(MeterReading(recorder_->takePeak()));
        } else if (!output_ || !output_->Playing()) {
            meter_->stop();
            updateButtons();
        }
    });
    connect(list_narration, &QListWidget::currentRowChanged, this, [this] { selectionChanged(); });
    connect(button_narration_record, &QPushButton::clicked, this, &NarrationDialog::record);
    connect(button_narration_rerecord, &QPushButton::clicked, this, &NarrationDialog::record);
    connect(button_narration_stop, &QPushButton::clicked, this, &NarrationDialog::stop);
    connect(button_narration_play, &QPushButton::clicked, this, &NarrationDialog::play);
    connect(button_narration_listen, &QPushButton::clicked, this, &NarrationDialog::listen);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // The voice matters only to notes read aloud.
    for (QWidget* voiceControl : std::initializer_list<QWidget*>{combobox_narration_voice, edit_tts_command}) {
        voiceControl->setEnabled(false);
        connect(checkbox_narrate, &QCheckBox::toggled, voiceControl, &QWidget::setEnabled);
    }
    connect(checkbox_narrate, &QCheckBox::toggled, this, &NarrationDialog::updateButtons);
    updateButtons();
}

std::string NarrationDialog::voice() const
{
    const QString typed = combobox_narration_voice->currentText().trimmed();
    const int listed = combobox_narration_voice->findText(typed);
    return (listed >= 0 ? combobox_narration_voice->itemData(listed).toString() : typed).toStdString();
}

long long NarrationDialog::gapMs() const
{
    return std::llround(spinbox_narration_gap->value() * 1000.0);
}

std::string NarrationDialog::ttsCommand() const
{
    return edit_tts_command->text().trimmed().toStdString();
}

NarrationDialog::~NarrationDialog()
{
    if (output_)
        output_->Stop();
}

void NarrationDialog::ShowDeck(const std::string& deckPath, const DeckText& text, const std::string& input)
{
    stop();
    folder_ = NarrationFolderFor(deckPath);
    text_ = text;
    inputName_ = input;
    list_narration->clear();
    for (size_t k = 0; k < text.titles.size(); ++k)
        list_narration->addItem(QString());
    for (int n = 1; n <= static_cast<int>(text.titles.size()); ++n)
        showTake(n);
    if (list_narration->count() > 0)
        list_narration->setCurrentRow(0);
    selectionChanged();
}

void NarrationDialog::ShowSlidePictures(const QString& pdfPath)
{
    QPdfDocument pdf;
    if (pdf.load(pdfPath) != QPdfDocument::Error::None)
        return;
    const QSize box = list_narration->iconSize();
    for (int page = 0; page < pdf.pageCount() && page < list_narration->count(); ++page) {
        const QSizeF points = pdf.pagePointSize(page);
        if (points.isEmpty())
            continue;
        const QSize size = points.scaled(box, Qt::KeepAspectRatio).toSize();
        list_narration->item(page)->setIcon(QPixmap::fromImage(pdf.render(page, size)));
    }
}

int NarrationDialog::slide() const
{
    return list_narration->currentRow() + 1;
}

std::string NarrationDialog::takePath(int n) const
{
    return (fs::path(folder_) / TakeFileName(n)).string();
}

void NarrationDialog::showTake(int n)
{
    QListWidgetItem* item = list_narration->item(n - 1);
    if (!item)
        return;
    const std::string& title = text_.titles[static_cast<size_t>(n - 1)];
    const long long ms = SoundLengthMs(takePath(n));
    item->setText(QStringLiteral("%1. %2  (%3)")
                      .arg(n)
                      .arg(title.empty() ? QStringLiteral("Slide %1").arg(n) : QString::fromStdString(title))
                      .arg(TakeLengthText(ms)));
    if (n == slide())
        label_narration_take->setText(QStringLiteral("Take of slide %1: %2").arg(n).arg(TakeLengthText(ms)));
}

void NarrationDialog::selectionChanged()
{
    const int n = slide();
    const bool known = n >= 1 && n <= static_cast<int>(text_.notes.size());
    text_narration_notes->setPlainText(known ? QString::fromStdString(text_.notes[static_cast<size_t>(n - 1)]) : QString());
    if (known)
        showTake(n);
    else
        label_narration_take->clear();
    updateButtons();
}

std::vector<std::string> NarrationDialog::spokenSentences(int n) const
{
    if (n < 1 || n > static_cast<int>(text_.notes.size()))
        return {};
    return SentencesOf(SpeechPieces(text_.notes[static_cast<size_t>(n - 1)]));
}

void NarrationDialog::updateButtons()
{
    const int n = slide();
    const bool recording = recordingSlide_ != 0;
    const bool playing = output_ && output_->Playing();
    const bool hasTake = n >= 1 && SoundLengthMs(takePath(n)) >= 0;
    button_narration_record->setEnabled(n >= 1 && !recording && !hasTake);
    button_narration_rerecord->setEnabled(n >= 1 && !recording && hasTake);
    button_narration_play->setEnabled(output_ && hasTake && !recording);
    button_narration_stop->setEnabled(recording || playing);
    button_narration_listen->setEnabled(output_ && checkbox_narrate->isChecked() && !recording && !reading_ &&
                                        !spokenSentences(n).empty());
    list_narration->setEnabled(!recording);
}

void NarrationDialog::record()
{
    const int n = slide();
    if (n < 1 || recordingSlide_ != 0)
        return;
    if (output_)
        output_->Stop();
    std::error_code ec;
    fs::create_directories(folder_, ec);
    const std::string part = PartPathOf(takePath(n));
    try {
        if (ec)
            throw DeckrecError("Cannot make the narration folder " + folder_ + ": " + ec.message());
        // The built-in PCM file: speech keeps its quality, and any Record Format's rate plays.
        PrepareSoundFile(std::string(), std::string(), part);
        recorder_ = std::make_unique<WaveRecorder>(input_);
        recorder_->open(part, inputName_);
        if (!recorder_->record())
            throw DeckrecError("Can not record sound: the Record Device did not start");
    } catch (const std::exception& e) {
        recorder_.reset();
        fs::remove(part, ec);
        emit Failed(QString::fromUtf8(e.what()));
        return;
    }
    recordingSlide_ = n;
    meter_->start();
    label_narration_take->setText(QStringLiteral("Recording slide %1 ...").arg(n));
    updateButtons();
}

void NarrationDialog::stop()
{
    if (output_)
        output_->Stop();
    const int n = recordingSlide_;
    if (n == 0) {
        updateButtons();
        return;
    }
    recordingSlide_ = 0;
    meter_->stop();
    progressbar_narration_level->setValue(0);
    const std::string take = takePath(n);
    const std::string part = PartPathOf(take);
    std::error_code ec;
    try {
        recorder_->stop();
        recorder_->save(part);
        recorder_->close();
        recorder_.reset();
        // Only a take that can be read again replaces the one before.
        if (SoundLengthMs(part) < 0)
            throw DeckrecError("The take of slide " + std::to_string(n) + " could not be written");
        fs::rename(part, take, ec);
        if (ec)
            throw DeckrecError("Cannot keep the take as " + take + ": " + ec.message());
    } catch (const std::exception& e) {
        recorder_.reset();
        fs::remove(part, ec);
        emit Failed(QString::fromUtf8(e.what()));
    }
    showTake(n);
    updateButtons();
}

void NarrationDialog::play()
{
    const int n = slide();
    if (!output_ || n < 1)
        return;
    try {
        SoundSamples sound = ReadSound(takePath(n));
        std::string error;
        if (!output_->Play(std::move(sound.samples), sound.rate, sound.channels, error))
            throw DeckrecError(error);
    } catch (const std::exception& e) {
        emit Failed(QString::fromUtf8(e.what()));
    }
    updateButtons();
    meter_->start();
}

void NarrationDialog::listen()
{
    const int n = slide();
    const std::vector<std::string> sentences = spokenSentences(n);
    if (!output_ || sentences.empty() || reading_)
        return;
    output_->Stop();
    const std::string main = MainNoteLanguage(languages_);
    const std::string language = SlideNoteLanguage(languages_, n, main);
    const bool mainLanguage = language == main;
    const std::string voice = this->voice();
    const std::string command = ttsCommand();
    reading_ = true;
    button_narration_listen->setText("Reading...");
    updateButtons();
    speech_.Start([this, sentences, language, mainLanguage, voice, command](const BackgroundTask::Post& post,
                                                                            const BackgroundTask::Stopped& stopped) {
        std::function<void()> answer;
        try {
            NarrationVoices voices(voice, command, {}, stopped);
            const NarrationReader reader = voices.For(language, mainLanguage);
            SpokenText said = reader.engine->Speak(sentences, reader.voice);
            NormaliseLoudness(said.samples, 1, said.sampleRate);
            answer = [this, said = std::move(said)]() mutable {
                std::string error;
                if (said.samples.empty() || !output_->Play(std::move(said.samples), said.sampleRate, 1, error))
                    emit Failed("The notes could not be played" + QString::fromStdString(error.empty() ? "" : ": " + error));
                meter_->start();
            };
        } catch (const std::exception& e) {
            answer = [this, why = QString::fromUtf8(e.what())] { emit Failed("The notes cannot be read aloud: " + why); };
        }
        post([this, answer] {
            reading_ = false;
            button_narration_listen->setText("Listen");
            answer();
            updateButtons();
        });
    });
}

void NarrationDialog::done(int result)
{
    // Closing ends a recording the way Stop does: what was said is kept; a voice still reading
    // is not heard.
    stop();
    speech_.Stop();
    if (reading_) {
        reading_ = false;
        button_narration_listen->setText("Listen");
    }
    QDialog::done(result);
}
