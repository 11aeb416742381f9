// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real dialogs: QFileDialog and QMessageBox.

#include "ui/dialogs.h"

class QtDialogService : public DialogService {
public:
    QString openFileName(QWidget* parent, const QString& filter, const QString& initialName) override;
    QString saveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) override;
    void message(QWidget* parent, const QString& text, const QString& caption, Icon icon) override;
    bool confirm(QWidget* parent, const QString& text, const QString& caption) override;
};
