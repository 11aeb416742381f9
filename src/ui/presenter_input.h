// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The presenter's own slide actions on the show's view: a left click, or a key that moves the
// show on. They reach the show as always; this only tells of each one the moment the view gets
// it, so that a live performance can log it.

#include <QObject>
#include <functional>

class QEvent;
class QWidget;

class PresenterInput : public QObject {
public:
    explicit PresenterInput(std::function<void()> onAction, QObject* parent = nullptr);
    ~PresenterInput() override;

    // Follows the input of view and its children from now on; null follows none.
    void Follow(QWidget* view);

    // Whether event, given to the show, moves it on by one step as a click does. Keys that
    // move it back or jump have no place in a log of clicks.
    static bool MovesShowOn(const QEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onAction_;
    QWidget* view_ = nullptr;
    // Qt hands an event a widget ignores on to its parent: one action, one report.
    unsigned long lastTimestamp_ = 0;
    int lastType_ = 0;
};
