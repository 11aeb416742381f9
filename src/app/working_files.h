#pragma once
// The program folder and the fixed working files beside the executable. Every path is a
// plain concatenation onto ProgramFolder(); nothing is configurable.

#include <string>

// Folder of the executable, ending in "/".
std::string ProgramFolder();

// Tests point the program folder at a folder of their own; an empty path restores the
// executable's folder.
void SetProgramFolderForTesting(const std::string& folder);

// ProgramFolder() + "temp/".
std::string WorkingDirectory();

// Creates the working directory (one level) when it is missing; failures are ignored, the
// first frame write reports them.
void EnsureWorkingDirectory();

// ProgramFolder() + "temp/temp" + n + ".bmp".
std::string FrameFilePath(int n);

// ProgramFolder() + "temp/_temp.wav": the sound of the last recording session.
std::string SoundFilePath();

// Deletes the frame files 0..10000 and the sound file; nothing else. Errors are ignored.
void ClearWorkingFiles();

// Highest frame number ClearWorkingFiles removes.
constexpr int kLastClearedFrame = 10000;
