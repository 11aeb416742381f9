// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/remote_content.h"

#include <atomic>

namespace {

std::atomic<bool> remoteContentAllowed{false};

} // namespace

void AllowRemoteContent(bool allowed)
{
    remoteContentAllowed = allowed;
}

bool RemoteContentAllowed()
{
    return remoteContentAllowed;
}
