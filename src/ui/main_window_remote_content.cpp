// SPDX-License-Identifier: GPL-3.0-or-later
// The Open PPT page's "Options..." dialog and what it holds: whether a deck may reach the
// network. The page has no room left for another check box.
#include "ui/main_window.h"
#include "ui/page_layout.h"

#include "platform/presentation_preparer.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The free right end of the upper box's first row, right of Custom Record's caption (which
// ends near 320); the box's frame is at 401.
constexpr int kOptionsLeft = 323;
constexpr int kOptionsRight = 398;

} // namespace

void TForm1::buildOptionsDialog(QWidget* page)
{
    button_options =
        Put(page, new QPushButton("Options..."), "button_options", kOptionsLeft, 14, kOptionsRight - kOptionsLeft, 23);
    // The page's small print, so that the caption fits where the row has room.
    QFont small = button_options->font();
    small.setPixelSize(11);
    button_options->setFont(small);
    button_options->setToolTip("Options of the conversion: whether a deck may fetch what it links on the network");

    dialog_options = new QDialog(this);
    dialog_options->setObjectName("dialog_options");
    dialog_options->setWindowTitle("Options");
    checkbox_remotecontent = new QCheckBox("Allow remote content", dialog_options);
    checkbox_remotecontent->setObjectName("checkbox_remotecontent");
    checkbox_remotecontent->setToolTip(
        "Lets LibreOffice and the show fetch the pictures a deck links on the network. Off: nothing is "
        "fetched, such a picture is drawn as a missing link and the page names it.");
    auto* note = new QLabel("A deck's pictures on the network are fetched while it is converted and shown: "
                            "whoever serves them learns that the deck was opened.",
                            dialog_options);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog_options);
    auto* layout = new QVBoxLayout(dialog_options);
    layout->addWidget(checkbox_remotecontent);
    layout->addWidget(note);
    layout->addWidget(buttons);
    dialog_options->resize(320, dialog_options->sizeHint().height());

    connect(buttons, &QDialogButtonBox::rejected, dialog_options, &QDialog::reject);
    connect(button_options, &QPushButton::clicked, dialog_options, &QDialog::open);
    connect(checkbox_remotecontent, &QCheckBox::toggled, this, &TForm1::remoteContentToggled);
}

void TForm1::remoteContentToggled(bool allowed)
{
    if (!services_.presentations)
        return;
    services_.presentations->AllowRemoteContent(allowed);
    // The chosen deck is converted again as it will now be shown, and its warnings follow.
    const QString path = Edit1->text();
    if (!deckChosen_)
        return;
    services_.presentations->Prepare(path);
    ShowDeckWarnings(path);
}
