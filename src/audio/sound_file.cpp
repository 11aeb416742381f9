// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/sound_file.h"

#include "core/deckrec_error.h"

#include <cstdio>
#include <filesystem>
#include <memory>

std::string TemplateForRecordFormat(int itemIndex)
{
    switch (itemIndex) {
    case 0:
        return "adpcm1.wav";
    case 1:
        return "adpcm2.wav";
    case 2:
        return "adpcm3.wav";
    default:
        return "";
    }
}

namespace {

void Put32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(v >> (8 * i));
}

void Put16(uint8_t* at, uint16_t v)
{
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

void PutTag(uint8_t* at, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(tag[i]);
}

} // namespace

std::array<uint8_t, 44> BuiltInPcmFile()
{
    constexpr uint16_t channels = 2, bits = 16;
    constexpr uint32_t rate = 44100;
    std::array<uint8_t, 44> f{};
    PutTag(&f[0], "RIFF");
    Put32(&f[4], 36);
    PutTag(&f[8], "WAVE");
    PutTag(&f[12], "fmt ");
    Put32(&f[16], 16);
    Put16(&f[20], 1);
    Put16(&f[22], channels);
    Put32(&f[24], rate);
    Put32(&f[28], channels * rate * (bits / 8));
    Put16(&f[32], (bits / 8) * channels);
    Put16(&f[34], bits);
    PutTag(&f[36], "data");
    Put32(&f[40], 0);
    return f;
}

void PrepareSoundFile(const std::string& programFolder, const std::string& templateName, const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    // A fresh file rather than rewriting the old one in place: a recorder that still holds
    // the old one then can't write into the new.
    fs::remove(path, ignored);
    if (!templateName.empty()) {
        fs::copy_file(programFolder + templateName, path, fs::copy_options::overwrite_existing, ignored);
        return;
    }
    const auto bytes = BuiltInPcmFile();
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fflush(file.get()) != 0)
        throw DeckrecError("Can not write the sound file " + path);
}
