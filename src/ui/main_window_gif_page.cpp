// SPDX-License-Identifier: GPL-3.0-or-later
// The "Save GIF" page: Preview GIF builds the animation from the frame store and shows it
// playing; Save to GIF builds it again and writes it to the chosen file.
#include "ui/main_window.h"
#include "ui/page_layout.h"

#include "core/deckrec_error.h"
#include "ui/dialogs.h"
#include "ui/export_lock.h"
#include "gif/colour_tolerance.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_budget.h"
#include "gif/gif_save.h"
#include "ui/gif_image_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>

namespace {

// The row under the preview: the 14 pixels between it and the page's edge, in a font a pixel
// smaller than the page's so that the digits keep their room.
constexpr int kBudgetRowTop = 291;
constexpr int kBudgetRowHeight = 14;
constexpr int kBudgetRowFontPixels = 10;

// Two exclusive choices; the first is checked when `firstChecked`.
void RadioPair(QWidget* page, QRadioButton*& first, QRadioButton*& second, const char* firstName, const char* firstCaption,
               const char* secondName, const char* secondCaption, int x, int y, bool firstChecked)
{
    first = Put(page, new QRadioButton(firstCaption), firstName, x, y, 112, 20);
    second = Put(page, new QRadioButton(secondCaption), secondName, x, y + 22, 112, 20);
    auto* group = new QButtonGroup(page);
    group->addButton(first);
    group->addButton(second);
    (firstChecked ? first : second)->setChecked(true);
}

// Settings as they are now; the build reads them once per frame slot.
GifBuildOptions ReadGifOptions(const TForm1& form)
{
    GifBuildOptions options;
    const auto [width, height] = GifZoomSize(form.suiComboBox2->currentIndex(), form.RecordedSize);
    options.width = width;
    options.height = height;
    // Only the first button of each pair is read.
    options.grayScale = !form.suiRadioButton2->isChecked();
    options.smallerSize = form.suiRadioButton7->isChecked();
    options.floydSteinberg = form.suiRadioButton3->isChecked();
    options.highFidelity = form.checkbox_hifi->isChecked();
    options.tolerance = form.spin_giftolerance->value();
    return options;
}

// The sizes a size budget may try: the zoom chosen, then the list's smaller ones.
std::vector<std::pair<int, int>> BudgetSizes(const TForm1& form)
{
    const auto asked = GifZoomSize(form.suiComboBox2->currentIndex(), form.RecordedSize);
    std::vector<std::pair<int, int>> sizes = {asked};
    for (int item = 0; item < 5; ++item) {
        const auto size = GifZoomSize(item, form.RecordedSize);
        if (size.first < asked.first)
            sizes.push_back(size);
    }
    return sizes;
}

// The page's bar for a build (slots) or a save (frames written): the bar takes each count as
// its value, the window stays live between steps, and "Cancel" stops the job at the next one.
Progress GifBarProgress(QProgressBar& bar, const bool& cancelRequested)
{
    Progress progress;
    progress.report = [&bar](long long done, long long) { bar.setValue(static_cast<int>(done)); };
    progress.idle = [] { QCoreApplication::processEvents(); };
    progress.cancelled = [&cancelRequested] { return cancelRequested; };
    return progress;
}

// What a running build disables besides the page tabs.
std::vector<QWidget*> GifPageControls(TForm1& form)
{
    return {form.suiComboBox2, form.suiRadioButton2, form.suiRadioButton5, form.suiRadioButton7,
            form.suiRadioButton8, form.suiRadioButton3, form.suiRadioButton4, form.checkbox_hifi,
            form.spin_giftolerance, form.edit_gifmaxsize, form.Button9, form.Button7};
}

// "Cancel" is live while a build or a save runs; its click is seen before the next slot or
// after the frame being written.
class CancelScope {
public:
    explicit CancelScope(TForm1& form) : form_(form)
    {
        form_.GifCancelRequested = false;
        form_.button_cancelgif->setEnabled(true);
    }
    ~CancelScope()
    {
        form_.button_cancelgif->setEnabled(false);
        form_.GifCancelRequested = false;
    }
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;

private:
    TForm1& form_;
};

} // namespace

void TForm1::buildSaveGifPage(QWidget* page)
{
    Put(page, new QLabel("Zoom:"), nullptr, 16, 14, 40, 20);
    suiComboBox2 = Put(page, new QComboBox, "suiComboBox2", 60, 12, 100, 22);
    suiComboBox2->addItems({"560x420", "480x360", "360x270", "240x180", "120x90", "Original size"});
    suiComboBox2->setCurrentIndex(0);

    RadioPair(page, suiRadioButton2, suiRadioButton5, "suiRadioButton2", "256Colors", "suiRadioButton5", "GrayScale", 16, 42, true);
    RadioPair(page, suiRadioButton7, suiRadioButton8, "suiRadioButton7", "Smaller Size", "suiRadioButton8", "Best Quality", 144, 42, true);
    RadioPair(page, suiRadioButton3, suiRadioButton4, "suiRadioButton3", "FloydSteinberg", "suiRadioButton4", "Nearest", 272, 42, false);

    Button9 = Put(page, new QPushButton("Preview GIF"), "Button9", 176, 8, 108, 28);
    Button7 = Put(page, new QPushButton("Save to GIF"), "Button7", 292, 8, 108, 28);

    // The bar's row also holds the High Fidelity box and Cancel, so that the preview keeps its size.
    suiProgressBar2 = Put(page, new QProgressBar, "suiProgressBar2", 8, 90, 205, 18);
    button_cancelgif = Put(page, new QPushButton("Cancel"), "button_cancelgif", 325, 87, 76, 24);
    button_cancelgif->setEnabled(false);
    suiProgressBar2->setRange(0, 100);
    suiProgressBar2->setValue(0);
    suiProgressBar2->setTextVisible(true);

    // Exact colours, one shared palette and smaller difference frames; off: the classic build.
    checkbox_hifi = Put(page, new QCheckBox("High Fidelity"), "checkbox_hifi", 219, 89, 102, 20);
    checkbox_hifi->setChecked(false);

    // The strip under the preview holds what makes a GIF fit where it is posted, so that no
    // control above moves.
    auto* maxSizeLabel = Put(page, new QLabel("Max size:"), nullptr, 8, kBudgetRowTop, 46, kBudgetRowHeight);
    edit_gifmaxsize = Put(page, new QLineEdit, "edit_gifmaxsize", 56, kBudgetRowTop, 70, kBudgetRowHeight);
    edit_gifmaxsize->setPlaceholderText("e.g. 8M");
    edit_gifmaxsize->setToolTip("The best GIF that fits this size (8M, 500k, bytes): High Fidelity with a "
                                 "growing tolerance, then fewer colours, then the smaller zoom sizes");
    auto* toleranceLabel = Put(page, new QLabel("Tolerance:"), nullptr, 219, kBudgetRowTop, 52, kBudgetRowHeight);
    spin_giftolerance = Put(page, new QSpinBox, "spin_giftolerance", 273, kBudgetRowTop, 48, kBudgetRowHeight);
    for (QWidget* w : {static_cast<QWidget*>(maxSizeLabel), static_cast<QWidget*>(edit_gifmaxsize),
                       static_cast<QWidget*>(toleranceLabel), static_cast<QWidget*>(spin_giftolerance)}) {
        QFont small = w->font();
        small.setPixelSize(kBudgetRowFontPixels);
        w->setFont(small);
    }
    spin_giftolerance->setRange(0, kMaxGifTolerance);
    spin_giftolerance->setValue(0);
    spin_giftolerance->setToolTip("High Fidelity: how far a shown colour may be from the true one (a grey step of "
                                   "that many levels); 0 shows every colour exactly");
    // A tolerance belongs to High Fidelity, as --gif-tolerance does on the command line.
    connect(spin_giftolerance, &QSpinBox::valueChanged, this, [this](int value) {
        if (value > 0)
            checkbox_hifi->setChecked(true);
    });

    ScrollBox3 = Put(page, new QScrollArea, "ScrollBox3", 8, 114, 393, 177);
    ScrollBox3->setWidgetResizable(false);
    imageanimate = new GifImageView;
    imageanimate->setObjectName("imageanimate");
    ScrollBox3->setWidget(imageanimate);

    connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
    connect(Button7, &QPushButton::clicked, this, &TForm1::Button7Click);
    connect(button_cancelgif, &QPushButton::clicked, this, [this] { GifCancelRequested = true; });
}

void TForm1::Button9Click()
{
    if (ExportRunning())
        return;
    ExportLock lock(*this, GifBuildRunning, GifPageControls(*this));
    CancelScope cancel(*this);
    try {
        BuildGifPreview();
    } catch (const GifCancelled&) {
        // Stopped by the user: the preview keeps what it showed.
        suiProgressBar2->setValue(0);
    }
}

bool TForm1::BuildGifPreview()
{
    if (FrameCount <= 0) {
        ShowNotice(*services_.dialogs, this, "No images selected.");
        return false;
    }
    // Sizes follow the recording's shape; the lists show them from here on.
    ShowRecordingShape();
    // A range of 0..0 would show Qt's busy indicator instead of a bar.
    suiProgressBar2->setMaximum(std::max(FrameCount - 1, 1));
    QCoreApplication::processEvents();

    std::unique_ptr<TGIFImage> animation;
    GifBudgetChoice.clear();
    suiProgressBar2->setFormat("%p%");
    if (!edit_gifmaxsize->text().trimmed().isEmpty()) {
        animation = BuildGifWithinBudget();
        if (!animation)
            return false;
    } else {
        GifBuildSettings settings;
        settings.readOptions = [this] { return ReadGifOptions(*this); };
        settings.framePeriodMs = RecordedPeriodMs;
        animation = BuildGifAnimation(services_.files, FrameCount, settings,
                                      GifBarProgress(*suiProgressBar2, GifCancelRequested));
    }

    if (animation->Empty()) {
        // Not one slot had a picture of its own: there is nothing to show or save.
        ShowNotice(*services_.dialogs, this, "No images selected.");
        return false;
    }
    // Nothing else holds the animation: the preview takes it over instead of a copy.
    imageanimate->setPicture(std::move(animation));
    QCoreApplication::processEvents();
    return true;
}

std::unique_ptr<TGIFImage> TForm1::BuildGifWithinBudget()
{
    GifBudgetRequest request;
    if (!ParseGifByteLimit(edit_gifmaxsize->text().trimmed().toStdString(), request.maxBytes)) {
        ShowNotice(*services_.dialogs, this, "Max size takes a size such as 8M, 500k or 120000 (bytes).");
        return nullptr;
    }
    request.sizes = BudgetSizes(*this);
    request.options = ReadGifOptions(*this);
    request.framePeriodMs = RecordedPeriodMs;
    GifBudgetResult fit =
        FitGifToBudget(services_.files, FrameCount, request, GifBarProgress(*suiProgressBar2, GifCancelRequested));
    if (!fit.animation) {
        ShowNotice(*services_.dialogs, this,
                   QString::fromStdString("No GIF fits " + ByteSizeText(request.maxBytes) + ": even the smallest try (" +
                                          GifBudgetChoiceText(fit.smallest, fit.smallestBytes) + ") is larger."));
        return nullptr;
    }
    // The bar says what was chosen until the next build.
    GifBudgetChoice = GifBudgetChoiceText(fit.chosen, fit.bytes);
    suiProgressBar2->setFormat(QString::fromStdString(GifBudgetChoice));
    return std::move(fit.animation);
}

void TForm1::Button7Click()
{
    if (ExportRunning())
        return;
    const QString path = services_.dialogs->saveFileName(this, "*.gif (*.gif);;All Files (*)", "gif");
    if (path.isEmpty())
        return;
    const std::string target = path.toLocal8Bit().toStdString();
    if (services_.files.IsWorkingFile(target))
        throw DeckrecError("Cannot save to " + target + ": Deckrec keeps the recording there. Choose another name or folder.");
    ExportLock lock(*this, GifBuildRunning, GifPageControls(*this));
    CancelScope cancel(*this);
    try {
        // Only the animation just built is saved: after "No images selected." the preview
        // still shows an earlier recording, which must not be written under the new name.
        if (!BuildGifPreview())
            return;
        SaveGifPicture(target);
    } catch (const GifCancelled&) {
        suiProgressBar2->setValue(0);
    }
}

void TForm1::SaveGifPicture(const std::string& target)
{
    // The same bar shows the frames written; the window stays live between frames.
    const QString format = suiProgressBar2->format();
    suiProgressBar2->setFormat("Saving... %p%");
    suiProgressBar2->setMaximum(std::max(imageanimate->picture()->Count(), 1));
    suiProgressBar2->setValue(0);
    try {
        // Written beside the target and renamed over it when complete: a failed or cancelled
        // save leaves the user's old file as it was and no partial file.
        SaveGifFile(*imageanimate->picture(), target, GifBarProgress(*suiProgressBar2, GifCancelRequested));
    } catch (...) {
        suiProgressBar2->setFormat(format);
        throw;
    }
    suiProgressBar2->setFormat(format);
}
