// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Main window: the "Open PPT", "Save AVI" and "Save GIF" pages. Handlers are named after
// their controls; each subsystem keeps its handlers in a main_window_*.cpp file of its own.

#include "core/narration_plan.h"
#include "core/unfinished_session.h"
#include "core/zoom_sizes.h"
#include "record/deck_text.h"
#include "record/narration_job.h"
#include "record/recorder_host.h"
#include "ui/app_services.h"

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSize;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTimer;
class TForm2;

struct NarrationSettings;

class TForm1 : public QWidget, public RecorderHost {
    Q_OBJECT
public:
    explicit TForm1(AppServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    const AppServices& services() const { return services_; }

    // What the Recorder reads of the "Open PPT" page and tells this window.
    int LatencyMs() const override;
    bool AutoRecord() const override;
    bool CursorOn() const override;
    bool AudioOn() const override;
    const WorkingFiles& Files() const override { return services_.files; }
    void SetFrameCount(int frameCount) override;
    void StartSound(const std::string& path) override;
    void StopSound() override;
    void SessionEnded(bool kept) override;

    // What the deck knows (main_window_deck_text.cpp): its own slide timings on the Open PPT
    // page; chapters and captions from the notes on the video page.
    bool DeckTimings() const override;
    void ShowStalled(const ShownSlide& slide, int deckMs) override;
    void SetSlides(const std::vector<SlideMark>& slides) override;
    // A narrated recording (main_window_narrated_recording.cpp): the deck's takes, or its
    // notes spoken, make the sound and the slides' times.
    bool Narrated() const override;
    void PrepareNarration(std::function<void(int, int)> progress,
                          std::function<void(std::optional<PerformanceLog>)> done) override;
    // The last recording's narration, when it was narrated: its track is the sound file.
    std::optional<NarrationPlan> RecordedNarration;
    QCheckBox* checkbox_decktimings = nullptr; // checked: a slide the deck times moves on by itself
    QCheckBox* checkbox_chapters = nullptr;    // checked: a chapter per slide in MP4, WebM and MKV
    QCheckBox* checkbox_captions = nullptr;    // the notes as a caption track and a .vtt beside the video
    // The last recording's slides and its deck's notes (read once it has ended).
    std::vector<SlideMark> RecordedSlides;
    DeckText RecordedDeckText;
    // Chapters and captions into a video export's options, as the check boxes say.
    void AddDeckText(struct VideoFileOptions& options) const;
    // After a video export with captions: the same captions as a .vtt beside it.
    void WriteCaptionFile(const struct VideoFileOptions& options);

    // The Recorder window, hidden whenever this window shows.
    void setRecorder(TForm2* recorder) { Form2 = recorder; }
    TForm2* recorder() const { return Form2; }
    // The parent for a message box: the Recorder while it is up (it stays on top), else this.
    QWidget* DialogParent();

    // Number of the last frame slot of the last recording session.
    int FrameCount = 0;
    // The frame period of the last recording, which its exports keep whatever the Frame rate
    // list says now.
    double RecordedPeriodMs = kDefaultFramePeriodMs;

    QTabWidget* PageControl1 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // "Open PPT" page: recording options
    QRadioButton* suiRadioButton9 = nullptr;
    QRadioButton* radiobutton_autorecord = nullptr;
    QSpinBox* suiSpinEdit3 = nullptr;
    QCheckBox* checkbox_cursor = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* recordernow = nullptr;
    QLabel* fontsLabel = nullptr; // the deck's fonts the show cannot draw, under the upper box
    QComboBox* capturesize = nullptr; // "Capture size:", the browser frame's recorded size
    CaptureSize RecordingCaptureSize() const override;
    QComboBox* framerate = nullptr;         // "Frame rate:", frames a second of the recording
    QCheckBox* checkbox_exacttime = nullptr; // "Exact timing": the show on the session's clock
    double FramePeriodMs() const override;
    bool ShowTime() const override;

    // "Open PPT" page: sound controls
    QSlider* soundvolume = nullptr;
    QSlider* svolume2 = nullptr;
    QSlider* svolume3 = nullptr;
    QComboBox* sounddevice = nullptr;
    QComboBox* SoundQuality = nullptr;
    QCheckBox* audioenable = nullptr;

    // Handlers of the shell
    void FormCreate();
    void suitempButton1Click();
    // A deck named on the command line ("Open with..."), chosen as if picked with Browse; a
    // name that is no file is reported and changes nothing.
    void OpenPresentation(const QString& path);
    void ChoosePresentation(const QString& path);
    // The chosen deck's warnings in fontsLabel once it is converted: the fonts the show cannot
    // draw, and the pictures it links on the network that are drawn as missing links.
    void ShowDeckWarnings(const QString& path);

    // "Options..." (main_window_remote_content.cpp): a small dialog with what the page has no
    // room for.
    QPushButton* button_options = nullptr;
    class QDialog* dialog_options = nullptr;
    // "Allow remote content": LibreOffice and the show may fetch what a deck links on the network.
    QCheckBox* checkbox_remotecontent = nullptr;

    // "Narration..." (main_window_narration.cpp): the deck's narration, recorded slide by slide,
    // or its notes spoken, in a dialog of its own.
    QPushButton* button_narration = nullptr;
    class NarrationDialog* dialog_narration = nullptr;
    void OpenNarration();

    // Recording (main_window_record.cpp)
    void recordernowClick();
    void Timer1Timer();
    // A session on the wall clock grabs the screen, which a Wayland display does not allow:
    // asks whether to record on the show's own clock instead. True to go on (Exact timing
    // already on, the screen can be grabbed, or Yes turned it on); false goes back.
    bool OfferShowTimeWhereScreenCannotBeCaptured();
    // Frames a window that died while recording left behind (found at start): asks once
    // whether to recover them. Yes makes them the current recording, as Finished would have;
    // No deletes them.
    void OfferUnfinishedSession(const UnfinishedSession& session);

    // Sound (main_window_sound.cpp)
    void Timer2Timer();
    void sounddeviceChange();
    void soundvolumeChange();
    void svolume2Change();
    void svolume3Change();
    // Records the selected input into path in the chosen Record Format; failures are
    // reported to the user inside, never thrown.
    void StartSoundRecording(const QString& path);
    void StopSoundRecording();
    // The hidden media player that records the sound file; owned by this window.
    class TMediaPlayer* MediaPlayer1 = nullptr;

    // Save AVI page (main_window_avi_page.cpp). The save dialog is the dialog service's saveFileName.
    void FillEncoderList();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void suiButton1Click();
    void suiButton5Click();
    // "Format:" chosen: the encoder list holds what the container takes, with its default
    // encoder chosen; MP4 and WebM fix the colour depth at 24 bits.
    void videoformatChange();
    QComboBox* videoformat = nullptr;  // "Format:" AVI, MP4, WebM, MKV
    QComboBox* ComboBox1 = nullptr;    // "Color:"
    QComboBox* ComboBox2 = nullptr;    // "Encoder:"
    QComboBox* ComboBox3 = nullptr;    // "Quality:"
    QComboBox* suiComboBox1 = nullptr; // "Zoom:"
    QPushButton* suiButton1 = nullptr; // "Advance"
    QPushButton* suiButton5 = nullptr; // "Save to AVI", named after the chosen format
    class QProgressBar* suiProgressBar1 = nullptr;
    std::shared_ptr<class TAviWriter_2> AviWriter;
    bool AviExportRunning = false; // Save to AVI is writing; a second start is refused
    QPushButton* button_cancelavi = nullptr; // "Cancel": stops a running export at once
    bool AviExportCancelled = false;          // asked by the running export before each slot

    // Save GIF page (main_window_gif_page.cpp). The save dialog is the dialog service's saveFileName.
    QComboBox* suiComboBox2 = nullptr;      // zoom
    QRadioButton* suiRadioButton2 = nullptr; // "256Colors" (its pair: suiRadioButton5 "GrayScale")
    QRadioButton* suiRadioButton5 = nullptr;
    QRadioButton* suiRadioButton7 = nullptr; // "Smaller Size" (its pair: suiRadioButton8 "Best Quality")
    QRadioButton* suiRadioButton8 = nullptr;
    QRadioButton* suiRadioButton3 = nullptr; // "FloydSteinberg" (its pair: suiRadioButton4 "Nearest")
    QRadioButton* suiRadioButton4 = nullptr;
    QCheckBox* checkbox_hifi = nullptr;      // "High Fidelity", unchecked: the classic build
    class QSpinBox* spin_giftolerance = nullptr; // High Fidelity's tolerance, 0: exact; above 0 checks High Fidelity
    class QLineEdit* edit_gifmaxsize = nullptr;  // a size budget ("8M", "500k"); empty: none
    // What the last build within a size budget chose ("560 x 316, tolerance 6: 7.6 MB"); empty: none.
    std::string GifBudgetChoice;
    QPushButton* Button9 = nullptr;          // "Preview GIF"
    QPushButton* Button7 = nullptr;          // "Save to GIF"
    QPushButton* button_cancelgif = nullptr; // "Cancel": stops a running build or save
    class QProgressBar* suiProgressBar2 = nullptr;
    class QScrollArea* ScrollBox3 = nullptr;
    class GifImageView* imageanimate = nullptr;
    void Button9Click();
    void Button7Click();
    bool GifBuildRunning = false; // Preview or Save to GIF is building; a second start is refused
    bool GifCancelRequested = false; // set by "Cancel", read by the running build or save

    // Zoom lists (main_window_zoom.cpp): the size of the last recording's pictures, which the
    // listed sizes and "Original size" follow. Read again from the frame store by
    // ShowRecordingShape, which also puts the real sizes into both lists' captions.
    ZoomSize RecordedSize = kUnknownRecording;
    void ShowRecordingShape();

    // An export or a GIF build is running: closing the window waits for it to end, since the
    // working files it reads are deleted on close.
    bool ExportRunning() const { return AviExportRunning || GifBuildRunning; }
    // Told by an export or a build when it has ended: a close asked for meanwhile happens now.
    void ExportEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildOpenPptPage(QWidget* page);
    void buildTimingControls(QWidget* page);
    void buildSaveAviPage(QWidget* page);
    void buildSaveGifPage(QWidget* page);
    void connectRecordingHandlers();
    void connectSoundHandlers();
    void buildDeckTimingsControl(QWidget* page);
    void buildOptionsDialog(QWidget* page);
    void buildNarrationButton(QWidget* page);
    void remoteContentToggled(bool allowed);
    void showWarnings();
    // What ShowDeckWarnings found for the deck asked for last (asked counts the asks, so that a
    // late answer to an earlier one is dropped).
    QStringList fontWarnings_;
    QString remoteContentWarning_;
    int warningsAsked_ = 0;
    NarrationSettings NarrationSettingsNow() const;
    std::optional<NarrationPlan> pendingNarration_; // made for the session under way
    NarrationJob narrationJob_{this};               // makes it away from the windows' thread
    bool deckChosen_ = false; // Edit1 holds a deck picked with Browse or named at start
    void buildDeckTextControls(QWidget* page);
    // The notes of the last recording's deck, read once; the captions box follows them.
    void ReadRecordedNotes();
    bool notesAsked_ = false;

    // Builds the animation into the preview; false when there was nothing to show.
    bool BuildGifPreview();
    // BuildGifPreview's build when Max size is filled in: null (with a notice) when the size is
    // no size or nothing fits.
    std::unique_ptr<class TGIFImage> BuildGifWithinBudget();
    // Writes the preview's animation to target with "Saving..." progress; GifCancelled when stopped.
    void SaveGifPicture(const std::string& target);

    AppServices services_;
    TForm2* Form2 = nullptr;
    // When the working directory's mark of the running session is brought up to date next.
    OncePerInterval sessionMarkDue_;
    bool closeAfterExport_ = false;
};

// Fills the "Capture size:" list; a size whose Recorder does not fit a screen of the given size
// is offered disabled, its tooltip saying why.
void OfferCaptureSizes(QComboBox* list, QSize screen);

// Left (or Top) that centres a window of the given outer size on a screen of the given size;
// the division truncates toward zero, so -5 gives -2.
int CentredPosition(int screenSize, int windowSize);
