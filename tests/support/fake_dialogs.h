// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialogs answered by the test: queued file names and answers, recorded messages.

#include "ui/dialogs.h"

#include <QStringList>
#include <deque>

class FakeDialogs : public DialogService {
public:
    FakeDialogs() = default;
    // Hands the application's error box back to the silent dialogs when it was this one's.
    ~FakeDialogs() override;

    struct Message {
        QString text;
        QString caption;
        Icon icon;
    };

    QString openFileName(QWidget*, const QString& filter, const QString& initialName) override;
    QString saveFileName(QWidget*, const QString& filter, const QString& defaultSuffix) override;
    void message(QWidget*, const QString& text, const QString& caption, Icon icon) override;
    bool confirm(QWidget*, const QString& text, const QString& caption) override;

    std::deque<QString> fileNames;  // answers of the file dialogs; empty answer = cancel
    std::deque<bool> confirmations; // answers of confirm(); false when none is queued
    std::vector<Message> messages;
    QStringList questions;
    QString lastFilter;
    QString lastInitialName;
};
