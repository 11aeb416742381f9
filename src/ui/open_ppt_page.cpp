// SPDX-License-Identifier: GPL-3.0-or-later
// Layout of the "Open PPT" page: recording options above, sound controls below.
#include "ui/main_window.h"
#include "ui/recorder_window.h"
#include "core/frame_period.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardItemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

namespace {

template <typename W>
W* Place(QWidget* page, W* widget, const char* name, int x, int y)
{
    widget->setParent(page);
    if (name)
        widget->setObjectName(name);
    widget->move(x, y);
    widget->adjustSize();
    return widget;
}

QLabel* Caption(QWidget* page, const char* text, int x, int y)
{
    return Place(page, new QLabel(text), nullptr, x, y);
}

QSlider* VolumeBar(QWidget* page, const char* name, int y)
{
    auto* bar = Place(page, new QSlider(Qt::Horizontal), name, 112, y);
    bar->setGeometry(112, y, 169, 20);
    bar->setRange(0, 100);
    bar->setSingleStep(1);
    bar->setPageStep(2);
    bar->setTickInterval(5);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setValue(0);
    return bar;
}

// The browser frame sizes a recording can have; the first is the classic layout.
constexpr CaptureSize kCaptureSizes[] = {{595, 466}, {1280, 720}, {1920, 1080}};

} // namespace

void OfferCaptureSizes(QComboBox* list, QSize screen)
{
    auto* model = qobject_cast<QStandardItemModel*>(list->model());
    for (const CaptureSize& size : kCaptureSizes) {
        list->addItem(QStringLiteral("%1 x %2").arg(size.width).arg(size.height), QSize(size.width, size.height));
        const QSize needed = TForm2::RecorderSizeFor(size);
        if (screen.isEmpty() || (needed.width() <= screen.width() && needed.height() <= screen.height()))
            continue;
        QStandardItem* item = model->item(list->count() - 1);
        item->setEnabled(false);
        item->setToolTip(QStringLiteral("The Recorder needs a screen of at least %1 x %2 pixels for this size; this one is %3 x %4.")
                             .arg(needed.width())
                             .arg(needed.height())
                             .arg(screen.width())
                             .arg(screen.height()));
    }
    list->setCurrentIndex(0);
}

CaptureSize TForm1::RecordingCaptureSize() const
{
    // A size offered disabled (it does not fit the screen) is never recorded at.
    const int index = capturesize->currentIndex();
    const auto* model = qobject_cast<const QStandardItemModel*>(capturesize->model());
    if (index < 0 || !model->item(index)->isEnabled())
        return kCaptureSizes[0];
    const QSize size = capturesize->itemData(index).toSize();
    return {size.width(), size.height()};
}

double TForm1::FramePeriodMs() const
{
    const double fps = framerate ? framerate->currentData().toDouble() : 0;
    return fps > 0 ? FramePeriodOfRate(fps) : kDefaultFramePeriodMs;
}

bool TForm1::ShowTime() const
{
    return checkbox_exacttime && checkbox_exacttime->isChecked();
}

// Right of the volume bars: the frame rate and the show's own clock.
void TForm1::buildTimingControls(QWidget* page)
{
    Caption(page, "Frame rate:", 292, 137);
    framerate = Place(page, new QComboBox, "framerate", 292, 155);
    framerate->setGeometry(292, 155, 101, 19);
    framerate->addItem("6.67 (150 ms)", 1000.0 / kDefaultFramePeriodMs);
    for (const int fps : {10, 15, 25, 30, 50, 60})
        framerate->addItem(QString::number(fps), static_cast<double>(fps));
    framerate->setCurrentIndex(0);

    checkbox_exacttime = Place(page, new QCheckBox("Exact timing"), "checkbox_exacttime", 292, 182);
    checkbox_exacttime->setToolTip(
        "Every frame shows exactly its moment of the show, drawn as fast as the machine can. With Auto "
        "Record without sound the show runs on the recorder's own clock and no pointer is drawn; with "
        "sound or Custom Record it plays live as you see it, your clicks, slide keys and pointer are "
        "logged, and its frames (with the pointer, when Cursor On) are drawn once you finish.");
}

void TForm1::buildOpenPptPage(QWidget* page)
{
    auto* box = Place(page, new QFrame, "upperBox", 8, 8);
    box->setFrameShape(QFrame::Box);
    box->setGeometry(8, 8, 393, 113);

    suiRadioButton9 = Place(page, new QRadioButton("Custom Record (Next Action By Mouse Left Click)"), "suiRadioButton9", 24, 18);
    radiobutton_autorecord = Place(page, new QRadioButton("Auto Record ("), "radiobutton_autorecord", 24, 42);
    radiobutton_autorecord->setChecked(true);

    suiSpinEdit3 = Place(page, new QSpinBox, "suiSpinEdit3", 112, 42);
    suiSpinEdit3->setGeometry(112, 42, 49, 19);
    suiSpinEdit3->setRange(500, 60000);
    suiSpinEdit3->setSingleStep(500);
    suiSpinEdit3->setValue(5000);
    suiSpinEdit3->setButtonSymbols(QAbstractSpinBox::NoButtons);
    suiSpinEdit3->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    Caption(page, "Latency(ms) For All Actions)", 168, 44);

    checkbox_cursor = Place(page, new QCheckBox("Cursor On"), "checkbox_cursor", 24, 64);

    // Right of Cursor On, a free row of the upper box.
    Caption(page, "Capture size:", 176, 66);
    capturesize = Place(page, new QComboBox, "capturesize", 256, 62);
    capturesize->setGeometry(256, 62, 129, 19);
    const QScreen* screen = QGuiApplication::primaryScreen();
    OfferCaptureSizes(capturesize, screen ? screen->geometry().size() : QSize());

    Edit1 = Place(page, new QLineEdit("Open file"), "Edit1", 24, 88);
    Edit1->setGeometry(24, 88, 217, 21);
    Edit1->setReadOnly(true);
    Button1 = Place(page, new QPushButton("Browse"), "Button1", 248, 82);
    Button1->setGeometry(248, 82, 69, 31);
    recordernow = Place(page, new QPushButton("Record Now"), "recordernow", 320, 81);
    recordernow->setGeometry(320, 81, 69, 31);
    recordernow->setEnabled(false);
    connect(Button1, &QPushButton::clicked, this, &TForm1::suitempButton1Click);

    // In the gap between the upper box and the volume bars, so that no control moves.
    fontsLabel = Place(page, new QLabel, "fontsLabel", 16, 123);
    QFont warningFont = fontsLabel->font();
    warningFont.setPixelSize(10);
    fontsLabel->setFont(warningFont);
    fontsLabel->setStyleSheet(QStringLiteral("color: #a04000"));
    fontsLabel->setGeometry(16, 123, 385, 13);

    Caption(page, "Master Volume:", 16, 144);
    soundvolume = VolumeBar(page, "soundvolume", 137);
    Caption(page, "Wave Out Volume:", 16, 168);
    svolume2 = VolumeBar(page, "svolume2", 161);
    Caption(page, "Record Volume:", 16, 192);
    svolume3 = VolumeBar(page, "svolume3", 185);

    Caption(page, "Record Device:", 16, 216);
    sounddevice = Place(page, new QComboBox, "sounddevice", 114, 208);
    sounddevice->setFixedWidth(129);
    sounddevice->setPlaceholderText("No Device Found");

    Caption(page, "Record Format:", 16, 236);
    SoundQuality = Place(page, new QComboBox, "SoundQuality", 114, 232);
    SoundQuality->setFixedWidth(129);
    SoundQuality->addItems({"ADPCM 11025Hz x1", "ADPCM 22050Hz x1", "ADPCM 44100Hz x1", "PCM 44100Hz x2"});
    SoundQuality->setCurrentIndex(2);

    audioenable = Place(page, new QCheckBox("Audio On"), "audioenable", 320, 232);
    audioenable->setChecked(true);

    buildTimingControls(page);

    auto* note = Place(page, new QLabel("Note: [Monitor of ...] records PPT sound (the default), [Mic] your sound"), "noteLabel", 148, 260);
    QFont small = note->font();
    small.setPixelSize(9);
    note->setFont(small);
    note->setAlignment(Qt::AlignRight);
    // Right-aligned at the box's right edge (148 + 244); room to the left for wider fonts.
    note->setGeometry(8, 260, 384, note->sizeHint().height());

    buildDeckTimingsControl(page);
    buildOptionsDialog(page);
    buildNarrationButton(page);
}
