// SPDX-License-Identifier: GPL-3.0-or-later
// GIF export of one recording several ways: the default build ("256Colors", "Smaller Size",
// "Nearest"), the "High Fidelity" build at tolerance 0 and at a few tolerances, FFmpeg's
// two-pass palette pipeline (palettegen=stats_mode=diff, then paletteuse) fed the very same
// pictures, scaled to 560 wide with the program's own nearest-neighbour rule, and that file
// optimised by gifsicle -O3, alone and with --lossy=N. Reports the file's bytes, the mean PSNR of
// what a viewer shows at every slot against that slot's scaled picture (a slot shown exactly
// counts 100 dB), and the build time (best of three; for FFmpeg both passes, pictures
// already written; for gifsicle its own run on top of FFmpeg's).
//
// Then the size budget at 25 %, 50 % and 100 % of the default build's bytes: what the search
// chose, its bytes, its PSNR against the pictures scaled to the chosen size, the builds it
// needed and its time, and the best PSNR among the peer files that fit the same budget.
//
//   gif_hifi_bench [RECORDING_DIR ...]
//
// A recording directory holds the frame files temp<N>.bmp as the recorder writes them, and
// optionally recording.json with "FrameCount" (else the highest N is taken). Without one, a
// synthetic recording of photo-like slides with gradients, text, a moving pointer and a fade
// is made in a temporary folder.
#include "core/frame_store.h"
#include "core/picture_ops.h"
#include "core/slot_reader.h"
#include "core/working_files.h"
#include "core/zoom_sizes.h"
#include "gif/gif_animation_builder.h"
#include "gif/gif_budget.h"
#include "gif/gif_image.h"
#include "gif_oracle.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    std::string name;
    size_t bytes = 0;
    double psnr = 0;
    double seconds = 0;
    int frames = 0;
    std::string note;
};

int FrameCountOf(const std::string& dir)
{
    std::ifstream json(dir + "/recording.json");
    if (json) {
        std::stringstream text;
        text << json.rdbuf();
        std::smatch m;
        const std::string s = text.str();
        if (std::regex_search(s, m, std::regex("\"FrameCount\"\\s*:\\s*([0-9]+)")))
            return std::stoi(m[1]);
    }
    int highest = 0;
    const std::regex name("temp([0-9]+)\\.bmp");
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::smatch m;
        const std::string file = entry.path().filename().string();
        if (std::regex_match(file, m, name))
            highest = std::max(highest, std::stoi(m[1]));
    }
    return highest;
}

// A smooth, photo-like field: overlapping soft blobs over a diagonal gradient.
void PaintSlide(Picture& p, int slide, int cursorX, int cursorY)
{
    const int w = p.width(), h = p.height();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = p.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
            double r = 30 + 160 * u + 20 * slide, g = 60 + 120 * v, b = 200 - 90 * u * v;
            // A "photo" in the right half: soft coloured blobs.
            if (u > 0.55 && u < 0.95 && v > 0.2 && v < 0.85) {
                const double s = std::sin(u * 23 + slide) * std::cos(v * 17) + std::sin((u + v) * 31);
                r = 128 + 80 * s;
                g = 110 + 60 * std::sin(u * 13 + v * 7 + slide);
                b = 90 + 70 * std::cos(v * 19 - u * 5);
            }
            row[3 * x + 2] = static_cast<uint8_t>(std::clamp(r, 0.0, 255.0));
            row[3 * x + 1] = static_cast<uint8_t>(std::clamp(g, 0.0, 255.0));
            row[3 * x] = static_cast<uint8_t>(std::clamp(b, 0.0, 255.0));
        }
    }
    // Text lines: dark strokes with a soft edge on the left half.
    for (int line = 0; line < 6; ++line)
        for (int y = 0; y < 14; ++y) {
            const int yy = h / 5 + line * 44 + y;
            if (yy >= h)
                continue;
            uint8_t* row = p.scanLine(yy);
            for (int x = w / 16; x < w / 2; ++x) {
                if (((x / 9) * 7 + line * 3 + slide) % 5 == 0)
                    continue;
                const int edge = std::min({y, 13 - y, 3});
                const double a = edge / 3.0;
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = static_cast<uint8_t>(row[3 * x + c] * (1 - a) + 20 * a);
            }
        }
    for (int y = cursorY; y < std::min(h, cursorY + 18); ++y)
        for (int x = cursorX; x < std::min(w, cursorX + (y - cursorY) / 2 + 1); ++x) {
            uint8_t* px = p.scanLine(y) + 3 * x;
            px[0] = px[1] = px[2] = 255;
        }
}

// 60 slots of 1280 x 720: three slides of 20 slots, a fade over 4 slots into each next one, the
// pointer moving every third slot.
std::string MakeSyntheticRecording()
{
    const std::string dir = (fs::temp_directory_path() / "gif_hifi_bench_recording").string();
    fs::remove_all(dir);
    fs::create_directories(dir);
    const WorkingFiles files(dir, dir);
    Picture last;
    int frameCount = 0;
    for (int k = 0; k < 60; ++k) {
        const int slide = k / 20;
        const int inSlide = k % 20;
        Picture p(1280, 720);
        PaintSlide(p, slide, 300 + (k / 3) * 17 % 600, 400);
        if (slide > 0 && inSlide < 4) {
            Picture before(1280, 720);
            PaintSlide(before, slide - 1, 300 + (k / 3) * 17 % 600, 400);
            const double a = (inSlide + 1) / 5.0;
            for (int y = 0; y < 720; ++y)
                for (int x = 0; x < 1280 * 3; ++x)
                    p.scanLine(y)[x] = static_cast<uint8_t>(p.scanLine(y)[x] * a + before.scanLine(y)[x] * (1 - a));
        }
        if (last.empty() || !SameImage(p, last))
            SaveFrame(files, p, k + 1);
        last = p;
        frameCount = k + 1;
    }
    std::ofstream(dir + "/recording.json") << "{ \"FrameCount\": " << frameCount << " }\n";
    return dir;
}

// The picture every slot shows, scaled as the build scales it.
// width 0: the first zoom item's size, which width and height then receive.
std::vector<std::shared_ptr<Picture>> ScaledSlots(const WorkingFiles& files, int frameCount, int& width, int& height)
{
    std::vector<std::shared_ptr<Picture>> slots;
    std::shared_ptr<Picture> current;
    const SlotReader reader(files, frameCount);
    for (int slot = 1; slot <= frameCount; ++slot) {
        auto p = std::make_shared<Picture>();
        if (reader.Read(slot, *p)) {
            if (width == 0) {
                const ZoomSize size = ZoomSizeFor(0, {p->width(), p->height()}, OriginalSides::AsRecorded);
                width = size.width;
                height = size.height;
            }
            ScaleBitmapInPlace(*p, width, height);
            current = p;
        }
        slots.push_back(current); // null before the first stored slot
    }
    return slots;
}

// Mean over the slots of the PSNR of what the GIF shows at the slot's time.
double MeanPsnr(const std::vector<uint8_t>& gif, const std::vector<std::shared_ptr<Picture>>& slots, int& frames, std::string& note)
{
    const DecodedGif decoded = DecodeGif(gif);
    if (!decoded.ok) {
        note = "undecodable: " + decoded.error;
        return 0;
    }
    frames = static_cast<int>(decoded.frames.size());
    std::vector<long long> starts;
    long long t = 0;
    for (const auto& f : decoded.frames) {
        starts.push_back(t);
        t += std::max(f.delay, 0);
    }
    // Slots before the first stored picture show nothing of it in any of the files.
    size_t first = 0;
    while (first < slots.size() && !slots[first])
        ++first;
    if (t != static_cast<long long>(slots.size() - first) * 15)
        note = "length " + std::to_string(t) + " of " + std::to_string((slots.size() - first) * 15) + " hundredths";
    double sum = 0;
    int counted = 0;
    for (size_t k = first; k < slots.size(); ++k) {
        const long long at = static_cast<long long>(k - first) * 15;
        size_t i = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) - 1;
        const std::vector<uint32_t>& screen = decoded.frames[i].screen;
        const Picture& p = *slots[k];
        if (decoded.width != p.width() || decoded.height != p.height()) {
            note = "size differs";
            return 0;
        }
        double squares = 0;
        for (int y = 0; y < p.height(); ++y) {
            const uint8_t* row = p.scanLine(y);
            for (int x = 0; x < p.width(); ++x) {
                const uint32_t c = screen[static_cast<size_t>(y) * p.width() + x];
                const int dr = static_cast<int>((c >> 16) & 0xFF) - row[3 * x + 2];
                const int dg = static_cast<int>((c >> 8) & 0xFF) - row[3 * x + 1];
                const int db = static_cast<int>(c & 0xFF) - row[3 * x];
                squares += dr * dr + dg * dg + db * db;
            }
        }
        const double mse = squares / (3.0 * p.width() * p.height());
        sum += mse == 0 ? 100 : std::min(100.0, 10 * std::log10(255.0 * 255.0 / mse));
        ++counted;
    }
    return counted ? sum / counted : 0;
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Result RunDeckrec(const WorkingFiles& files, int frameCount, int width, int height, bool hifi,
                  const std::vector<std::shared_ptr<Picture>>& slots, int tolerance = 0)
{
    Result r;
    r.name = hifi ? "Deckrec High Fidelity, tolerance " + std::to_string(tolerance) : "Deckrec default";
    GifBuildOptions options;
    options.width = width;
    options.height = height;
    options.highFidelity = hifi;
    options.tolerance = tolerance;
    GifBuildSettings settings;
    settings.readOptions = [options] { return options; };
    std::vector<uint8_t> bytes;
    r.seconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        std::unique_ptr<TGIFImage> animation = BuildGifAnimation(files, frameCount, settings);
        GifMemoryStream out;
        animation->SaveToStream(out);
        r.seconds = std::min(r.seconds, Seconds(start));
        bytes = std::move(out.bytes);
    }
    r.bytes = bytes.size();
    r.psnr = MeanPsnr(bytes, slots, r.frames, r.note);
    return r;
}

void WritePpm(const Picture& p, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << p.width() << " " << p.height() << "\n255\n";
    std::vector<char> row(static_cast<size_t>(p.width()) * 3);
    for (int y = 0; y < p.height(); ++y) {
        const uint8_t* src = p.scanLine(y);
        for (int x = 0; x < p.width(); ++x) {
            row[3 * x] = static_cast<char>(src[3 * x + 2]);
            row[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Result RunFfmpeg(const std::vector<std::shared_ptr<Picture>>& slots)
{
    Result r;
    r.name = "FFmpeg two-pass palette";
    const std::string dir = (fs::temp_directory_path() / "gif_hifi_bench_ffmpeg").string();
    fs::remove_all(dir);
    fs::create_directories(dir);
    // Every stored picture once, shown for the slots it lasts (the concat demuxer's durations).
    std::ofstream list(dir + "/list.txt");
    for (size_t k = 0; k < slots.size();) {
        if (!slots[k]) {
            ++k;
            continue;
        }
        size_t end = k + 1;
        while (end < slots.size() && slots[end] == slots[k])
            ++end;
        const std::string file = dir + "/f" + std::to_string(k) + ".ppm";
        WritePpm(*slots[k], file);
        list << "file '" << file << "'\nduration " << (end - k) * 0.15 << "\n";
        k = end;
    }
    list.close();
    const std::string input = "-f concat -safe 0 -i " + dir + "/list.txt";
    const std::string pass1 = "ffmpeg -v error -y " + input + " -vf palettegen=stats_mode=diff " + dir + "/palette.png";
    const std::string pass2 = "ffmpeg -v error -y " + input + " -i " + dir + "/palette.png -lavfi paletteuse -fps_mode vfr " + dir +
                              "/out.gif";
    r.seconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(pass1.c_str()) != 0 || std::system(pass2.c_str()) != 0) {
            r.note = "ffmpeg failed";
            return r;
        }
        r.seconds = std::min(r.seconds, Seconds(start));
    }
    const std::vector<uint8_t> bytes = ReadBytes(dir + "/out.gif");
    r.bytes = bytes.size();
    r.psnr = MeanPsnr(bytes, slots, r.frames, r.note);
    return r;
}

// FFmpeg's file (RunFfmpeg's) optimised by gifsicle; lossy 0: -O3 alone.
Result RunGifsicle(const std::vector<std::shared_ptr<Picture>>& slots, int lossy)
{
    Result r;
    r.name = lossy ? "FFmpeg + gifsicle -O3 --lossy=" + std::to_string(lossy) : "FFmpeg + gifsicle -O3";
    const std::string dir = (fs::temp_directory_path() / "gif_hifi_bench_ffmpeg").string();
    const std::string out = dir + "/gifsicle" + std::to_string(lossy) + ".gif";
    const std::string command = "gifsicle -O3 " + (lossy ? "--lossy=" + std::to_string(lossy) + " " : std::string()) +
                                dir + "/out.gif -o " + out;
    r.seconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            r.note = "gifsicle failed";
            return r;
        }
        r.seconds = std::min(r.seconds, Seconds(start));
    }
    const std::vector<uint8_t> bytes = ReadBytes(out);
    r.bytes = bytes.size();
    r.psnr = MeanPsnr(bytes, slots, r.frames, r.note);
    return r;
}

struct BudgetRow {
    long long budget = 0;
    std::string choice;
    double psnr = 0;
    int builds = 0;
    int sizes = 0;
    double seconds = 0;
    double bestPeerPsnr = -1; // -1: no peer fits
    std::string bestPeer;
};

BudgetRow RunBudget(const WorkingFiles& files, int frameCount, long long budget, const std::vector<Result>& peers)
{
    BudgetRow row;
    row.budget = budget;
    int width = 0, height = 0;
    {
        // The recording's own size decides the list's sizes.
        Picture first;
        const SlotReader reader(files, frameCount);
        reader.Read(reader.firstStored(), first);
        GifBudgetRequest request;
        request.maxBytes = budget;
        for (int item = 0; item < 5; ++item) {
            const ZoomSize size = ZoomSizeFor(item, {first.width(), first.height()}, OriginalSides::AsRecorded);
            request.sizes.emplace_back(size.width, size.height);
        }
        const auto start = std::chrono::steady_clock::now();
        const GifBudgetResult result = FitGifToBudget(files, frameCount, request);
        row.seconds = Seconds(start);
        row.builds = result.builds;
        row.sizes = result.sizesRead;
        if (!result.animation) {
            row.choice = "nothing fits (smallest " + GifBudgetChoiceText(result.smallest, result.smallestBytes) + ")";
            return row;
        }
        row.choice = GifBudgetChoiceText(result.chosen, result.bytes) + " (" + std::to_string(result.bytes) + " B)";
        GifMemoryStream out;
        result.animation->SaveToStream(out);
        width = result.chosen.width;
        height = result.chosen.height;
        const auto slots = ScaledSlots(files, frameCount, width, height);
        int frames = 0;
        std::string note;
        row.psnr = MeanPsnr(out.bytes, slots, frames, note);
    }
    for (const Result& peer : peers)
        if (static_cast<long long>(peer.bytes) <= budget && peer.psnr > row.bestPeerPsnr) {
            row.bestPeerPsnr = peer.psnr;
            row.bestPeer = peer.name;
        }
    return row;
}

void Report(const std::string& dir)
{
    const int frameCount = FrameCountOf(dir);
    const WorkingFiles files(dir, dir);
    int width = 0, height = 0;
    const auto slots = ScaledSlots(files, frameCount, width, height);
    const int stored = SlotReader(files, frameCount).storedCount();
    std::printf("\n%s: %d slots, %d stored pictures, scaled to %d x %d\n\n", dir.c_str(), frameCount, stored, width, height);
    std::printf("| | bytes | mean PSNR (dB) | build time (s) | frames |\n|---|---|---|---|---|\n");
    std::vector<Result> results = {RunDeckrec(files, frameCount, width, height, false, slots)};
    for (int tolerance : {0, 4, 8, 16, 32, 48})
        results.push_back(RunDeckrec(files, frameCount, width, height, true, slots, tolerance));
    std::vector<Result> peers = {RunFfmpeg(slots)};
    for (int lossy : {0, 20, 40, 80, 120, 200})
        peers.push_back(RunGifsicle(slots, lossy));
    for (const std::vector<Result>* list : {&results, &peers})
        for (const Result& r : *list)
            std::printf("| %s | %zu | %.1f | %.3f | %d | %s\n", r.name.c_str(), r.bytes, r.psnr, r.seconds, r.frames,
                        r.note.c_str());
    std::fflush(stdout);

    std::printf("\n| budget | chosen | PSNR at that size (dB) | builds (sizes read) | time (s) | best peer that fits |\n"
                "|---|---|---|---|---|---|\n");
    for (const int percent : {25, 50, 100}) {
        const long long budget = static_cast<long long>(results[0].bytes) * percent / 100;
        const BudgetRow row = RunBudget(files, frameCount, budget, peers);
        std::printf("| %d %% = %lld B | %s | %.1f | %d (%d) | %.2f | %s |\n", percent, row.budget, row.choice.c_str(),
                    row.psnr, row.builds, row.sizes, row.seconds,
                    row.bestPeerPsnr < 0 ? "none" : (row.bestPeer + ", " + std::to_string(row.bestPeerPsnr).substr(0, 4) + " dB").c_str());
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> dirs(argv + 1, argv + argc);
    if (dirs.empty())
        dirs.push_back(MakeSyntheticRecording());
    for (const std::string& dir : dirs) {
        if (!fs::is_directory(dir)) {
            std::fprintf(stderr, "%s: not a folder\n", dir.c_str());
            return 1;
        }
        Report(dir);
    }
    return 0;
}
