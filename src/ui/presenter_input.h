// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The presenter's own slide actions on the show's view: a left click, or a key that moves the
// show on, back or to its first or last slide. They reach the show as always; this only tells
// of each one the moment the view gets it, so that a live performance can log it.

#include "core/performance_log.h"

#include <QObject>
#include <functional>
#include <optional>

class QEvent;
class QWidget;

class PresenterInput : public QObject {
public:
    explicit PresenterInput(std::function<void(SlideStep)> onAction, QObject* parent = nullptr);
    ~PresenterInput() override;

    // Follows the input of view and its children from now on; null follows none. With
    // keysOnly the clicks are left out: the recorder's own clicks reach the view as the
    // presenter's do.
    void Follow(QWidget* view, bool keysOnly = false);

    // The slide action event gives the show, when it gives one: a left click and the keys the
    // show moves on with are a click's step; the others are the keys the rendering presses.
    static std::optional<SlideStep> StepOf(const QEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(SlideStep)> onAction_;
    QWidget* view_ = nullptr;
    bool keysOnly_ = false;
    // Qt hands an event a widget ignores on to its parent: one action, one report.
    unsigned long lastTimestamp_ = 0;
    int lastType_ = 0;
};
