// SPDX-License-Identifier: GPL-3.0-or-later
#include "show/motion_path_script.h"
#include "show/show_document.h"

QByteArray WithMotionPaths(const QByteArray& show)
{
    if (!show.contains("<anim:animateMotion"))
        return show;
    return WithPageScript(show, QStringLiteral("motion_paths"));
}
