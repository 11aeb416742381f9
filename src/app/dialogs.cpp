#include "app/dialogs.h"

#include "app/qt_dialogs.h"

#include <QCoreApplication>

namespace {
DialogService* g_service = nullptr;
}

DialogService& Dialogs()
{
    static QtDialogService qtDialogs;
    return g_service ? *g_service : qtDialogs;
}

void SetDialogs(DialogService* service)
{
    g_service = service;
}

void ShowNotice(QWidget* parent, const QString& text)
{
    Dialogs().message(parent, text, QCoreApplication::applicationName(), DialogService::Icon::None);
}
