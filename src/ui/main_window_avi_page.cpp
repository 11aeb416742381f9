// SPDX-License-Identifier: GPL-3.0-or-later
// The "Save AVI" page: format, colour depth, encoder, quality and zoom, and the Save command.
#include "ui/main_window.h"
#include "ui/page_layout.h"

#include "core/deckrec_error.h"
#include "ui/dialogs.h"
#include "audio/media_player.h"
#include "video/avi_writer.h"
#include "video/video_export.h"
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

TPixelFormat ColourDepthAt(const QComboBox* box)
{
    const int index = box->currentIndex();
    return index >= 0 && index < 5 ? kColourDepths[index] : TPixelFormat::pf24bit;
}

// "Save to ...": the file, the format its name asks for, the questions before writing, and the
// export with the page's bar and Cancel button. AVI goes through the page's writer.
class VideoSaveCommand {
public:
    VideoSaveCommand(TForm1& form, AppServices& services) : form_(form), services_(services) {}

    void Run()
    {
        VideoFormat format = FormatAt(form_.videoformat);
        const QString chosen = AskTarget(format);
        if (chosen.isEmpty() || !FollowTypedExtension(chosen, format))
            return;
        // Refused before the questions: such a file is never replaced.
        CheckVideoTarget(services_.files, chosen.toStdString());
        const int frameCount = form_.FrameCount;
        if (!ReadyToWrite(chosen, frameCount))
            return;
        Write(OptionsFor(format, chosen), frameCount);
    }

private:
    QString AskTarget(VideoFormat format)
    {
        const QString extension = FormatInfo(format).extension;
        return services_.dialogs->saveFileName(&form_, QString("*.%1 (*.%1);;All Files (*)").arg(extension),
                                               extension);
    }

    // A typed extension of another format means that format, when it holds the chosen
    // pictures; else the user is told which encoders it takes and false returned.
    bool FollowTypedExtension(const QString& chosen, VideoFormat& format)
    {
        const std::optional<VideoFormat> typed = FormatOfFileName(chosen.toStdString());
        if (!typed || *typed == format)
            return true;
        const VideoFormatInfo& wanted = FormatInfo(*typed);
        const QString encoder = form_.ComboBox2->currentText();
        const bool noCompression = form_.AviWriter->compressorCode().empty();
        const bool fits = *typed == VideoFormat::Avi ||
            (!noCompression && FormatTakesEncoder(*typed, EncoderNameOf(encoder)) &&
             (!wanted.trueColourOnly || form_.ComboBox1->currentIndex() == 3));
        if (!fits) {
            ShowNotice(*services_.dialogs, &form_, EncodersOfFormatText(wanted, FormatInfo(format).extension));
            return false;
        }
        form_.videoformat->setCurrentIndex(IndexOfFormat(*typed));
        form_.videoformatChange();
        const int kept = form_.ComboBox2->findText(encoder);
        if (kept >= 0)
            form_.ComboBox2->setCurrentIndex(kept);
        form_.ComboBox2Change();
        format = *typed;
        return true;
    }

    QString EncodersOfFormatText(const VideoFormatInfo& wanted, const QString& extension)
    {
        const TAviWriter_2& writer = *form_.AviWriter;
        QStringList takes;
        for (const EncoderEntry& entry : services_.encoders->encoders())
            if (FormatTakesEncoder(wanted.format, entry.name) &&
                services_.encoders->accepts(entry.code, writer.Width, writer.Height, 24, writer.FrameTime))
                takes << QString::fromStdString(entry.code + " " + entry.name);
        return QString("%1 files take %2pictures of these encoders: %3. Choose one of them with the format %1, or "
                       "save as .%4.")
            .arg(wanted.name, wanted.trueColourOnly ? "24-bit " : "", takes.join(", "), extension);
    }

    // Frames to write, and the user's word for replacing a file; false stops the command.
    bool ReadyToWrite(const QString& chosen, int frameCount)
    {
        if (frameCount <= 0) {
            ShowNotice(*services_.dialogs, &form_, "No images selected.");
            return false;
        }
        form_.suiProgressBar1->setMaximum(ExportProgressMaximum(frameCount));
        if (QFileInfo::exists(chosen) &&
            !services_.dialogs->confirm(&form_, "File exists, overwrite?", form_.suiButton5->text()))
            return false;
        // A device still open on the sound file would hold it incomplete.
        if (form_.MediaPlayer1 && form_.MediaPlayer1->DeviceID() != 0)
            form_.MediaPlayer1->Close();
        return true;
    }

    VideoFileOptions OptionsFor(VideoFormat format, const QString& chosen)
    {
        VideoFileOptions options;
        options.format = format;
        options.encoderCode = form_.AviWriter->compressorCode();
        options.quality = form_.AviWriter->quality();
        options.pixelFormat = ColourDepthAt(form_.ComboBox1);
        // Sizes follow the recording's shape; the lists show them from here on.
        form_.ShowRecordingShape();
        options.size = ZoomSizeFor(form_.suiComboBox1->currentIndex(), form_.RecordedSize, OriginalSides::Even);
        const bool withSound = form_.audioenable->isChecked() || form_.RecordedNarration.has_value();
        options.soundFile = withSound ? services_.files.SoundFilePath() : "";
        options.target = chosen.toStdString();
        options.framePeriodMs = form_.RecordedPeriodMs;
        form_.AddDeckText(options);
        return options;
    }

    void Write(const VideoFileOptions& options, int frameCount)
    {
        Progress progress;
        progress.report = [this](long long done, long long) { form_.suiProgressBar1->setValue(static_cast<int>(done)); };
        progress.idle = [] { QCoreApplication::processEvents(); };
        progress.cancelled = [this] { return form_.AviExportCancelled; };

        ExportLock lock(form_, form_.AviExportRunning,
                        {form_.videoformat, form_.ComboBox1, form_.ComboBox2, form_.ComboBox3, form_.suiComboBox1,
                         form_.suiButton1, form_.suiButton5});
        // Cancel works only while this export runs; it is off again on every way out.
        form_.AviExportCancelled = false;
        form_.button_cancelavi->setEnabled(true);
        struct CancelOff {
            QPushButton* button;
            ~CancelOff() { button->setEnabled(false); }
        } cancelOff{form_.button_cancelavi};
        try {
            ExportVideoFile(*services_.encoders, services_.files, frameCount, options, progress, form_.AviWriter.get());
            form_.WriteCaptionFile(options);
        } catch (const ExportCancelled&) {
            // Asked for: the user's file is as it was and there is nothing to report.
            form_.suiProgressBar1->setValue(0);
        }
    }

    TForm1& form_;
    AppServices& services_;
};

} // namespace

void TForm1::buildSaveAviPage(QWidget* page)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    AviWriter = std::make_shared<TAviWriter_2>(*services_.encoders, screenSize.width(), screenSize.height());
    SetListingDefaults(*AviWriter);

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
    button_cancelavi = Put(page, new QPushButton("Cancel"), "button_cancelavi", 317, 209, 76, 25);
    button_cancelavi->setEnabled(false); // enabled while an export runs

    connect(videoformat, &QComboBox::activated, this, &TForm1::videoformatChange);
    connect(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connect(ComboBox2, &QComboBox::activated, this, &TForm1::ComboBox2Change);
    connect(ComboBox3, &QComboBox::activated, this, &TForm1::ComboBox3Change);
    connect(suiButton1, &QPushButton::clicked, this, &TForm1::suiButton1Click);
    connect(suiButton5, &QPushButton::clicked, this, &TForm1::suiButton5Click);
    // The export asks the flag between its frame slots, while it lets the window work.
    connect(button_cancelavi, &QPushButton::clicked, this, [this] { AviExportCancelled = true; });

    buildDeckTextControls(page);
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
    VideoSaveCommand(*this, services_).Run();
}
