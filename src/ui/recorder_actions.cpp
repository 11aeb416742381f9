// Slide actions by synthetic input, and the caption that follows the page.
#include "ui/recorder_window.h"

#include "platform/browser_control.h"
#include "record/page_title.h"
#include "record/show_state.h"

#include <QLabel>

void TForm2::suiButton2Click()
{
    NextAction();
}

void TForm2::NextAction()
{
    // Always the untrimmed rectangle: the end screen fills the whole frame.
    const ScreenRect rect = CaptureRect();
    host_->Files().EnsureWorkingDirectory();
    bool ended = false;
    {
        Picture picture;
        services_.grabber->GrabScreen(picture, rect);
        ended = ShowHasEnded(picture, pageState(), SampleScale::ForCapture(rect));
    }
    if (ended) {
        button_finishedClick();
        return;
    }
    InputInjector& input = *services_.input;
    const QPoint back = input.CursorPos();
    input.SetCursorPos(BrowserFrameCentre());
    input.LeftButton(true);
    input.LeftButton(false);
    input.SetCursorPos(back);
}

void TForm2::SendAltO()
{
    InputInjector& input = *services_.input;
    input.KeyEvent(InputInjector::Key::Alt, true);
    input.KeyEvent(InputInjector::Key::O, true);
    input.KeyEvent(InputInjector::Key::O, false);
    input.KeyEvent(InputInjector::Key::Alt, false);
}

void TForm2::WebBrowser1NavigateComplete2(const QString& url)
{
    title_caption->setText(PageTitleCaption(url));
}
