// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a user's file so that a failure leaves the old one: the new content goes to a file
// of its own beside the target, and only a complete file is renamed over the target. Beside
// the target, because a rename within one folder replaces the old file in one step.

#include <string>

class PendingReplacement {
public:
    // Creates a new, empty file beside target under a name no other file has (an existing
    // file is never opened, whatever its name), first removing what RemovePartsOfEndedRuns
    // removes. Throws DeckrecError "Cannot create file
    // <target>" when the folder takes no new file.
    explicit PendingReplacement(const std::string& target);
    // Removes the new file unless Commit() placed it.
    ~PendingReplacement();
    PendingReplacement(const PendingReplacement&) = delete;
    PendingReplacement& operator=(const PendingReplacement&) = delete;

    // Where to write the new content.
    const std::string& path() const { return path_; }
    // Renames the written file over the target, keeping the access rights of a file that was
    // there. Throws DeckrecError when the rename fails; the target is then untouched.
    void Commit();

private:
    std::string target_;
    std::string path_;
    bool committed_ = false;
};

// Removes the part files beside target that processes now ended left of it (killed before
// they could remove their own); those of running processes stay. Errors are ignored.
void RemovePartsOfEndedRuns(const std::string& target);
