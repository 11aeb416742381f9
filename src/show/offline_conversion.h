// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// LibreOffice converting a deck without reaching the network (unless remote content is
// allowed, remote_content.h). Where the system gives a process a network of its own, LibreOffice
// runs in an empty one: a picture linked by a network address cannot be fetched and is drawn as
// the suite draws a link it cannot follow, while a picture linked as a local file is read as
// before. Where it does not (a container that forbids namespaces), the suite's own setting for
// links of untrusted documents, in the conversion's private profile, stops every linked
// picture, local ones too.

#include <QString>

enum class ConversionNetwork {
    Open,        // remote content allowed: LibreOffice fetches what the deck links
    Isolated,    // an empty network of its own
    LinksBlocked // the suite follows none of the deck's picture links
};

// How a conversion started now runs. Whether the system allows a network of its own is tried
// once, in a child process.
ConversionNetwork CurrentConversionNetwork();

// A short name of it, part of the show cache's key: what a show holds depends on it.
QString ConversionNetworkTag(ConversionNetwork network);

// Called in the child between fork and exec: moves the process into an empty network of its
// own. Uses only async-signal-safe calls; false when the system refuses.
bool EnterEmptyNetwork();

// Writes the suite's setting that blocks the links of untrusted documents into a LibreOffice
// profile folder that is not used yet; false when it cannot be written.
bool WriteLinksBlockedProfile(const QString& profileFolder);
