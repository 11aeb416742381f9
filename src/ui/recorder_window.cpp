// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/recorder_window.h"

#include "ui/main_window.h"
#include "ui/real_services.h"
#include "record/sample_grid.h"
#include "record/show_state.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>

namespace {

QFrame* LoweredPanel(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setGeometry(x, y, w, h);
    return panel;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, int y, int h)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(672, y, 113, h);
    return button;
}

// The classic layout is made for a 595 x 466 capture; the panel grows by what a larger
// capture adds, the controls right of and below the browser frame move by as much.
constexpr CaptureSize kClassicCapture{};
constexpr int kPanel2Width = 825;
constexpr int kPanel2Height = 537;

QLabel* Text(QWidget* parent, const char* name, const char* text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

TForm2::TForm2(RecorderHost* host, QWidget* parent)
    : TForm2(host, RealRecorderServices(host->Files()), parent)
{
}

TForm2::TForm2(RecorderHost* host, RecorderServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , host_(host)
    , performingHost_(*host)
    , services_(std::move(services))
    , frameSource_(*services_.grabber, *services_.cursor, *services_.input, *this)
    , session_(performingHost_, frameSource_, *services_.clock, *this)
    , presenterInput_([this](SlideStep step) { session_.LogPresenterAction(step); })
{
    setObjectName("Form2");
    setWindowTitle("Deckrec Recorder");
    buildLayout();
    connectHandlers();
}

TForm2::~TForm2()
{
    // The browsers first: their pages must go before the widgets and profile they live in.
    presenterInput_.Follow(nullptr);
    delete renderBrowser_;
    delete browser_;
}

void TForm2::buildLayout()
{
    suiPanel1 = new QFrame(this);
    suiPanel1->setObjectName("suiPanel1");
    suiPanel1->setStyleSheet("#suiPanel1 { background: white; }");
    Text(suiPanel1, "suiPanel1Title", "Deckrec Recorder", 8, 4);

    suiPanel2 = new QFrame(suiPanel1);
    suiPanel2->setObjectName("suiPanel2");
    suiPanel2->resize(kPanel2Width, kPanel2Height);
    suiPanel2->setStyleSheet("#suiPanel2 { background: white; border: 1px solid #686868; }");
    Text(suiPanel2, "suiPanel2Caption", "Do not switch to other programs, click finished to return.", 8, 4);

    Panel1 = LoweredPanel(suiPanel2, "Panel1", 8, 24, 617, 481);
    browserArea = new QWidget(Panel1);
    browserArea->setObjectName("WebBrowser1");
    browserArea->setGeometry(2, 2, 613, 477);

    title_caption = Text(suiPanel2, "title_caption", "Title ...", 8, 512);
    title_caption->setTextFormat(Qt::PlainText); // titles and URLs are never markup
    title_caption->resize(600, title_caption->height());

    suiButton2 = Button(suiPanel2, "suiButton2", "Next Action", 40, 49);
    QFont bold = suiButton2->font();
    bold.setBold(true);
    suiButton2->setFont(bold);
    button_start = Button(suiPanel2, "button_start", "Start Record", 96, 33);
    button_finished = Button(suiPanel2, "button_finished", "Finished", 136, 33);
    button_cancel = Button(suiPanel2, "button_cancel", "Cancel", 176, 33);

    Panel2 = LoweredPanel(suiPanel2, "Panel2", 648, 224, 160, 120);
    Panel2->setToolTip("Capture Frame");
    Image1 = new QLabel(Panel2);
    Image1->setObjectName("Image1");
    Image1->setGeometry(2, 2, 156, 116);
    Image1->setText("Capture Frame");
    Image1->setAlignment(Qt::AlignCenter);

    Label1 = Text(suiPanel2, "Label1", "Waiting...", 648, 368);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->resize(170, 3 * Label1->height());

    progressbar_render = new QProgressBar(suiPanel2);
    progressbar_render->setObjectName("progressbar_render");
    progressbar_render->setGeometry(648, 440, 160, 17);
    progressbar_render->setFormat("Rendering %p%");
    progressbar_render->hide();
    placeControls();
}

QSize TForm2::RecorderSizeFor(CaptureSize capture)
{
    return {kPanel2Width + capture.width - kClassicCapture.width, kPanel2Height + capture.height - kClassicCapture.height};
}

void TForm2::SetCaptureSize(CaptureSize capture)
{
    if (capture == captureSize_)
        return;
    captureSize_ = capture;
    placeControls();
    FormShow();
}

void TForm2::placeControls()
{
    const int dx = captureSize_.width - kClassicCapture.width;
    const int dy = captureSize_.height - kClassicCapture.height;
    suiPanel2->resize(RecorderSizeFor(captureSize_));
    Panel1->setGeometry(8, 24, PanelWidthFor(captureSize_.width), PanelHeightFor(captureSize_.height));
    browserArea->setGeometry(2, 2, Panel1->width() - 4, Panel1->height() - 4);
    for (BrowserControl* browser : {browser_, renderBrowser_})
        if (browser)
            browser->widget()->setGeometry(browserArea->rect());
    title_caption->setGeometry(8, 512 + dy, 600 + dx, title_caption->height());
    for (QPushButton* button : {suiButton2, button_start, button_finished, button_cancel})
        button->move(672 + dx, button->y());
    Panel2->move(648 + dx, 224);
    Label1->move(648 + dx, 368);
    progressbar_render->move(648 + dx, 440);
}

void TForm2::connectHandlers()
{
    connect(button_start, &QPushButton::clicked, this, &TForm2::button_startClick);
    connect(button_finished, &QPushButton::clicked, this, &TForm2::button_finishedClick);
    connect(button_cancel, &QPushButton::clicked, this, &TForm2::button_cancelClick);
    connect(suiButton2, &QPushButton::clicked, this, &TForm2::suiButton2Click);
    // The Alt+O chord puts the keyboard focus into the presentation, so that its keys work.
    auto* focusShow = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_O), this);
    focusShow->setContext(Qt::WindowShortcut);
    connect(focusShow, &QShortcut::activated, this, [this] {
        if (browser_)
            browser_->FocusPresentation();
    });
}

BrowserControl* TForm2::WebBrowser1()
{
    if (!browser_) {
        browser_ = services_.makeBrowser(browserArea);
        browser_->setParent(this);
        QWidget* view = browser_->widget();
        view->setParent(browserArea);
        view->setGeometry(browserArea->rect());
        view->show();
        connect(browser_, &BrowserControl::NavigateComplete2, this, &TForm2::WebBrowser1NavigateComplete2);
        connect(browser_, &BrowserControl::StateChanged, this, &TForm2::updateStartRecord);
        updateStartRecord();
    }
    return browser_;
}

PageState TForm2::pageState() const
{
    // Without a browser nothing is loading.
    return browser_ ? browser_->State() : PageState::Page;
}

void TForm2::updateStartRecord()
{
    // While a performance's frames are rendered no session may start, even before the
    // rendering's own loop has.
    button_start->setEnabled(!SessionActive() && !Rendering() && ReadyToRecord(pageState()));
}

void TForm2::PrepareSession()
{
    SetCaptureSize(host_->RecordingCaptureSize());
    // A live performance plays on the wall clock; only its rendering runs on the show's.
    useShowTime(host_->ShowTime() && !PerformsLive(*host_));
    // Before the show is opened: the viewer reads it when the deck would set its own timer.
    WebBrowser1()->SetDeckTimings(host_->DeckTimings());
    button_finished->setEnabled(false);
    updateStartRecord();
}

void TForm2::useShowTime(bool on)
{
    BrowserControl* browser = WebBrowser1();
    browser->UseShowClock(on);
    ShowRenderer* renderer = on ? browser->showRenderer() : nullptr;
    if (renderer) {
        auto source = std::make_unique<ViewFrameSource>(*renderer);
        auto clock = std::make_unique<ShowTimeClock>(*renderer);
        session_.SetCapture(*source, *clock);
        viewSource_ = std::move(source);
        showClock_ = std::move(clock);
    } else {
        session_.SetCapture(frameSource_, *services_.clock);
        viewSource_.reset();
        showClock_.reset();
    }
}

void TForm2::ShowRecorder()
{
    // Without a window manager a maximised window keeps its size: cover the screen ourselves.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->geometry());
    show();
    raise();
    activateWindow();
}

// Screen pixels of a point of Panel1; the same as Qt's coordinates unless the user asked Qt to
// scale the windows.
static QPoint PanelPointOnScreen(const QWidget* panel, const QPoint& point)
{
    const qreal ratio = panel->devicePixelRatioF();
    const QPoint logical = panel->mapToGlobal(point);
    return ratio == 1.0 ? logical : QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio));
}

ScreenRect TForm2::CaptureRect() const
{
    const QPoint origin = PanelPointOnScreen(Panel1, QPoint(0, 0));
    const qreal ratio = Panel1->devicePixelRatioF();
    return CaptureRectangle(origin.x(), origin.y(), qRound(Panel1->width() * ratio), qRound(Panel1->height() * ratio));
}

QPoint TForm2::BrowserFrameCentre() const
{
    return PanelPointOnScreen(Panel1, QPoint(Panel1->width() / 2, Panel1->height() / 2));
}

void TForm2::FormShow()
{
    // Centre the working panel; integer division as for the main window.
    suiPanel2->move(CentredPosition(width(), suiPanel2->width()), CentredPosition(height(), suiPanel2->height()));
}

void TForm2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // Closed from outside while on screen: the session ends as with Finished, so the Main
    // window comes back (before this one goes, so the program never finds itself without a
    // window and quits), the frames are kept, and a running capture loop stops.
    // While a performance is rendered its end is already known: a close then keeps nothing,
    // as Cancel does, rather than pictures shorter than the sound.
    if (!closingForSession_ && isVisible())
        Rendering() ? button_cancelClick() : button_finishedClick();
    QWidget::closeEvent(event);
}

void TForm2::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    suiPanel1->setGeometry(rect());
    FormShow();
}
