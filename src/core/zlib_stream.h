// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame store's compression: one zlib stream per file, level 1.

#include <cstdint>
#include <string>
#include <vector>

using ByteStream = std::vector<uint8_t>;

// Compresses all of source at level 1 into memory, then writes the whole stream under
// PartialFramePath(path) and renames it to path, creating or replacing the file. A failure
// leaves neither file behind (and an older file at path as it was). Throws DeckrecError
// "Cannot create file <path>" when the file cannot be created, "Write error: <path>: <reason>" when
// it cannot be written, and "error" when zlib fails.
void CompressStreamToFile(const ByteStream& source, const std::string& path);

// Where CompressStreamToFile writes before the rename: path + ".part".
std::string PartialFramePath(const std::string& path);

// Reads the whole file and inflates it, appending to target, until the zlib stream ends;
// bytes after the stream are ignored and a truncated stream yields what was decoded.
// Throws "Cannot open file <path>" and, for corrupt data, "error". Output beyond
// kMaxDecodedBytes counts as corrupt data, so a hostile file cannot exhaust memory.
void DecompressFileToStream(const std::string& path, ByteStream& target);

constexpr size_t kMaxDecodedBytes = 256u * 1024 * 1024;
