// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom lists of the Save AVI and Save GIF pages follow the shape of the last recording.
#include "ui/main_window.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <exception>

namespace {

// Captions of every item, the selection kept; a list still without its last item gets it.
void ShowSizes(QComboBox* list, ZoomSize recorded, OriginalSides sides)
{
    if (!list)
        return;
    for (int index = 0; index < kZoomItemCount; ++index) {
        const QString caption = QString::fromStdString(ZoomCaption(index, recorded, sides));
        if (index < list->count())
            list->setItemText(index, caption);
        else
            list->addItem(caption);
    }
    // The popup shows whole captions even where the box itself is narrow.
    list->view()->setMinimumWidth(list->view()->sizeHintForColumn(0) + 8);
}

} // namespace

void TForm1::ShowRecordingShape()
{
    try {
        RecordedSize = RecordingSize(services_.files, FrameCount);
    } catch (const std::exception&) {
        // An unreadable first frame fails the export that reads it, with its own message.
        RecordedSize = kUnknownRecording;
    }
    ShowSizes(suiComboBox1, RecordedSize, OriginalSides::Even);
    ShowSizes(suiComboBox2, RecordedSize, OriginalSides::AsRecorded);
}
