// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

// Milliseconds of the monotonic clock, wrapping at 2^32 like a tick counter.
uint32_t MonotonicTickMs();
