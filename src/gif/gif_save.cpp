// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/gif_save.h"

#include "core/file_replacement.h"

void SaveGifFile(TGIFImage& animation, const std::string& path, const Progress& progress)
{
    auto checkCancel = [&] {
        if (progress.Cancelled())
            throw GifCancelled();
    };
    checkCancel();
    PendingReplacement output(path);
    {
        GifFileStream file(output.path());
        animation.SaveToStream(file, [&](int written, int count) {
            progress.Report(written, count);
            progress.Idle();
            checkCancel();
        });
        file.Close();
    }
    output.Commit();
}
