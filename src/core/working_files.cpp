// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/working_files.h"

#include <filesystem>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ExecutableFolderPath()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "./";
    buffer[n] = '\0';
    std::string path(buffer);
    return path.substr(0, path.rfind('/') + 1);
}

// "temp" followed by a decimal number and ".bmp", the number within 0..10000.
bool IsClearedFrameName(const std::string& name)
{
    if (name.size() < 9 || name.compare(0, 4, "temp") != 0 || name.compare(name.size() - 4, 4, ".bmp") != 0)
        return false;
    const std::string digits = name.substr(4, name.size() - 8);
    if (digits.empty() || digits.size() > 5 || (digits.size() > 1 && digits[0] == '0'))
        return false;
    for (char c : digits)
        if (c < '0' || c > '9')
            return false;
    return std::stoi(digits) <= kLastClearedFrame;
}

// A frame name, or one a frame write was cut off under (the program ended mid-write).
bool IsFrameOrPartialFrameName(const std::string& name)
{
    const std::string suffix = ".part";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        return IsClearedFrameName(name.substr(0, name.size() - suffix.size()));
    return IsClearedFrameName(name);
}

// The same file, also through links or ".." steps; a file that does not exist yet is
// compared by its normalised path.
bool SameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    if (fs::equivalent(a, b, ec) && !ec)
        return true;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && ca == cb;
}

std::string WithSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

} // namespace

std::string ExecutableFolder()
{
    static const std::string folder = ExecutableFolderPath();
    return folder;
}

WorkingFiles::WorkingFiles(const std::string& programFolder, const std::string& workingDirectory)
    : programFolder_(WithSlash(programFolder))
    , workingDirectory_(WithSlash(workingDirectory))
{
}

WorkingFiles WorkingFiles::InProgramFolder(const std::string& programFolder)
{
    return WorkingFiles(programFolder, WithSlash(programFolder) + "temp/");
}

void WorkingFiles::EnsureWorkingDirectory() const
{
    std::error_code ec;
    if (!fs::is_directory(workingDirectory_, ec))
        fs::create_directory(workingDirectory_, ec);
}

std::string WorkingFiles::FrameFilePath(int n) const
{
    return workingDirectory_ + "temp" + std::to_string(n) + ".bmp";
}

std::string WorkingFiles::SoundFilePath() const
{
    return workingDirectory_ + "_temp.wav";
}

void WorkingFiles::ClearWorkingFiles() const
{
    // Listing the folder removes the same names as trying all 10001 of them, in far fewer calls.
    // Names are collected first: removing entries while a directory is being read may skip some.
    std::vector<fs::path> doomed;
    std::error_code ec;
    for (fs::directory_iterator it(workingDirectory_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code ignored;
        if (IsFrameOrPartialFrameName(it->path().filename().string()) && !it->is_directory(ignored))
            doomed.push_back(it->path());
    }
    for (const fs::path& path : doomed)
        fs::remove(path, ec);
    fs::remove(SoundFilePath(), ec);
}

bool WorkingFiles::IsWorkingFile(const std::string& path, const std::vector<std::string>& alsoTheirs) const
{
    if (path.empty())
        return false;
    const fs::path candidate(path);
    if (SameFile(candidate, SoundFilePath()))
        return true;
    for (const std::string& other : alsoTheirs)
        if (SameFile(candidate, other))
            return true;
    return IsFrameOrPartialFrameName(candidate.filename().string()) &&
           SameFile(candidate.parent_path().empty() ? fs::path(".") : candidate.parent_path(), workingDirectory_);
}
