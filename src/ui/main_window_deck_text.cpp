// SPDX-License-Identifier: GPL-3.0-or-later
// What the deck knows, in the windows: its own slide timings (Open PPT page), chapters per slide
// and captions from the speaker notes (video page). The controls sit where no other control is.
#include "ui/main_window.h"
#include "ui/page_layout.h"

#include "core/captions.h"
#include "ui/dialogs.h"
#include "platform/presentation_preparer.h"
#include "video/video_file_options.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSaveFile>
#include <QTabWidget>

namespace {

// The right edge of the Open PPT page's upper box.
constexpr int kUpperBoxRight = 401;

std::vector<TimedText> CaptionsOf(const std::vector<SlideMark>& slides, const DeckText& deck, int frameCount,
                                  double framePeriodMs)
{
    return RecordingCues(SlideSpans(slides, frameCount, framePeriodMs), deck.notes);
}

} // namespace

void TForm1::buildDeckTimingsControl(QWidget* page)
{
    // Under Exact timing, in the timing column right of the volume bars, where its whole caption
    // fits (beside the latency it ran into the box's edge).
    checkbox_decktimings = Put(page, new QCheckBox("Deck times"), "checkbox_decktimings", 292, 204, 0, 19);
    checkbox_decktimings->resize(std::min(checkbox_decktimings->sizeHint().width(), kUpperBoxRight - 2 - 292), 19);
    checkbox_decktimings->setChecked(true);
    checkbox_decktimings->setToolTip(
        "A slide the deck moves on by itself after a set time (rehearsed timings) moves on at that time; "
        "the other steps wait for the latency. Off: every step waits for the latency.");
}

void TForm1::buildDeckTextControls(QWidget* page)
{
    // Below the progress bar, the page's free bottom row.
    checkbox_chapters = Put(page, new QCheckBox("Chapters"), "checkbox_chapters", 16, 244, 90, 20);
    checkbox_chapters->setChecked(true);
    checkbox_chapters->setToolTip("A chapter per slide, named by its title (MP4, WebM and MKV)");
    checkbox_captions = Put(page, new QCheckBox("Captions from the notes"), "checkbox_captions", 112, 244, 200, 20);
    checkbox_captions->setEnabled(false); // until a recorded deck turns out to have notes
    checkbox_captions->setToolTip("The speaker notes as a caption track, and as a .vtt file beside the video");
    // LibreOffice reads the notes when the video page is looked at, not while another
    // recording may be running.
    connect(PageControl1, &QTabWidget::currentChanged, this, [this, page](int) {
        if (PageControl1->currentWidget() == page)
            ReadRecordedNotes();
    });
}

void TForm1::ReadRecordedNotes()
{
    // A narration brings its own captions.
    if (RecordedNarration)
        return;
    if (notesAsked_ || !services_.presentations || RecordedSlides.empty())
        return;
    notesAsked_ = true;
    QPointer<TForm1> self(this);
    const QString deck = Edit1->text();
    const std::vector<SlideMark> slides = RecordedSlides;
    services_.presentations->ConvertToFlat(deck, [self, deck, slides](const QString& flat) {
        // A later recording or another deck has its own notes.
        if (!self || flat.isEmpty() || self->Edit1->text() != deck || self->RecordedSlides != slides)
            return;
        self->RecordedDeckText = ReadFlatDeckTextFile(flat.toStdString());
        self->checkbox_captions->setEnabled(self->RecordedDeckText.HasNotes());
    });
}

bool TForm1::DeckTimings() const
{
    return !checkbox_decktimings || checkbox_decktimings->isChecked();
}

void TForm1::ShowStalled(const ShownSlide& slide, int deckMs)
{
    qWarning("deckrec: warning: slide %d did not move on by itself %d ms after its effects, as the deck says; "
             "the recorder clicked it on",
             slide.number, deckMs);
}

void TForm1::SetSlides(const std::vector<SlideMark>& slides)
{
    RecordedSlides = slides;
    RecordedDeckText = {};
    RecordedNarration = std::move(pendingNarration_);
    pendingNarration_.reset();
    checkbox_captions->setEnabled(RecordedNarration && !RecordedNarration->captions.empty());
    notesAsked_ = false;
    if (PageControl1->currentWidget() == checkbox_captions->parentWidget())
        ReadRecordedNotes();
}

void TForm1::AddDeckText(VideoFileOptions& options) const
{
    if (options.format == VideoFormat::Avi)
        return;
    // A narration's chapters start where each slide's speech does, its captions are what is said.
    if (checkbox_chapters->isChecked())
        options.chapters = RecordedNarration ? RecordedNarration->chapters
                                             : SlideChapters(RecordedSlides, FrameCount, RecordedPeriodMs);
    if (checkbox_captions->isEnabled() && checkbox_captions->isChecked())
        options.captions = RecordedNarration ? RecordedNarration->captions
                                             : CaptionsOf(RecordedSlides, RecordedDeckText, FrameCount, RecordedPeriodMs);
}

void TForm1::WriteCaptionFile(const VideoFileOptions& options)
{
    if (options.captions.empty())
        return;
    const QFileInfo video(QString::fromStdString(options.target));
    QSaveFile file(video.path() + QLatin1Char('/') + video.completeBaseName() + QStringLiteral(".vtt"));
    const std::string text = WebVttText(options.captions);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit())
        services_.dialogs->message(this, "The captions could not be written beside the video: " + file.errorString(),
                                   "Deckrec", DialogService::Icon::Error);
}
