// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include "core/working_files.h"
#include "ui/recorder_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>

int CentredPosition(int screenSize, int windowSize)
{
    return (screenSize - windowSize) / 2;
}

TForm1::TForm1(AppServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , services_(std::move(services))
{
    setObjectName("Form1");
    setWindowTitle("Deckrec 1.0");
    setFixedSize(416, 332);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFB, 0xFB, 0xFB));
    setPalette(pal);
    setAutoFillBackground(true);
    // The layout is laid out in pixels for a small dialog font; larger desktop fonts would
    // make captions run into the controls beside them.
    QFont dialogFont = font();
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(0, 0, 416, 332);
    const char* pageNames[] = {"TabSheet1", "TabSheet2", "TabSheet3"};
    const char* pageCaptions[] = {"Open PPT", "Save AVI", "Save GIF"};
    QWidget* pages[3];
    for (int i = 0; i < 3; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(pageNames[i]);
        PageControl1->addTab(pages[i], pageCaptions[i]);
    }
    buildOpenPptPage(pages[0]);
    buildSaveAviPage(pages[1]);
    buildSaveGifPage(pages[2]);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(500);
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);

    connectRecordingHandlers();
    connectSoundHandlers();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // The outer size counts the frame when the window system already knows it.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize outer = frameGeometry().size().expandedTo(size());
    if (screen) {
        const QRect area = screen->geometry();
        move(CentredPosition(area.width(), outer.width()), CentredPosition(area.height(), outer.height()));
    }
    PageControl1->setCurrentIndex(0);
    Timer2->start();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (Form2)
        Form2->hide();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The export reads the working files to its end and must not leave a half-written video
    // under the user's name: the window closes when it has finished.
    if (ExportRunning()) {
        closeAfterExport_ = true;
        event->ignore();
        return;
    }
    services_.files.ClearWorkingFiles();
    event->accept();
}

void TForm1::ExportEnded()
{
    if (!closeAfterExport_ || ExportRunning())
        return;
    closeAfterExport_ = false;
    // Queued: the handler that ran the export unwinds first.
    QTimer::singleShot(0, this, [this] { close(); });
}
