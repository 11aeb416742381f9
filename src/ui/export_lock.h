// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// While an export or a GIF build runs, its page's controls and the page tabs are disabled, so
// that the nested message processing of the loop can neither change the settings nor start
// another export or a recording (Record Now lives on another page). The window's running flag
// refuses a second start that comes in some other way, and a close asked for meanwhile is
// carried out when the export has ended. Everything is restored on every exit.

#include "ui/main_window.h"

#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <utility>
#include <vector>

class ExportLock {
public:
    ExportLock(TForm1& form, bool& running, std::vector<QWidget*> controls)
        : form_(form), running_(running), controls_(std::move(controls))
    {
        controls_.push_back(form_.PageControl1->tabBar());
        running_ = true;
        for (QWidget* control : controls_)
            enabled_.push_back(control->isEnabled());
        for (QWidget* control : controls_)
            control->setEnabled(false);
    }
    ~ExportLock()
    {
        for (size_t i = 0; i < controls_.size(); ++i)
            controls_[i]->setEnabled(enabled_[i]);
        running_ = false;
        form_.ExportEnded();
    }
    ExportLock(const ExportLock&) = delete;
    ExportLock& operator=(const ExportLock&) = delete;

private:
    TForm1& form_;
    bool& running_;
    std::vector<QWidget*> controls_;
    std::vector<bool> enabled_;
};
