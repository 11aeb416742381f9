// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/monotonic_clock.h"

#include <time.h>

uint32_t MonotonicTickMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}
