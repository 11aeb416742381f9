// SPDX-License-Identifier: GPL-3.0-or-later
#include "video/export_target.h"

#include "core/deckrec_error.h"

namespace {

const char* const kIntermediateName = "tempdeckrec.avi";

} // namespace

std::string IntermediateVideoPath(const WorkingFiles& files)
{
    return files.WorkingDirectory() + kIntermediateName;
}

std::string TemporaryVideoPath(const WorkingFiles& files)
{
    return files.WorkingDirectory() + "~AWTemp" + kIntermediateName;
}

void CheckVideoTarget(const WorkingFiles& files, const std::string& target)
{
    if (files.IsWorkingFile(target, {IntermediateVideoPath(files), TemporaryVideoPath(files)}))
        throw DeckrecError("Cannot save to " + target +
                           ": Deckrec keeps the recording there. Choose another name or folder.");
}
