// SPDX-License-Identifier: MIT
// Reads the rich text that word processors write for plain documents into a QTextDocument.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

#include <optional>

class QTextDocument;

namespace zan {

struct RtfResult {
    bool ok = false;
    QString error; // why, when not ok
    // The page colour, when the document sets one of its own (the fill colour
    // of its background shape); the view then uses it in place of its own.
    std::optional<QColor> pageBackground;
};

// Groups nested deeper than this are refused rather than followed: word
// processors stay far below it, and the limit keeps hostile input cheap.
inline constexpr int kRtfMaxGroupDepth = 200;

// Replaces the document's content with the RTF text: paragraphs, bold, italic,
// underline, strike-through, All Caps and Small Caps, superscript and
// subscript, font sizes and families, text and highlight colours, alignment
// and indents, cells of tables and nested tables, \uN escapes (their fallback
// skipped), \'hh escapes in the document's or the font's code page, and the
// characters of the Symbol, Wingdings and Zapf Dingbats fonts as the Unicode
// characters they look like, and of \upr pairs the Unicode text. Hidden text
// is left out, and so is text deleted under tracked changes: the document
// reads as it will once the changes are accepted. The text in a shape's text
// box is shown where the shape is anchored. Footnotes and endnotes follow the
// text, numbered, below a short rule. Tables of fonts, colours and styles,
// pictures, shapes' properties, headers, footers, document information and
// every other ignorable destination are read or skipped, never shown as text.
// On failure the document is left empty.
RtfResult readRtf(const QByteArray &rtf, QTextDocument &document);

// Reads an RTF file (a regular file of at most maxBytes) into the document.
RtfResult readRtfFile(const QString &path, QTextDocument &document,
                      qint64 maxBytes = qint64(16) << 20);

} // namespace zan
