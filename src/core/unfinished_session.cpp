// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/unfinished_session.h"

#include "core/deckrec_error.h"
#include "core/file_replacement.h"
#include "core/frame_period.h"
#include "core/monotonic_clock.h"
#include "core/owner_mark.h"
#include "core/private_working_directory.h"
#include "core/slot_reader.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

const char* const kUnfinishedSessionMarkName = "session-in-progress";

namespace {

std::string WithSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

std::string MarkPath(const std::string& workingDirectory)
{
    return WithSlash(workingDirectory) + kUnfinishedSessionMarkName;
}

struct MarkContents {
    std::string owner;
    int frameCount = 0;
};

// "owner <mark>" and "slots <n>" lines; a line that is not understood is passed over, so that
// a damaged mark still protects the frames beside it.
MarkContents ReadMark(const std::string& path)
{
    MarkContents mark;
    std::ifstream file(path);
    std::string key;
    std::string value;
    while (file >> key >> value) {
        if (key == "owner" && MarkLength(value) == value.size())
            mark.owner = value;
        else if (key == "slots")
            std::from_chars(value.data(), value.data() + value.size(), mark.frameCount);
    }
    return mark;
}

bool SameFolder(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

} // namespace

bool WriteUnfinishedSessionMark(const std::string& workingDirectory, int frameCount)
{
    try {
        PendingReplacement mark(MarkPath(workingDirectory));
        {
            std::ofstream out(mark.path(), std::ios::trunc);
            out << "owner " << OwnMark() << "\nslots " << frameCount << "\n";
            out.flush();
            if (!out)
                return false;
        }
        mark.Commit();
        return true;
    } catch (const DeckrecError&) {
        return false;
    }
}

void RemoveUnfinishedSessionMark(const std::string& workingDirectory)
{
    std::error_code ec;
    fs::remove(MarkPath(workingDirectory), ec);
}

std::optional<UnfinishedSession> FindUnfinishedSession(const std::string& workingDirectory)
{
    std::error_code ec;
    if (!fs::is_regular_file(MarkPath(workingDirectory), ec))
        return std::nullopt;
    const MarkContents mark = ReadMark(MarkPath(workingDirectory));
    // A mark without an owner was damaged: nobody is left to record into the folder.
    if (!mark.owner.empty() && !OwnerEnded(mark.owner))
        return std::nullopt;
    // Any frame file of the windows' slots counts, however far it is beyond the mark's count.
    const SlotReader frames(WorkingFiles("", WithSlash(workingDirectory)), kDefaultMostSlots);
    if (frames.storedCount() == 0)
        return std::nullopt;
    UnfinishedSession session;
    session.folder = WithSlash(workingDirectory);
    session.frameCount = std::clamp(mark.frameCount, frames.lastStored(), kDefaultMostSlots);
    return session;
}

void AdoptUnfinishedSession(const UnfinishedSession& session, const WorkingFiles& into)
{
    if (SameFolder(session.folder, into.WorkingDirectory())) {
        RemoveUnfinishedSessionMark(session.folder);
        return;
    }
    into.ClearWorkingFiles();
    into.EnsureWorkingDirectory();
    const WorkingFiles from("", session.folder);
    const SlotReader frames(from, session.frameCount);
    for (int n = frames.firstStored(); n >= 1 && n <= session.frameCount; ++n) {
        if (!frames.Stored(n))
            continue;
        std::error_code ec;
        // Both folders are in the cache folder: a rename, not a copy.
        fs::rename(from.FrameFilePath(n), into.FrameFilePath(n), ec);
        if (ec && !fs::copy_file(from.FrameFilePath(n), into.FrameFilePath(n), fs::copy_options::overwrite_existing, ec))
            throw DeckrecError("Cannot move " + from.FrameFilePath(n) + " to " + into.FrameFilePath(n) + ": " +
                               ec.message());
    }
    std::error_code ec;
    if (fs::is_regular_file(from.SoundFilePath(), ec))
        fs::rename(from.SoundFilePath(), into.SoundFilePath(), ec);
    RemovePrivateWorkingDirectory(session.folder);
}

void DiscardUnfinishedSession(const UnfinishedSession& session, const WorkingFiles& own)
{
    if (SameFolder(session.folder, own.WorkingDirectory())) {
        own.ClearWorkingFiles();
        RemoveUnfinishedSessionMark(session.folder);
        return;
    }
    RemovePrivateWorkingDirectory(session.folder);
}

bool OncePerInterval::Due()
{
    const uint32_t now = MonotonicTickMs();
    if (started_ && now - last_ < intervalMs_)
        return false;
    started_ = true;
    last_ = now;
    return true;
}
