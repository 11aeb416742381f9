// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The caption under the browser for a completed navigation: the slide's number and title for a
// presentation frame ("...#261,4,Results" gives "4,Results"), otherwise "1,First page " and the
// URL; at most 128 characters.

#include <QString>

QString PageTitleCaption(const QString& url);
