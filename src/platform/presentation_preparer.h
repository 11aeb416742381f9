#pragma once
// Gets a presentation ready before it is shown, so that the show appears at once when it is
// asked for: the program's converter runs LibreOffice as soon as the deck is chosen, and the
// browser is later served from the same converter's cache.

#include <QString>

class PresentationPreparer {
public:
    virtual ~PresentationPreparer() = default;
    // Starts the work in the background and returns at once. A file that cannot be shown is
    // not reported here: the viewer tells why when it is asked to show it.
    virtual void Prepare(const QString& presentationPath) = 0;
};
