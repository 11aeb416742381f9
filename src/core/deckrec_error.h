// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's failures carry a fixed message text; the application's event loop shows
// the text of any exception that leaves a handler in an error box and goes on.

#include <stdexcept>
#include <string>

class DeckrecError : public std::runtime_error {
public:
    explicit DeckrecError(const std::string& message) : std::runtime_error(message) {}
};
