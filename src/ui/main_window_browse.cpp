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
    WriteGeneratedPage(services_.files, path.toLocal8Bit().toStdString());
    recordernow->setEnabled(true);
    // LibreOffice's conversion starts now, while the user sets the options, rather than after
    // Record Now.
    if (services_.presentations) {
        services_.presentations->Prepare(path);
        ShowMissingFonts(path);
    }
}

void TForm1::ShowMissingFonts(const QString& path)
{
    fontsLabel->clear();
    fontsLabel->setToolTip(QString());
    QPointer<TForm1> window(this);
    services_.presentations->CheckFonts(path, [window, path](const QStringList& lines) {
        // A later Browse may have chosen another deck meanwhile.
        if (!window || window->Edit1->text() != path || lines.isEmpty())
            return;
        window->fontsLabel->setText(lines.size() == 1 ? QStringLiteral("Warning: ") + lines.first()
                                                      : QStringLiteral("Warning: %1 fonts of the deck are missing (%2)")
                                                            .arg(lines.size())
                                                            .arg(lines.first()));
        window->fontsLabel->setToolTip(lines.join(QLatin1Char('\n')));
    });
}
