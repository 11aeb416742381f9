// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The styled paragraphs of a deck's slides, for the passes that lay text out as the suite does
// (the titles and speaker notes read for captions are record/deck_text.h's): as one flat ODF
// file (a .fodp, or LibreOffice's --convert-to fodp of any deck) says them, each paragraph with
// the shape it stands in and its runs, and the value a style property takes for a paragraph or
// run along the styles the suite applies to it.

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

// An ODF length ("2.5cm", "12pt", ...) in 1/100 mm, the unit of the show's coordinates.
std::optional<double> OdfLength(const QString& value);

// The shape a paragraph's box belongs to.
struct DeckShape {
    double x = 0;
    double width = 0;
    bool placed = false; // has a position and width of its own and is not rotated
    QString presentationStyle;
    QString graphicStyle;
    QString textStyle;
};

// A piece of a paragraph under one nesting of spans, without its white space.
struct DeckRun {
    std::vector<QString> spans; // text:span style names, outermost first
    QString text;
};

struct DeckParagraph {
    QString slide; // the slide's name (draw:name), as the show names its page (ooo:name)
    DeckShape shape;
    QString style;
    int listLevel = 0;
    std::vector<DeckRun> runs;

    // The paragraph's characters without any white space, as the show's page is searched by.
    QString Text() const;
};

// Adds what a page script is to do on a slide to its plan, which lists it under the slide's
// letters and digits: the show writes a slide's name as an identifier (spaces become
// underscores, ...), and those are what both spellings keep.
void AddToPagePlan(QJsonObject& plan, const QString& slideName, const QJsonObject& entry);

// The show with the page script called name, given its plan, after the script that finds the
// paragraphs a plan names (scripts/planned_paragraphs.js, put in once).
QByteArray WithPlannedParagraphScript(const QByteArray& show, const QString& name, const QJsonObject& plan);

class StyledParagraphs {
public:
    // Reads the deck's styles and every paragraph of its slides' shapes, in document order.
    // Paragraphs of tables, charts, notes, forms and master pages are left out.
    explicit StyledParagraphs(const QByteArray& flatOdf);

    const std::vector<DeckParagraph>& Paragraphs() const { return paragraphs_; }

    // A property is named by its properties element and attribute, as
    // "style:paragraph-properties/fo:text-align"; a value is empty when no style sets it.
    // The shape's: its presentation style (or the outline level's), its graphic style, the
    // graphic defaults.
    QString ShapeValue(const DeckParagraph& paragraph, const QString& property) const;
    // The paragraph's: its own style, its outline level's (the shape's presentation style),
    // the shape's text style, the shape's, the paragraph defaults.
    QString ParagraphValue(const DeckParagraph& paragraph, const QString& property) const;
    // The run's: its spans' styles from the innermost out, then the paragraph's.
    QString RunValue(const DeckParagraph& paragraph, const DeckRun& run, const QString& property) const;

    // One style as the file writes it, without what it inherits.
    struct Style {
        QString parent;
        QHash<QString, QString> properties; // by "element/attribute"
    };

private:
    // Along the shape's presentation style, at the paragraph's outline level; empty for a shape
    // without one.
    QString LevelValue(const DeckParagraph& paragraph, const QString& property) const;
    QString Chain(const QString& family, QString name, const QString& property, int outlineLevel = 0) const;

    QHash<QString, Style> styles_; // by family and name; default styles under an empty name
    std::vector<DeckParagraph> paragraphs_;
};
