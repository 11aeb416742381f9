// The "Save AVI" page: format, colour depth, encoder, quality and zoom, and the Save command.
#include "ui/main_window.h"
#include "ui/page_layout.h"

#include "core/deckrec_error.h"
#include "ui/dialogs.h"
#include "audio/media_player.h"
#include "video/avi_export.h"
#include "video/avi_writer.h"
#include "video/container_export.h"
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

#include <optional>

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

VideoFormat FormatAt(const QComboBox* box)
{
    const int index = box ? box->currentIndex() : 0;
    const auto& formats = VideoFormats();
    return index >= 0 && static_cast<size_t>(index) < formats.size() ? formats[static_cast<size_t>(index)].format
                                                                      : VideoFormat::Avi;
}

int IndexOfFormat(VideoFormat format)
{
    const auto& formats = VideoFormats();
    for (size_t i = 0; i < formats.size(); ++i)
        if (formats[i].format == format)
            return static_cast<int>(i);
    return 0;
}

// The encoder's name in an entry of the list ("H264 libx264" -> "libx264").
std::string EncoderNameOf(const QString& entry)
{
    return entry.mid(5).toStdString();
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
    suiComboBox1 = Choices(page, "suiComboBox1", {"560x420", "480x360", "360x270", "240x180", "120x90", "Original size"}, 0, 104, 119, 121);

    Put(page, new QLabel("Format:"), nullptr, 24, 170, 72, 20);
    QStringList formatNames;
    for (const VideoFormatInfo& info : VideoFormats())
        formatNames << info.name;
    videoformat = Choices(page, "videoformat", formatNames, 0, 104, 169, 121);

    suiButton5 = Put(page, new QPushButton("Save to AVI"), "suiButton5", 296, 164, 89, 33);
    suiButton5->setEnabled(false); // enabled when a recording session has finished
    suiProgressBar1 = Put(page, new QProgressBar, "suiProgressBar1", 16, 212, 293, 19);
    suiProgressBar1->setRange(0, 100);
    suiProgressBar1->setValue(0);
    suiProgressBar1->setTextVisible(false);
    button_cancel_avi = Put(page, new QPushButton("Cancel"), "button_cancel_avi", 317, 209, 76, 25);
    button_cancel_avi->setEnabled(false); // enabled while an export runs

    connect(videoformat, &QComboBox::activated, this, &TForm1::videoformatChange);
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    connect(ComboBox3, &QComboBox::activated, this, &TForm1::ComboBox3Change);
    connect(suiButton1, &QPushButton::clicked, this, &TForm1::suiButton1Click);
    connect(suiButton5, &QPushButton::clicked, this, &TForm1::suiButton5Click);
    // The export asks the flag between its frame slots, while it lets the window work.
    connect(button_cancel_avi, &QPushButton::clicked, this, [this] { AviExportCancelled = true; });
}

void TForm1::FillEncoderList()
{
    std::vector<std::string> entries;
    AviWriter->ListCompressors(entries);
    ComboBox2->clear();
    const VideoFormat format = FormatAt(videoformat);
    if (format != VideoFormat::Avi) {
        // Only what the container holds; raw frames ("No Compression", the first entry) go
        // into AVI alone. The format's own encoder is chosen.
        const char* wanted = FormatInfo(format).defaultEncoder;
        for (size_t i = 1; i < entries.size(); ++i) {
            const QString entry = QString::fromStdString(entries[i]);
            if (FormatTakesEncoder(format, EncoderNameOf(entry)))
                ComboBox2->addItem(entry);
        }
        ComboBox2->setCurrentIndex(0);
        for (int i = 0; i < ComboBox2->count(); ++i)
            if (EncoderNameOf(ComboBox2->itemText(i)) == wanted) {
                ComboBox2->setCurrentIndex(i);
                break;
            }
        ComboBox3Change();
        ComboBox2Change();
        return;
    }
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

void TForm1::videoformatChange()
{
    const VideoFormatInfo& info = FormatInfo(FormatAt(videoformat));
    suiButton5->setText(QString("Save to ") + info.name);
    if (info.trueColourOnly) {
        // Browsers and phones decode these containers' video in true colour only.
        ComboBox1->setCurrentIndex(3);
        AviWriter->SetPixelFormat(TPixelFormat::pf24bit);
    }
    ComboBox1->setEnabled(!info.trueColourOnly);
    ComboBox1->setToolTip(info.trueColourOnly ? QString(info.name) + " takes 24-bit pictures only" : QString());
    FillEncoderList();
}

void TForm1::ComboBox2Change()
{
    const int first = FormatAt(videoformat) == VideoFormat::Avi ? 1 : 0; // AVI's first entry is "No Compression"
    if (ComboBox2->currentIndex() < first)
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
    if (ComboBox2->currentIndex() < (FormatAt(videoformat) == VideoFormat::Avi ? 1 : 0))
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
    VideoFormat format = FormatAt(videoformat);
    const QString extension = FormatInfo(format).extension;
    const QString chosen = services_.dialogs->saveFileName(
        this, QString("*.%1 (*.%1);;All Files (*)").arg(extension), extension);
    if (chosen.isEmpty())
        return;

    // A typed extension of another format means that format, when it holds the chosen pictures.
    const std::optional<VideoFormat> typed = FormatOfFileName(chosen.toStdString());
    if (typed && *typed != format) {
        const VideoFormatInfo& wanted = FormatInfo(*typed);
        const QString encoder = ComboBox2->currentText();
        const bool noCompression = AviWriter->compressorCode().empty();
        const bool fits = *typed == VideoFormat::Avi ||
            (!noCompression && FormatTakesEncoder(*typed, EncoderNameOf(encoder)) &&
             (!wanted.trueColourOnly || ComboBox1->currentIndex() == 3));
        if (!fits) {
            QStringList takes;
            for (const EncoderEntry& entry : services_.encoders->encoders())
                if (FormatTakesEncoder(*typed, entry.name) &&
                    services_.encoders->accepts(entry.code, AviWriter->Width, AviWriter->Height, 24, AviWriter->FrameTime))
                    takes << QString::fromStdString(entry.code + " " + entry.name);
            QString text = QString("%1 files take %2pictures of these encoders: %3. Choose one of them with the "
                                   "format %1, or save as .%4.")
                               .arg(wanted.name, wanted.trueColourOnly ? "24-bit " : "", takes.join(", "), extension);
            ShowNotice(*services_.dialogs, this, text);
            return;
        }
        videoformat->setCurrentIndex(IndexOfFormat(*typed));
        videoformatChange();
        const int kept = ComboBox2->findText(encoder);
        if (kept >= 0)
            ComboBox2->setCurrentIndex(kept);
        ComboBox2Change();
        format = *typed;
    }
    if (format == VideoFormat::Avi)
        PrepareVideoExport(*AviWriter, services_.files, chosen.toStdString());

    const int frameCount = FrameCount;
    if (frameCount <= 0) {
        ShowNotice(*services_.dialogs, this, "No images selected.");
        return;
    }
    suiProgressBar1->setMaximum(ExportProgressMaximum(frameCount));
    if (QFileInfo::exists(chosen) &&
        !services_.dialogs->confirm(this, "File exists, overwrite?", suiButton5->text()))
        return;

    // A device still open on the sound file would hold it incomplete.
    if (MediaPlayer1 && MediaPlayer1->DeviceID() != 0)
        MediaPlayer1->Close();

    VideoExportOptions options;
    // Sizes follow the recording's shape; the lists show them from here on.
    ShowRecordingShape();
    options.size = ZoomSizeFor(suiComboBox1->currentIndex(), RecordedSize, OriginalSides::Even);
    options.soundFile = audioenable->isChecked() ? services_.files.SoundFilePath() : "";
    options.target = chosen.toStdString();
    ExportProgress progress;
    progress.report = [this](int value) { suiProgressBar1->setValue(value); };
    progress.idle = [] { QCoreApplication::processEvents(); };
    progress.cancelled = [this] { return AviExportCancelled; };

    ExportLock lock(*this, AviExportRunning,
                    {videoformat, ComboBox1, ComboBox2, ComboBox3, suiComboBox1, suiButton1, suiButton5});
    // Cancel works only while this export runs; it is off again on every way out.
    AviExportCancelled = false;
    button_cancel_avi->setEnabled(true);
    struct CancelOff {
        QPushButton* button;
        ~CancelOff() { button->setEnabled(false); }
    } cancelOff{button_cancel_avi};
    try {
        if (format == VideoFormat::Avi) {
            ExportVideo(*AviWriter, services_.files, frameCount, options, progress);
            return;
        }
        ContainerExportOptions container;
        container.format = format;
        container.encoderCode = AviWriter->compressorCode();
        container.quality = AviWriter->quality();
        const int depth = ComboBox1->currentIndex();
        container.pixelFormat = depth >= 0 && depth < 5 ? kColourDepths[depth] : TPixelFormat::pf24bit;
        container.video = options;
        ExportContainerVideo(*services_.encoders, services_.files, frameCount, container, progress);
    } catch (const ExportCancelled&) {
        // Asked for: the user's file is as it was and there is nothing to report.
        suiProgressBar1->setValue(0);
    }
}
