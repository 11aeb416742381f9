// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fake_dialogs.h"

#include "support/test_services.h"
#include "ui/application.h"

namespace {
QString Take(std::deque<QString>& answers)
{
    if (answers.empty())
        return {};
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}
} // namespace

QString FakeDialogs::openFileName(QWidget*, const QString& filter, const QString& initialName)
{
    lastFilter = filter;
    lastInitialName = initialName;
    return Take(fileNames);
}

QString FakeDialogs::saveFileName(QWidget*, const QString& filter, const QString& defaultSuffix)
{
    lastFilter = filter;
    lastInitialName = defaultSuffix;
    return Take(fileNames);
}

void FakeDialogs::message(QWidget*, const QString& text, const QString& caption, Icon icon)
{
    messages.push_back({text, caption, icon});
}

bool FakeDialogs::confirm(QWidget*, const QString& text, const QString&)
{
    questions << text;
    if (confirmations.empty())
        return false;
    const bool answer = confirmations.front();
    confirmations.pop_front();
    return answer;
}

FakeDialogs::~FakeDialogs()
{
    auto* app = static_cast<DeckrecApplication*>(QCoreApplication::instance());
    if (app && &app->dialogs() == this)
        app->setDialogs(&SilentDialogs());
}
