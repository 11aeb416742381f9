// The "Save AVI" page: colour depth, encoder, quality and zoom, and the Save to AVI command.
#include "ui/main_window.h"
#include "ui/page_layout.h"

#include "core/deckrec_error.h"
#include "ui/dialogs.h"
#include "audio/media_player.h"
#include "avi/avi_export.h"
#include "avi/avi_writer.h"
#include "ui/encoder_options_dialog.h"
#include "ui/export_lock.h"
#include "platform/encoder_facility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>

namespace {

constexpr TPixelFormat kColourDepths[] = {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit,
                                          TPixelFormat::pf24bit, TPixelFormat::pf32bit};
constexpr int kQualities[] = {10000, 8000, 6000, 4000, 2000};

QComboBox* Choices(QWidget* page, const char* name, const QStringList& items, int selected, int x, int y, int w)
{
    auto* box = Put(page, new QComboBox, name, x, y, w, 22);
    box->addItems(items);
    box->setCurrentIndex(selected);
    return box;
}

} // namespace

void TForm1::buildSaveAviPage(QWidget* page)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    AviWriter = std::make_shared<TAviWriter_2>(*services_.encoders, screenSize.width(), screenSize.height());
    // The writer's settings as this window stores them.
    AviWriter->Width = 102;
    AviWriter->Height = 76;
    AviWriter->FrameTime = 1000;
    AviWriter->SetPixelFormat(TPixelFormat::pf24bit);

    auto* box = Put(page, new QFrame, "aviOptionsBox", 8, 8, 393, 145);
    box->setFrameShape(QFrame::Box);
    Put(page, new QLabel("Color:"), nullptr, 24, 24, 72, 20);
    ComboBox1 = Choices(page, "ComboBox1", {"  1 Bit ", "  4 Bit  ", "  8 Bit", "24 Bit", "32 Bit"}, 3, 104, 23, 121);
    Put(page, new QLabel("Encoder:"), nullptr, 24, 56, 72, 20);
    ComboBox2 = Put(page, new QComboBox, "ComboBox2", 104, 55, 185, 22);
    ComboBox2->setPlaceholderText("Video Encoder");
    suiButton1 = Put(page, new QPushButton("Advance"), "suiButton1", 296, 52, 89, 27);
    Put(page, new QLabel("Quality:"), nullptr, 24, 88, 72, 20);
    ComboBox3 = Choices(page, "ComboBox3",
                        {"Highest Quality", "Very High Quality", "High Quality", "Medium Quality", "Low Quality"}, 3,
                        104, 87, 185);
    Put(page, new QLabel("Zoom:"), nullptr, 24, 120, 72, 20);
    suiComboBox1 = Choices(page, "suiComboBox1", {"560x420", "480x360", "360x270", "240x180", "120x90"}, 0, 104, 119, 121);

    suiButton5 = Put(page, new QPushButton("Save to AVI"), "suiButton5", 296, 164, 89, 33);
    suiButton5->setEnabled(false); // enabled when a recording session has finished
    suiProgressBar1 = Put(page, new QProgressBar, "suiProgressBar1", 16, 212, 377, 19);
    suiProgressBar1->setRange(0, 100);
    suiProgressBar1->setValue(0);
    suiProgressBar1->setTextVisible(false);

    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    connect(ComboBox3, &QComboBox::activated, this, &TForm1::ComboBox3Change);
    connect(suiButton1, &QPushButton::clicked, this, &TForm1::suiButton1Click);
    connect(suiButton5, &QPushButton::clicked, this, &TForm1::suiButton5Click);
}

void TForm1::FillEncoderList()
{
    std::vector<std::string> entries;
    AviWriter->ListCompressors(entries);
    ComboBox2->clear();
    for (const std::string& entry : entries)
        ComboBox2->addItem(QString::fromStdString(entry));
    ComboBox2->setCurrentIndex(0);
    // The default encoder: the first DIVX entry, else the first WMV entry (letter case counts).
    for (const char* wanted : {"DIVX", "WMV"}) {
        for (int i = 0; i < ComboBox2->count() && ComboBox2->currentIndex() == 0; ++i)
            if (ComboBox2->itemText(i).contains(wanted, Qt::CaseSensitive))
                ComboBox2->setCurrentIndex(i);
        if (ComboBox2->currentIndex() != 0)
            break;
    }
    ComboBox3Change();
    ComboBox2Change();
}

void TForm1::ComboBox1Change()
{
    const int index = ComboBox1->currentIndex();
    if (index >= 0 && index < 5)
        AviWriter->SetPixelFormat(kColourDepths[index]);
    FillEncoderList();
}

void TForm1::ComboBox2Change()
{
    if (ComboBox2->currentIndex() < 1)
        AviWriter->SelectCompressor("");
    else
        AviWriter->SelectCompressor(ComboBox2->currentText().left(4).toStdString());
}

void TForm1::ComboBox3Change()
{
    const int index = ComboBox3->currentIndex();
    AviWriter->SetQuality(index >= 0 && index < 5 ? kQualities[index] : 10000);
}

void TForm1::suiButton1Click()
{
    if (ComboBox2->currentIndex() <= 0)
        return;
    DialogOptionsEditor editor(this, *services_.dialogs);
    AviWriter->ConfigureCompressor(editor);
}

void TForm1::suiButton5Click()
{
    if (ExportRunning())
        return;
    ComboBox3Change();
    ComboBox2Change();
    const QString chosen = services_.dialogs->saveFileName(this, "*.avi (*.avi);;All Files (*)", "avi");
    if (chosen.isEmpty())
        return;
    PrepareVideoExport(*AviWriter, services_.files, chosen.toStdString());

    const int frameCount = FrameCount;
    if (frameCount <= 0) {
        ShowNotice(*services_.dialogs, this, "No images selected.");
        return;
    }
    suiProgressBar1->setMaximum(ExportProgressMaximum(frameCount));
    if (QFileInfo::exists(chosen) && !services_.dialogs->confirm(this, "File exists, overwrite?", "Save to AVI"))
        return;

    // A device still open on the sound file would hold it incomplete.
    if (MediaPlayer1 && MediaPlayer1->DeviceID() != 0)
        MediaPlayer1->Close();

    VideoExportOptions options;
    options.size = ZoomSizeFor(suiComboBox1->currentIndex());
    options.soundFile = audioenable->isChecked() ? services_.files.SoundFilePath() : "";
    options.target = chosen.toStdString();
    ExportProgress progress;
    progress.report = [this](int value) { suiProgressBar1->setValue(value); };
    progress.idle = [] { QCoreApplication::processEvents(); };

    ExportLock lock(*this, AviExportRunning, {ComboBox1, ComboBox2, ComboBox3, suiComboBox1, suiButton1, suiButton5});
    ExportVideo(*AviWriter, services_.files, frameCount, options, progress);
}
