// SPDX-License-Identifier: GPL-3.0-or-later
// "Narration...": the chosen deck's slides with their notes, for recording a take per slide.
#include "ui/main_window.h"

#include "platform/presentation_preparer.h"
#include "record/deck_note_languages.h"
#include "ui/dialogs.h"
#include "ui/narration_dialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

void TForm1::buildNarrationButton(QWidget* page)
{
    // Between the Record Format list and Audio On, where the row has room for a small button.
    button_narration = new QPushButton("Narration...", page);
    button_narration->setObjectName("button_narration");
    QFont small = button_narration->font();
    small.setPixelSize(11);
    button_narration->setFont(small);
    button_narration->setGeometry(248, 230, 68, 21);
    button_narration->setEnabled(false); // until a deck is chosen
    button_narration->setToolTip("Record the narration slide by slide, or have the notes spoken");
    dialog_narration = new NarrationDialog(this, *services_.soundInput, services_.soundOutput);
    connect(dialog_narration, &NarrationDialog::Failed, this, [this](const QString& message) {
        services_.dialogs->message(dialog_narration, message, "Narration", DialogService::Icon::Error);
    });
    connect(button_narration, &QPushButton::clicked, this, &TForm1::OpenNarration);
}

void TForm1::OpenNarration()
{
    if (!deckChosen_ || !services_.presentations)
        return;
    // The slides' titles and notes come from the deck's flat XML, which LibreOffice makes once.
    button_narration->setEnabled(false);
    QPointer<TForm1> self(this);
    const QString deck = Edit1->text();
    const QString input = sounddevice->currentData(Qt::UserRole).toString();
    services_.presentations->ConvertToFlat(deck, [self, deck, input](const QString& flat) {
        if (!self)
            return;
        self->button_narration->setEnabled(true);
        if (self->Edit1->text() != deck)
            return;
        const DeckText text = flat.isEmpty() ? DeckText{} : ReadFlatDeckTextFile(flat.toStdString());
        if (text.titles.empty()) {
            self->services_.dialogs->message(self, "The slides of " + deck + " could not be read.", "Narration",
                                             DialogService::Icon::Error);
            return;
        }
        self->dialog_narration->ShowDeck(deck.toStdString(), text, input.toStdString());
        self->dialog_narration->ShowNoteLanguages(ReadFlatDeckNoteLanguagesFile(flat.toStdString()));
        self->dialog_narration->open();
        // The slides' pictures follow once LibreOffice has printed the deck.
        self->services_.presentations->ConvertToPdf(deck, [self, deck](const QString& pdf) {
            if (self && !pdf.isEmpty() && self->Edit1->text() == deck)
                self->dialog_narration->ShowSlidePictures(pdf);
        });
    });
}
