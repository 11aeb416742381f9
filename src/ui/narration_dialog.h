// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The deck's narration, recorded slide by slide: the slides with their titles and the length of
// each one's take, the selected slide's notes as the script to read, and Record, Stop, Play and
// Re-record for its take through the Record Device. Each take is a WAV file of its own in the
// deck's narration folder; a take is replaced only once its new recording is safely written.

#include "platform/background_task.h"
#include "record/deck_text.h"

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTextBrowser;
class QTimer;
class SoundInputService;
class SoundOutputService;
class WaveRecorder;

class NarrationDialog : public QDialog {
    Q_OBJECT
public:
    // The services are not owned and outlive the dialog; output may be null (no Play).
    NarrationDialog(QWidget* parent, SoundInputService& input, SoundOutputService* output);
    ~NarrationDialog() override;

    // The deck whose takes are shown, its slides' titles and notes, and the input takes are
    // recorded from (the Record Device's name; empty: the system's default input).
    void ShowDeck(const std::string& deckPath, const DeckText& text, const std::string& input);
    // The language each slide's notes are marked in (slide n's at [n - 1]), for Listen to read
    // them in the voice the narration will.
    void ShowNoteLanguages(std::vector<std::string> languages) { languages_ = std::move(languages); }
    // Pictures of the slides, from the pages of the deck's PDF at pdfPath (read at once; the
    // file may go after the call). A PDF that cannot be read leaves the slides without.
    void ShowSlidePictures(const QString& pdfPath);
    // The folder the takes are kept in.
    const std::string& folder() const { return folder_; }
    // Who reads the notes: a voice's name or a language, empty for the deck's language's best
    // voice; or a command of the user's own with {wav} (empty: none).
    std::string voice() const;
    std::string ttsCommand() const;
    // The pause after each slide's narration.
    long long gapMs() const;

    QListWidget* list_narration = nullptr;
    QTextBrowser* text_narration_notes = nullptr;
    QPushButton* button_narration_record = nullptr;
    QPushButton* button_narration_stop = nullptr;
    QPushButton* button_narration_play = nullptr;
    QPushButton* button_narration_rerecord = nullptr;
    QProgressBar* progressbar_narration_level = nullptr;
    QLabel* label_narration_take = nullptr;
    QCheckBox* checkbox_narrate = nullptr;
    QComboBox* combobox_narration_voice = nullptr;
    QLineEdit* edit_tts_command = nullptr;
    QPushButton* button_narration_listen = nullptr;
    QDoubleSpinBox* spinbox_narration_gap = nullptr;

signals:
    // A take was written or could not be: the message for the user.
    void Failed(const QString& message);

private:
    void selectionChanged();
    void record();
    void stop();
    void play();
    // What a voice says of slide n's notes, sentence by sentence.
    std::vector<std::string> spokenSentences(int n) const;
    // The selected slide's notes read aloud in the chosen voice, made on the speech task.
    void listen();
    // The selected slide (1-based); 0 when none.
    int slide() const;
    std::string takePath(int slide) const;
    void showTake(int slide);
    void updateButtons();
    void done(int result) override;

    SoundInputService& input_;
    SoundOutputService* output_;
    std::unique_ptr<WaveRecorder> recorder_;
    QTimer* meter_ = nullptr;
    std::string folder_;
    std::string inputName_;
    DeckText text_;
    int recordingSlide_ = 0; // the slide whose take is being recorded; 0 when none
    std::vector<std::string> languages_;
    bool reading_ = false;   // Listen's voice is reading
    BackgroundTask speech_{this};
};
