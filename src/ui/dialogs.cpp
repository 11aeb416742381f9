// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs.h"

#include <QCoreApplication>

void ShowNotice(DialogService& dialogs, QWidget* parent, const QString& text)
{
    dialogs.message(parent, text, QCoreApplication::applicationName(), DialogService::Icon::None);
}
