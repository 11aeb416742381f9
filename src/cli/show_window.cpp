// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/show_window.h"

#include "record/page_title.h"
#include "record/sample_grid.h"

#include <QFrame>
#include <QGuiApplication>
#include <QScreen>

namespace {

// Room left around the frame on a display of the run's own.
constexpr int kScreenMargin = 16;

// Screen pixels of a point of the panel; the same as Qt's coordinates unless Qt scales.
QPoint PanelPointOnScreen(const QWidget* panel, const QPoint& point)
{
    const qreal ratio = panel->devicePixelRatioF();
    const QPoint logical = panel->mapToGlobal(point);
    return ratio == 1.0 ? logical : QPoint(qRound(logical.x() * ratio), qRound(logical.y() * ratio));
}

} // namespace

ShowWindow::ShowWindow(CaptureSize capture, const BrowserFactory& makeBrowser)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("ShowWindow");
    setWindowTitle("Deckrec Recorder");
    setStyleSheet("#ShowWindow { background: white; }");
    panel_ = new QFrame(this);
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setLineWidth(2);
    panel_->resize(PanelWidthFor(capture.width), PanelHeightFor(capture.height));
    browser_ = makeBrowser(panel_);
    browser_->setParent(this);
    QWidget* view = browser_->widget();
    view->setParent(panel_);
    view->setGeometry(2, 2, panel_->width() - 4, panel_->height() - 4);
    view->show();
    connect(browser_, &BrowserControl::NavigateComplete2, this,
            [this](const QString& url) { caption_ = PageTitleCaption(url).trimmed(); });
}

ShowWindow::~ShowWindow()
{
    // The browser first: its page must go before the widgets it lives in.
    delete browser_;
}

QSize ShowWindow::ScreenSizeFor(CaptureSize capture)
{
    return {PanelWidthFor(capture.width) + kScreenMargin, PanelHeightFor(capture.height) + kScreenMargin};
}

void ShowWindow::ShowOnTop()
{
    // Without a window manager a maximised window keeps its size: cover the screen ourselves.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    show();
    raise();
    activateWindow();
}

void ShowWindow::ShowFrameOnly()
{
    setGeometry(0, 0, panel_->width(), panel_->height());
    show();
}

void ShowWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    panel_->move((width() - panel_->width()) / 2, (height() - panel_->height()) / 2);
}

ScreenRect ShowWindow::CaptureRect() const
{
    const QPoint origin = PanelPointOnScreen(panel_, QPoint(0, 0));
    const qreal ratio = panel_->devicePixelRatioF();
    return CaptureRectangle(origin.x(), origin.y(), qRound(panel_->width() * ratio), qRound(panel_->height() * ratio));
}

QPoint ShowWindow::ClickPoint() const
{
    return PanelPointOnScreen(panel_, QPoint(panel_->width() / 2, panel_->height() / 2));
}
