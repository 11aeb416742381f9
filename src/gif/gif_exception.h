// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one error type of the GIF classes. Its texts are fixed: the user sees them as they are.

#include "core/deckrec_error.h"

#include <string>

class GIFException : public DeckrecError {
public:
    explicit GIFException(const std::string& message) : DeckrecError(message) {}
};

namespace gif_messages {
inline constexpr const char* kUnsupportedVersion = "Unsupported GIF version";
inline constexpr const char* kColorTableOverflow = "Color table overflow";
inline constexpr const char* kColorTableEmpty = "Color table is empty";
inline constexpr const char* kImageWidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* kImageHeightTooSmall = "Image height too small for contained frames";
inline constexpr const char* kUnsupportedObject = "Object type not supported for operation";
inline constexpr const char* kInvalidPixelCoordinates = "Invalid pixel coordinates";
inline constexpr const char* kImageEmpty = "Image is empty";
inline constexpr const char* kUnsupportedPixelFormat = "Unsupported PixelFormat";
inline constexpr const char* kInvalidImageDimensions = "Invalid image dimensions";
inline constexpr const char* kOutOfMemoryForDib = "Failed to allocate memory for GIF DIB";
inline constexpr const char* kColorNotInTable = "Color not in color table";
inline constexpr const char* kInvalidColorIndex = "Invalid color index";
inline constexpr const char* kImageExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* kPrematureEnd = "Premature end of data";
inline constexpr const char* kInvalidExtension = "Unknown extension type";
} // namespace gif_messages
