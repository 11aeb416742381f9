// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ODF namespaces the readers of a flat deck match elements and attributes by, written once.

#include <QString>

namespace odf {
inline const QString kAnimation = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:animation:1.0");
inline const QString kDraw = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");
inline const QString kFo = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
inline const QString kPresentation = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:presentation:1.0");
inline const QString kStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
inline const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
} // namespace odf
