// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Gets a presentation ready before it is shown, so that the show appears at once when it is
// asked for: the program's converter runs LibreOffice as soon as the deck is chosen, and the
// browser is later served from the same converter's cache.

#include <QString>
#include <QStringList>
#include <functional>

class PresentationPreparer {
public:
    virtual ~PresentationPreparer() = default;
    // Starts the work in the background and returns at once. A file that cannot be shown is
    // not reported here: the viewer tells why when it is asked to show it.
    virtual void Prepare(const QString& presentationPath) = 0;
    // Calls done, once the show is ready, with one line per font of the deck that the show
    // cannot draw as the deck asks (empty when every font or a metric twin of it is there);
    // not called when the deck cannot be shown. By default never called.
    virtual void CheckFonts(const QString& presentationPath, std::function<void(const QStringList&)> done)
    {
        (void)presentationPath;
        (void)done;
}

// Whether a deck may reach the network while it is converted and shown (remote_content.h):
// the program's one setting. Off unless set; preparers that convert nothing ignore it.
virtual void AllowRemoteContent(bool allowed) { (void)allowed; }
// Calls done, once the deck has been read, with one warning line naming the pictures it
// links on the network that are drawn as missing links; with an empty one when there are
// none or remote content is allowed. By default never called.
virtual void CheckRemoteContent(const QString& presentationPath, std::function<void(const QString&)> done)
{
    (void)presentationPath;
    (void)done;
}

    // The deck as flat XML, where its speaker notes are: done gets its path, or an empty one
    // when there is none (the default, for preparers that convert nothing).
    virtual void ConvertToFlat(const QString& presentationPath, std::function<void(const QString& flatPath)> done)
    {
        (void)presentationPath;
        done(QString());
    }
    // The deck as a PDF, a page per slide as the office suite prints it (the slides' pictures
    // where the recording is not at hand): done gets its path, valid only during the call, or
    // an empty one when there is none.
    virtual void ConvertToPdf(const QString& presentationPath, std::function<void(const QString& pdfPath)> done)
    {
        (void)presentationPath;
        done(QString());
    }
};
