// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A window's working directory while a session records into it holds a small mark naming the
// recording process and the last slot it reached. The frames of a session that never ended (a
// crash, a power cut, a kill) are whole files, but without the mark the next start could not
// tell them from those of a finished session and would sweep them away with the folder; with
// it, the next start offers them back.

#include "core/working_files.h"

#include <cstdint>
#include <optional>
#include <string>

// The mark's file name in the working directory.
extern const char* const kUnfinishedSessionMarkName;

// Writes (or brings up to date) the mark for slot frameCount of a session this process is
// recording: written under a name of its own and renamed, so that a reader never sees half of
// it. Returns false when it cannot be written; the frame store reports a full disk itself.
bool WriteUnfinishedSessionMark(const std::string& workingDirectory, int frameCount);
// The session ended, kept or not: its frames are no longer unfinished. Errors are ignored.
void RemoveUnfinishedSessionMark(const std::string& workingDirectory);

struct UnfinishedSession {
    std::string folder; // the working directory, ending in "/"
    // The last slot known: the mark's count or the last frame file, whichever is later (the
    // mark is brought up to date about once a second, the frames more often).
    int frameCount = 0;
};

// The session a process that has ended left unfinished in workingDirectory: a mark whose
// owner is gone and at least one frame file. Nothing while the owner still runs (a window
// recording now), without a mark, or without frames.
std::optional<UnfinishedSession> FindUnfinishedSession(const std::string& workingDirectory);

// Makes the session the recording of `into`: its frames are moved there (what `into` held is
// cleared first) and the folder it was left in is removed; when it was left in `into` itself,
// only the mark goes. Throws DeckrecError naming the frame that could not be moved.
void AdoptUnfinishedSession(const UnfinishedSession& session, const WorkingFiles& into);
// Deletes what the session left: its folder, or, when it was left in `own` itself, its
// frames and the mark. Errors are ignored.
void DiscardUnfinishedSession(const UnfinishedSession& session, const WorkingFiles& own);

// Calls due() at most about once a second: true on the first call of a session and then once
// at least intervalMs have passed since the last true.
class OncePerInterval {
public:
    explicit OncePerInterval(uint32_t intervalMs = 1000) : intervalMs_(intervalMs) {}
    bool Due();
    // A new session: the next Due() is true.
    void Reset() { started_ = false; }

private:
    uint32_t intervalMs_;
    bool started_ = false;
    uint32_t last_ = 0;
};
