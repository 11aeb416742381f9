// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Motion paths in LibreOffice's slide show. The show's own script knows the animateMotion node
// of a custom animation but builds nothing for it ("ANIMATEMOTION not implemented"), so a shape
// meant to travel along a path stays where it is. The script here adds that node, built from
// the show's own node, activity and shape classes, so it keeps the show's timing.

#include <QByteArray>


// The show with the motion-path script added when one of its slides has a motion path;
// any other show comes back as it is, byte for byte.
QByteArray WithMotionPaths(const QByteArray& show);
