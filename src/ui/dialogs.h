// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message box and file dialog of the program goes through this interface, so that
// tests answer them instead of waiting on a modal dialog.

#include <QString>

class QWidget;

class DialogService {
public:
    enum class Icon { None, Information, Warning, Error };

    virtual ~DialogService() = default;

    // Open-file dialog; filter in Qt's form ("PowerPoint (*.ppt *.pptx)"). Empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& filter, const QString& initialName) = 0;
    // Save-file dialog; defaultSuffix without the dot. Empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix) = 0;
    // Modal message box with an OK button.
    virtual void message(QWidget* parent, const QString& text, const QString& caption, Icon icon) = 0;
    // Yes/No question; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& text, const QString& caption) = 0;
};

// A plain notice captioned with the application's name, as "No images selected." is shown.
void ShowNotice(DialogService& dialogs, QWidget* parent, const QString& text);
