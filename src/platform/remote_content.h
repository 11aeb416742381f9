// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a deck may reach on the network. A picture a deck links by a network address would be
// fetched by LibreOffice while it converts the deck, and a show may name more that the browser
// would load: a tracking pixel tells a stranger who opened the deck and when, and on a batch
// server the address may be an internal one. By default nothing is fetched.
//
// The setting is the program's, as its check box in the windows is: every conversion and every
// browser reads it when it starts a conversion or a request (the browser's request thread too).

void AllowRemoteContent(bool allowed);
bool RemoteContentAllowed();
