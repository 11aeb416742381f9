#include "gif/gif_save.h"

#include "core/file_replacement.h"

void SaveGifFile(TGIFImage& animation, const std::string& path, const GifSaveHooks& hooks)
{
    auto checkCancel = [&] {
        if (hooks.cancelled && hooks.cancelled())
            throw GifCancelled();
    };
    checkCancel();
    PendingReplacement output(path);
    {
        GifFileStream file(output.path());
        animation.SaveToStream(file, [&](int written, int count) {
            if (hooks.progress)
                hooks.progress(written, count);
            checkCancel();
        });
        file.Close();
    }
    output.Commit();
}
