// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The passes that turn LibreOffice's SVG slide show into the show the browser plays, in the
// one order they run. Stored passes run once per conversion and their result is cached;
// served passes run each time a page asks for the show, as they depend on this system (its
// fonts) or on the page (its clock).

#include "platform/font_catalogue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// What a pass may read besides the show.
struct ShowPassInput {
    // The deck as one flat ODF file; empty when LibreOffice could not write one, and then
    // the passes that read it are left out.
    QByteArray flatDeck;
    const FontCatalogue* fonts = nullptr;
    // The page runs on the show clock rather than the wall clock.
    bool showClock = false;
};

enum class PassTime { Stored, Served };

struct ShowPass {
    const char* name;
    PassTime when;
    bool readsDeck;      // needs ShowPassInput::flatDeck
    QStringList scripts; // the page scripts it may put into the show
    QByteArray (*apply)(const QByteArray& show, const ShowPassInput& input);
};

// Every pass, in the order they run: the stored ones, then the served ones.
const std::vector<ShowPass>& ShowPasses();

// show after the passes of one time, in order.
QByteArray ApplyShowPasses(PassTime when, QByteArray show, const ShowPassInput& input);

// The name the cache stores shows under, derived from what the stored passes are: their
// names and order, the scripts they embed, and the program's show-making code as built. A
// change to any of them stores shows apart from those made before it, so a cached show is
// never served stale.
QString StoredShowTag();
// The digest of the show-making code the program was built from.
const char* StoredShowCodeDigest();
// The same from a list of passes and the text of their scripts, for tests.
QString StoredShowTag(const std::vector<ShowPass>& passes, QByteArray (*scriptText)(const QString& name),
                      const QByteArray& codeDigest);
