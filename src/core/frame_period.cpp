// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame_period.h"

#include <numeric>

PeriodFraction PeriodAsFraction(double framePeriodMs)
{
    const double whole = std::round(framePeriodMs);
    if (std::fabs(framePeriodMs - whole) < 1e-9 * std::max(1.0, whole))
        return {static_cast<long long>(whole), 1};
    // The rate in thousandths of a frame a second: 1000 ms / period = rate / 1000.
    const long long milliRate = std::llround(1e6 / framePeriodMs);
    long long numerator = 1000000;
    long long denominator = milliRate > 0 ? milliRate : 1;
    const long long divisor = std::gcd(numerator, denominator);
    return {numerator / divisor, denominator / divisor};
}
