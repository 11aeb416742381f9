// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ctrl+C (SIGINT), SIGTERM and SIGHUP (the terminal closed) during a run: the signal only
// sets a flag and wakes the event loop; the run then ends its session or export at the next
// step and cleans up as on any other end, its display and sound servers included.

#include <stdexcept>

class QObject;

// Thrown when the run was interrupted: during an export, or while a narration is read.
class InterruptedError : public std::runtime_error {
public:
    InterruptedError() : std::runtime_error("interrupted") {}
};

// Installs the handlers; call once, early.
void CatchInterruptions();
bool Interrupted();
// Calls onInterrupt in the event loop of the running application as soon as a signal comes
// (at once when one came already). The notifier belongs to owner.
template <typename F> void OnInterruption(QObject* owner, F onInterrupt);

// The descriptor that becomes readable when a signal came (for a notifier).
int InterruptionDescriptor();

#include <QSocketNotifier>

template <typename F> void OnInterruption(QObject* owner, F onInterrupt)
{
    auto* notifier = new QSocketNotifier(InterruptionDescriptor(), QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [notifier, onInterrupt] {
        notifier->setEnabled(false);
        onInterrupt();
    });
    if (Interrupted()) {
        notifier->setEnabled(false);
        onInterrupt();
    }
}
