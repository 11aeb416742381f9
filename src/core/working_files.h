// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program folder (data files beside the executable) and the working directory that holds
// the recording: one frame file per stored slot and the sound file. A running program hands
// one WorkingFiles value to everything that reads or writes them, so that a test or a second
// front end can keep its recording in a folder of its own.

#include <string>
#include <vector>

// Highest frame number ClearWorkingFiles removes.
constexpr int kLastClearedFrame = 10000;

// Folder of the running executable, ending in "/".
std::string ExecutableFolder();

class WorkingFiles {
public:
    // Both folders are used as given, with a "/" added when missing.
    WorkingFiles(const std::string& programFolder, const std::string& workingDirectory);
    // The program folder with its working directory "temp/" inside it, as the windows keep it.
    static WorkingFiles InProgramFolder(const std::string& programFolder);

    // Data files: the page template, the generated page, the sound format templates.
    const std::string& ProgramFolder() const { return programFolder_; }
    const std::string& WorkingDirectory() const { return workingDirectory_; }

    // Creates the working directory (one level) when it is missing; failures are ignored, the
    // first frame write reports them.
    void EnsureWorkingDirectory() const;

    // WorkingDirectory() + "temp" + n + ".bmp".
    std::string FrameFilePath(int n) const;
    // WorkingDirectory() + "_temp.wav": the sound of the last recording session.
    std::string SoundFilePath() const;

    // Deletes the frame files 0..10000 (and what a cut-off frame write left of them) and the
    // sound file; nothing else. Errors are ignored.
    void ClearWorkingFiles() const;

    // True when path names a frame file, the sound file or one of alsoTheirs (an exporter's
    // own intermediate files), also through links or "..": a file an export must not write,
    // since the recording or the export itself would be lost with it.
    bool IsWorkingFile(const std::string& path, const std::vector<std::string>& alsoTheirs = {}) const;

private:
    std::string programFolder_;
    std::string workingDirectory_;
};
