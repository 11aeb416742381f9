// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Raised when the user (or a caller's cancel callback) stops a GIF build or save: not a
// failure, so the windows show no error for it.

#include "core/progress.h"

class GifCancelled : public OperationCancelled {
public:
    GifCancelled() : OperationCancelled("GIF export cancelled.") {}
};
