// SPDX-License-Identifier: GPL-3.0-or-later
// Browse: choose the presentation and generate the page that shows it.
#include "ui/main_window.h"

#include "ui/dialogs.h"
#include "core/deck_files.h"
#include "core/presentation_page.h"
#include "platform/presentation_preparer.h"

#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>

void TForm1::suitempButton1Click()
{
    // Besides PowerPoint's own, every deck format the presentation engine opens.
    const QString path = services_.dialogs->openFileName(
        this, QStringLiteral("PowerPoint (%1)").arg(QString::fromStdString(DeckFilePatterns())), "*.ppt");
    if (path.isEmpty())
        return;
    ChoosePresentation(path);
}

void TForm1::OpenPresentation(const QString& path)
{
    // A name from the command line may be relative, or no file at all; the dialog gives
    // neither.
    const QFileInfo file(path);
    if (!file.isFile()) {
        services_.dialogs->message(this, QString("Cannot open \"%1\": there is no such file.").arg(path),
                                   "Deckrec", DialogService::Icon::Error);
        return;
    }
    ChoosePresentation(file.absoluteFilePath());
}

void TForm1::ChoosePresentation(const QString& path)
{
    Edit1->setText(path);
    deckChosen_ = true;
    WriteGeneratedPage(services_.files, path.toLocal8Bit().toStdString());
    recordernow->setEnabled(true);
    button_narration->setEnabled(true);
    // LibreOffice's conversion starts now, while the user sets the options, rather than after
    // Record Now.
    if (services_.presentations) {
        services_.presentations->Prepare(path);
        ShowDeckWarnings(path);
    }
}

void TForm1::ShowDeckWarnings(const QString& path)
{
    const int asked = ++warningsAsked_;
    fontWarnings_.clear();
    remoteContentWarning_.clear();
    showWarnings();
    QPointer<TForm1> window(this);
    // A later Browse (or a changed option) may have asked again meanwhile.
    const auto current = [window, asked, path] {
        return window && window->warningsAsked_ == asked && window->Edit1->text() == path;
    };
    services_.presentations->CheckFonts(path, [window, current](const QStringList& lines) {
        if (!current())
            return;
        window->fontWarnings_ = lines;
        window->showWarnings();
    });
    services_.presentations->CheckRemoteContent(path, [window, current](const QString& warning) {
        if (!current())
            return;
        window->remoteContentWarning_ = warning;
        window->showWarnings();
    });
}

void TForm1::showWarnings()
{
    // One line under the upper box: the fonts first, all of it in the tooltip.
    QStringList all = fontWarnings_;
    if (!remoteContentWarning_.isEmpty())
        all << remoteContentWarning_ + QStringLiteral(" (Options... > Allow remote content fetches them)");
    if (all.isEmpty()) {
        fontsLabel->clear();
        fontsLabel->setToolTip(QString());
        return;
    }
    if (fontWarnings_.size() > 1)
        fontsLabel->setText(QStringLiteral("Warning: %1 fonts of the deck are missing (%2)")
                                .arg(fontWarnings_.size())
                                .arg(fontWarnings_.first()));
    else
        fontsLabel->setText(QStringLiteral("Warning: ") + all.first());
    fontsLabel->setToolTip(all.join(QLatin1Char('\n')));
}
