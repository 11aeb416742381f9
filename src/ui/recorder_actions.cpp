// SPDX-License-Identifier: GPL-3.0-or-later
// Slide actions by synthetic input, and the caption that follows the page.
#include "ui/recorder_window.h"

#include "platform/browser_control.h"
#include "record/page_title.h"

#include <QLabel>

void TForm2::suiButton2Click()
{
    NextAction();
}

void TForm2::NextAction()
{
    session_.NextAction();
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
