// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pictures a deck links on the network, which LibreOffice would fetch while it converts the
// deck unless remote content is allowed (platform/remote_content.h); by default they are drawn
// as missing links and one warning names them.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The network addresses of the pictures a deck links, from the deck as flat ODF (LibreOffice
// keeps a link's address when it converts a .pptx, also one it could not fetch): each once,
// in the order they appear. A link to a local file is not among them.
QStringList RemotePictureLinks(const QByteArray& flatOdf);

// The warning naming them: "the deck links 2 pictures on the network; they are drawn as
// missing links: http://..., http://...".
QString RemotePicturesWarning(const QStringList& links);
