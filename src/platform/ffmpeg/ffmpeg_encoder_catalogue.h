// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The encoders of this libavcodec that can go into an AVI file: every video encoder whose codec
// has an AVI FourCC, each under a code of its own.

#include <string>
#include <vector>

struct AVCodec;

struct CatalogueEncoder {
    std::string code;
    const AVCodec* codec = nullptr;
};

// All candidates in libavcodec's order. Codes are unique ignoring letter case: the first
// encoder of a codec takes its preferred tag (mpeg4 "DIVX", the tag most players know;
// libxvid "XVID"), later ones the next unused tag of their codec; an encoder left without a
// printable tag is not listed (rawvideo: its raw frames are "No Compression").
std::vector<CatalogueEncoder> BuildEncoderCatalogue();

// The four characters of a little-endian FourCC, lowest byte first.
std::string FourccText(unsigned tag);
