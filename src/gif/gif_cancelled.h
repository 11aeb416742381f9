#pragma once
// Raised when the user (or a caller's cancel callback) stops a GIF build or save: not a
// failure, so the windows show no error for it.

#include "core/deckrec_error.h"

class GifCancelled : public DeckrecError {
public:
    GifCancelled() : DeckrecError("GIF export cancelled.") {}
};
