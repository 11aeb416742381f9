// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the Record Format templates "adpcm1.wav", "adpcm2.wav" and "adpcm3.wav" into the
// folder given: IMA ADPCM, one channel, 11025 / 22050 / 44100 Hz, no samples. Run by the
// build; the program only ever copies these files.
#include <sndfile.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
        return 2;
    }
    const struct {
        const char* name;
        int rate;
    } templates[] = {{"adpcm1.wav", 11025}, {"adpcm2.wav", 22050}, {"adpcm3.wav", 44100}};
    for (const auto& t : templates) {
        const std::string path = std::string(argv[1]) + "/" + t.name;
        SF_INFO info;
        std::memset(&info, 0, sizeof info);
        info.format = SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM;
        info.samplerate = t.rate;
        info.channels = 1;
        // Opening for writing and closing at once leaves a complete header without samples.
        SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
        if (!f || sf_close(f) != 0) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), sf_strerror(nullptr));
            return 1;
        }
    }
    return 0;
}
