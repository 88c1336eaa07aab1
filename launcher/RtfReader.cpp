// SPDX-License-Identifier: MIT
#include "RtfReader.h"

#include "Files.h"

#include <QFont>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <memory>
#include <vector>

namespace zan {
namespace {

// Where the text of the current group goes.
enum class Destination {
    Text,       // the document body
    Skip,       // read for its braces only
    FontTable,  // \fonttbl: font numbers, names and character sets
    ColorTable, // \colortbl: \red \green \blue entries ended by ';'
    Background, // \*\background: only the fill colour of its shape is of use
    ShapeName,  // \sn inside the background
    ShapeValue, // \sv inside the background
    NestedRow,  // \*\nesttableprops: a nested table's row, ended by \nestrow
    Shape,      // \shp: nothing shown but the text of its text box, \shptxt
    AnsiPair,   // \upr: the ANSI text is not shown, its \*\ud Unicode twin is
};

struct CharState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 24; // 12 pt unless the document says otherwise
    int font = -1;       // font table number; -1 until the document names one
    int foreground = 0;  // colour table index; 0 is the automatic colour
    int background = 0;
    bool caps = false;      // \caps: shown in capitals, whatever was typed
    bool smallCaps = false; // \scaps
    bool hidden = false;    // \v: drafters' notes and the like, not shown
    bool deleted = false;   // \deleted: a tracked deletion, gone from the final text
    QTextCharFormat::VerticalAlignment vertical = QTextCharFormat::AlignNormal;

    bool concealed() const { return hidden || deleted; }
};

struct ParaState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstLineTwips = 0;
    int beforeTwips = 0;
    int afterTwips = 0;
    std::vector<int> tabStops; // \txN, in twips
};

struct GroupState {
    Destination destination = Destination::Text;
    CharState chars;
    ParaState para;
    int unicodeFallback = 1;   // \ucN: how many characters stand in for each \uN
    bool ignorable = false;    // \* seen; decided by the next control word
    bool opensNote = false;    // this group is a footnote or endnote
    bool opensTextBox = false; // this group is a shape's \shptxt
};

// Fonts that draw their own pictures in place of letters: a document stores
// the byte typed, and the font decides what it looks like.
enum class SymbolFont : quint8 { None, Symbol, Wingdings, Dingbats };

struct Font {
    QString name;
    int codePage = 0; // 0: the document's code page
    SymbolFont symbols = SymbolFont::None;
};

// A control word's numeric parameter.
struct Param {
    bool given = false;
    int value = 0;

    // Toggles (\b, \b0) are on unless their parameter is 0.
    bool on() const { return !given || value != 0; }
    // Lengths beyond 22 inches are no page's; clamping them keeps the
    // arithmetic on indents and tab stops far from overflow.
    int twips() const { return std::clamp(value, -31680, 31680); }
};

// Control words that stand for a character of the text.
const struct {
    const char *word;
    const char16_t *text;
} symbolWords[] = {
    {"line", u"\u2028"},    {"tab", u"\t"},           {"cell", u"\t"},
    {"emdash", u"\u2014"},  {"endash", u"\u2013"},    {"lquote", u"\u2018"},
    {"rquote", u"\u2019"},  {"ldblquote", u"\u201C"}, {"rdblquote", u"\u201D"},
    {"bullet", u"\u2022"},  {"emspace", u"\u2003"},   {"enspace", u"\u2002"},
    {"qmspace", u"\u2005"}, {"nestcell", u"\t"},
};

// Control words that end a paragraph: the view has no pages, sections or
// table rows, so each of them starts a new line of text.
const char breakWords[] = "par sect page row nestrow";

// The underline styles word processors offer; the view draws each of them
// as a plain underline.
const char underlineWords[] = "ul uld uldash uldashd uldashdd uldb ulth ulthd ulthdash "
                              "ulthdashd ulthdashdd ulldash ulthldash ulw ulwave ulhwave "
                              "ululdbwave";

void addTabStop(GroupState &group, Param param)
{
    if (group.para.tabStops.size() < 64)
        group.para.tabStops.push_back(param.twips());
}

// Character and paragraph properties that the view shows: what each control
// word sets in the state of its group.
const struct {
    const char *word;
    void (*set)(GroupState &, Param);
} formatWords[] = {
    {"plain", [](GroupState &g, Param) { g.chars = CharState(); }},
    {"pard", [](GroupState &g, Param) { g.para = ParaState(); }},
    {"b", [](GroupState &g, Param p) { g.chars.bold = p.on(); }},
    {"i", [](GroupState &g, Param p) { g.chars.italic = p.on(); }},
    {"ulnone", [](GroupState &g, Param) { g.chars.underline = false; }},
    {"strike", [](GroupState &g, Param p) { g.chars.strike = p.on(); }},
    {"striked", [](GroupState &g, Param p) { g.chars.strike = p.on(); }},
    {"fs",
     [](GroupState &g, Param p) {
         if (p.given && p.value > 0)
             g.chars.halfPoints = std::min(p.value, 3276);
     }},
    {"f", [](GroupState &g, Param p) { g.chars.font = p.value; }},
    {"cf", [](GroupState &g, Param p) { g.chars.foreground = p.value; }},
    {"cb", [](GroupState &g, Param p) { g.chars.background = p.value; }},
    {"highlight", [](GroupState &g, Param p) { g.chars.background = p.value; }},
    {"chcbpat", [](GroupState &g, Param p) { g.chars.background = p.value; }},
    {"ql", [](GroupState &g, Param) { g.para.alignment = Qt::AlignLeft; }},
    {"qr", [](GroupState &g, Param) { g.para.alignment = Qt::AlignRight; }},
    {"qc", [](GroupState &g, Param) { g.para.alignment = Qt::AlignHCenter; }},
    {"qj", [](GroupState &g, Param) { g.para.alignment = Qt::AlignJustify; }},
    {"li", [](GroupState &g, Param p) { g.para.leftTwips = p.twips(); }},
    {"ri", [](GroupState &g, Param p) { g.para.rightTwips = p.twips(); }},
    {"fi", [](GroupState &g, Param p) { g.para.firstLineTwips = p.twips(); }},
    {"sb", [](GroupState &g, Param p) { g.para.beforeTwips = p.twips(); }},
    {"sa", [](GroupState &g, Param p) { g.para.afterTwips = p.twips(); }},
    {"tx", addTabStop},
    {"tb", addTabStop},
    {"caps", [](GroupState &g, Param p) { g.chars.caps = p.on(); }},
    {"scaps", [](GroupState &g, Param p) { g.chars.smallCaps = p.on(); }},
    {"v", [](GroupState &g, Param p) { g.chars.hidden = p.on(); }},
    // Tracked changes are shown as they read once accepted: insertions
    // (\revised) as ordinary text, deletions not at all.
    {"deleted", [](GroupState &g, Param p) { g.chars.deleted = p.on(); }},
    {"super",
     [](GroupState &g, Param p) {
         g.chars.vertical =
             p.on() ? QTextCharFormat::AlignSuperScript : QTextCharFormat::AlignNormal;
     }},
    {"sub",
     [](GroupState &g, Param p) {
         g.chars.vertical = p.on() ? QTextCharFormat::AlignSubScript : QTextCharFormat::AlignNormal;
     }},
    {"nosupersub", [](GroupState &g, Param) { g.chars.vertical = QTextCharFormat::AlignNormal; }},
};

// Destinations whose content is never text, separated by spaces. (A
// \nonesttables group holds what readers without nested tables show in
// their place.)
const char skippedDestinations[] =
    "stylesheet info pict header headerl headerr headerf footer footerl footerr footerf "
    "annotation atnid atnauthor fldinst object objdata xe tc txe rxe bkmkstart "
    "bkmkend listtable listoverridetable revtbl rsidtbl generator themedata "
    "colorschememapping latentstyles datastore xmlnstbl pgdsctbl filetbl nonshppict "
    "template userprops docvar ftnsep ftnsepc ftncn aftnsep aftnsepc aftncn do private "
    "macpict wmetafile pn nonesttables";

// Calls f with each word of a list separated by single spaces.
template <typename F> void forEachWord(QByteArrayView words, F f)
{
    while (!words.isEmpty()) {
        const qsizetype space = words.indexOf(' ');
        const qsizetype length = space < 0 ? words.size() : space;
        f(words.first(length));
        words = words.sliced(std::min(length + 1, words.size()));
    }
}

class Parser;

// What a control word of the document body does, found by its name in one
// lookup (the tables above and the parser's own words, merged).
struct BodyWord {
    enum Kind { Symbol, Break, Format, Skip, Document } kind = Skip;
    const char16_t *text = nullptr;                // Symbol
    void (*format)(GroupState &, Param) = nullptr; // Format
    void (*document)(Parser &, Param) = nullptr;   // Document
};

int codePageForCharset(int charset)
{
    switch (charset) {
    case 77:
        return 10000;
    case 78:
        return 10001; // Mac Japanese, as older Mac text editors write it
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0; // ANSI, default and symbol fonts follow the document
    }
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Windows-1252 is the default and by far the most common code page, so it is
// decoded here without depending on the converters Qt was built with.
QChar windows1252(uchar byte)
{
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? QChar(high[byte - 0x80]) : QChar(byte);
}

QString decodeWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.append(windows1252(uchar(c)));
    return text;
}

// What the characters of the symbol fonts look like, as Unicode characters
// that ordinary fonts draw: runs of consecutive bytes from a first one. The
// usual default list bullet is Symbol's byte B7 (or \u-3913, the same byte in
// the private-use area); the other bullets of word processors' lists come
// from Wingdings (A7, D8, FC, 76) and, on the Mac, from Zapf Dingbats.
struct GlyphRun {
    uchar first;
    const char16_t *characters;
};

// The Greek letters, bullets and common mathematical signs of Symbol. Its
// digits and most of its punctuation are those of ASCII.
const GlyphRun symbolGlyphs[] = {
    {0x22, u"∀"},
    {0x24, u"∃"},
    {0x27, u"∋"},
    {0x2A, u"∗"},
    {0x2D, u"−"},
    {0x40, u"≅ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ"},
    {0x5C, u"∴"},
    {0x5E, u"⊥"},
    {0x61, u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ"},
    {0x7E, u"∼"},
    {0xA0, u"€ϒ′≤⁄∞ƒ♣♦♥♠↔←↑→↓°±″≥×∝∂•÷≠≡≈…"},
    {0xBF, u"↵ℵℑℜ℘⊗⊕∅∩∪⊃⊇⊄⊂⊆∈∉∠∇®©™∏√⋅¬∧∨⇔⇐⇑⇒⇓◊⟨®©™∑"},
    {0xF1, u"⟩∫"},
};

// The bullet-like characters of Wingdings.
const GlyphRun wingdingsGlyphs[] = {
    {0x6C, u"●"},  {0x6E, u"■□"}, {0x71, u"❑"},    {0x75, u"◆❖"},
    {0xA7, u"▪◻"}, {0xD8, u"➢"},  {0xFB, u"✗✓☒☑"},
};

// The bullet-like characters of Zapf Dingbats.
const GlyphRun dingbatsGlyphs[] = {
    {0x33, u"✓✔✕✖✗✘"}, {0x48, u"★"}, {0x6C, u"●❍■❏❐❑❒▲▼◆❖◗"}, {0xA8, u"♣♦♥♠"}, {0xD4, u"➔→↔↕"},
};

// The character a byte stands for in a symbol font. Bytes the tables do not
// name keep their Windows-1252 character, which is what a reader without
// the font would show.
QChar symbolCharacter(SymbolFont font, uchar byte)
{
    using Map = std::array<char16_t, 256>;
    static const std::array<Map, 3> maps = [] {
        std::array<Map, 3> all{};
        const auto fill = [](Map &map, const auto &runs) {
            for (const GlyphRun &run : runs) {
                for (size_t i = 0; run.characters[i] != 0 && run.first + i < map.size(); ++i)
                    map[run.first + i] = run.characters[i];
            }
        };
        fill(all[0], symbolGlyphs);
        fill(all[1], wingdingsGlyphs);
        fill(all[2], dingbatsGlyphs);
        return all;
    }();
    const char16_t mapped = maps[size_t(font) - 1][byte];
    return mapped != 0 ? QChar(mapped) : windows1252(byte);
}

// Fonts are recognised by name, as word processors do: the character set
// written beside them (\fcharset2, or none at all) varies between writers.
SymbolFont symbolFontNamed(const QString &name)
{
    const QString key = QString(name).remove(QLatin1Char(' ')).toLower();
    if (key == QLatin1String("symbol"))
        return SymbolFont::Symbol;
    if (key == QLatin1String("wingdings"))
        return SymbolFont::Wingdings;
    if (key == QLatin1String("zapfdingbats") || key == QLatin1String("itczapfdingbats") ||
        key == QLatin1String("zapfdingbatsitc") || key == QLatin1String("dingbats"))
        return SymbolFont::Dingbats;
    return SymbolFont::None;
}

QList<QByteArray> converterNames(int codePage)
{
    switch (codePage) {
    case 932:
        return {"windows-31j", "Shift_JIS"};
    case 936:
        return {"GBK", "windows-936"};
    case 949:
        return {"windows-949", "EUC-KR"};
    case 950:
        return {"Big5", "windows-950"};
    case 1361:
        return {"johab", "windows-1361"};
    case 437:
        return {"IBM437", "cp437"};
    case 850:
        return {"IBM850", "cp850"};
    case 10000:
        return {"macintosh", "x-mac-roman"};
    case 10001:
        // Mac Japanese is Shift_JIS with a few single-byte signs of its own.
        return {"Shift_JIS", "windows-31j"};
    case 65001:
        return {"UTF-8"};
    default:
        return {"windows-" + QByteArray::number(codePage), "cp" + QByteArray::number(codePage)};
    }
}

class Parser {
public:
    Parser(const QByteArray &input, QTextDocument &document) : in(input), body(&document) {}

    RtfResult run();

private:
    // Input
    const QByteArray &in;
    qsizetype pos = 0;

    // Output
    QTextCursor body;
    QTextCursor *cursor = &body; // the body, or the notes while a note is read
    QByteArray pendingBytes;     // text bytes in the current code page, not yet decoded
    QString pendingText;         // decoded text in the current format, not yet inserted
    std::optional<QColor> pageBackground;

    // State
    std::vector<GroupState> stack; // the enclosing groups
    GroupState group;
    int skipFallback = 0; // characters of a \uN fallback still to skip
    int documentCodePage = 1252;
    int defaultFont = -1;
    int defaultTabTwips = 720; // half an inch unless \deftab says otherwise
    std::map<int, Font> fonts;
    std::map<int, QStringDecoder> decoders;
    std::vector<QColor> colours; // invalid: the automatic colour

    // Table reading
    int tableFont = -1;
    QByteArray tableFontName;
    int red = 0, green = 0, blue = 0;
    bool colourSet = false;
    QByteArray shapeName;
    QByteArray shapeValue;

    // Footnotes and endnotes, gathered here and shown after the text.
    std::unique_ptr<QTextDocument> notes;
    QTextCursor notesCursor;
    int notesNumbered = 0; // numbers given to reference marks so far
    int markedNote = 0;    // the number of the last mark in the text, not yet taken by its note
    int noteNumber = 0;    // the number of the note being read, 0 before its mark
    bool inNote = false;

    bool atEnd() const { return pos >= in.size(); }
    char peek() const { return in.at(pos); }

    void pushGroup();
    void popGroup();
    void controlWord(QByteArrayView word, Param param);
    void fontTableWord(QByteArrayView word, Param param);
    void colourTableWord(QByteArrayView word, Param param);
    void backgroundWord(QByteArrayView word);
    void shapeWord(QByteArrayView word);
    bool inBackground() const;
    void startNote();
    void noteMark();
    void appendNotes();
    static const QHash<QByteArrayView, BodyWord> &bodyWords();
    void unicodeCharacter(Param param);
    void controlSymbol(char symbol);
    void textByte(char byte);
    bool takeFallback();
    void setDestination(Destination destination);

    const Font *currentFont() const;
    QString decode(const QByteArray &bytes);
    void decodePending();
    void flush();
    void paragraph();
    void appendText(QStringView text);
    QTextCharFormat charFormat() const;
    QTextBlockFormat blockFormat() const;
    void finishFontEntry();
};

RtfResult Parser::run()
{
    RtfResult result;
    qsizetype start = 0;
    while (start < in.size() && QChar::isSpace(uchar(in.at(start))))
        ++start;
    if (!in.mid(start, 5).startsWith("{\\rtf")) {
        result.error = QStringLiteral("not an RTF document");
        return result;
    }
    pos = start;
    bool started = false;
    while (!atEnd()) {
        const char c = in.at(pos++);
        if (c == '{') {
            if (int(stack.size()) >= kRtfMaxGroupDepth) {
                result.error =
                    QStringLiteral("groups nested deeper than %1").arg(kRtfMaxGroupDepth);
                return result;
            }
            skipFallback = 0;
            if (started)
                pushGroup();
            started = true;
        } else if (c == '}') {
            skipFallback = 0;
            if (stack.empty()) {
                // The document's own group has closed; whatever follows (often
                // a NUL or a line break) is not part of it.
                flush();
                appendNotes();
                QTextDocument *document = body.document();
                QTextOption option = document->defaultTextOption();
                option.setTabStopDistance(defaultTabTwips / 15.0);
                document->setDefaultTextOption(option);
                result.ok = true;
                result.pageBackground = pageBackground;
                return result;
            }
            popGroup();
        } else if (c == '\\') {
            if (atEnd())
                break;
            const char next = peek();
            if (isAsciiLetter(next)) {
                const qsizetype wordStart = pos;
                while (!atEnd() && isAsciiLetter(peek()))
                    ++pos;
                const QByteArrayView word(in.constData() + wordStart, pos - wordStart);
                bool negative = false;
                if (!atEnd() && peek() == '-' && pos + 1 < in.size() && in.at(pos + 1) >= '0' &&
                    in.at(pos + 1) <= '9') {
                    negative = true;
                    ++pos;
                }
                bool hasParam = false;
                qint64 value = 0;
                while (!atEnd() && peek() >= '0' && peek() <= '9') {
                    hasParam = true;
                    // Saturate instead of overflowing; the digits are still consumed.
                    if (value < 10'000'000'000)
                        value = value * 10 + (peek() - '0');
                    ++pos;
                }
                if (!atEnd() && peek() == ' ')
                    ++pos; // the delimiter belongs to the control word
                if (negative)
                    value = -value;
                value = std::clamp<qint64>(value, INT_MIN, INT_MAX);
                if (word == "bin") {
                    // Raw bytes follow; they may hold braces and backslashes.
                    const qsizetype length = hasParam && value > 0 ? qsizetype(value) : 0;
                    pos += std::min(length, in.size() - pos);
                    continue;
                }
                if (!started)
                    continue;
                controlWord(word, Param{hasParam, int(value)});
            } else {
                ++pos;
                if (started)
                    controlSymbol(next);
            }
        } else if (started) {
            textByte(c);
        }
    }
    result.error = QStringLiteral("the document ends inside an open group");
    return result;
}

void Parser::pushGroup()
{
    flush();
    stack.push_back(group);
    group.ignorable = false;
    group.opensNote = false;
    group.opensTextBox = false;
}

void Parser::popGroup()
{
    flush();
    const Destination closing = group.destination;
    if (closing == Destination::FontTable)
        finishFontEntry();
    if (group.opensNote) {
        cursor = &body;
        inNote = false;
        noteNumber = 0;
    }
    // The text after a text box goes on in a paragraph of its own.
    if (group.opensTextBox && cursor->block().length() > 1)
        paragraph();
    group = stack.back();
    stack.pop_back();
    if (closing == Destination::ShapeValue && group.destination != Destination::ShapeValue &&
        shapeName.trimmed() == "fillColor") {
        bool ok = false;
        const qint64 bgr = shapeValue.trimmed().toLongLong(&ok);
        if (ok && bgr >= 0 && bgr <= 0xFFFFFF)
            pageBackground =
                QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    }
}

// A \uN is followed by \ucN characters for readers without Unicode; each text
// byte, \'hh escape or control word counts as one of them.
bool Parser::takeFallback()
{
    if (skipFallback <= 0)
        return false;
    --skipFallback;
    return true;
}

void Parser::setDestination(Destination destination)
{
    flush();
    group.destination = destination;
    group.ignorable = false;
}

void Parser::controlSymbol(char symbol)
{
    if (symbol == '\'') {
        // \'hh: one byte in the code page, written as two hex digits.
        int value = 0;
        int digits = 0;
        while (digits < 2 && !atEnd()) {
            const int digit = hexDigit(peek());
            if (digit < 0)
                break;
            value = value * 16 + digit;
            ++pos;
            ++digits;
        }
        if (takeFallback() || digits == 0)
            return;
        textByte(char(value));
        return;
    }
    if (symbol == '*') {
        group.ignorable = true;
        return;
    }
    if (group.ignorable) {
        // An ignorable destination that starts with anything but a control
        // word is skipped as well.
        setDestination(Destination::Skip);
        return;
    }
    if (takeFallback())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        textByte(symbol);
        break;
    case '\r':
    case '\n':
        if (group.destination == Destination::Text)
            paragraph();
        break;
    case '~':
        if (group.destination == Destination::Text)
            appendText(u"\u00A0");
        break;
    case '-':
        if (group.destination == Destination::Text)
            appendText(u"\u00AD");
        break;
    case '_':
        if (group.destination == Destination::Text)
            appendText(u"\u2011");
        break;
    case '\t':
        if (group.destination == Destination::Text)
            appendText(u"\t");
        break;
    default:
        break; // \: \| and the like mark index entries and formulas
    }
}

void Parser::textByte(char byte)
{
    if (byte == '\r' || byte == '\n')
        return; // line breaks in the file are not text
    if (group.ignorable) {
        setDestination(Destination::Skip);
        return;
    }
    if (takeFallback())
        return;
    switch (group.destination) {
    case Destination::Text:
        if ((uchar(byte) < 0x20 && byte != '\t') || group.chars.concealed())
            return;
        pendingBytes.append(byte);
        break;
    case Destination::FontTable:
        if (byte == ';')
            finishFontEntry();
        else
            tableFontName.append(byte);
        break;
    case Destination::ColorTable:
        if (byte == ';') {
            colours.push_back(colourSet ? QColor(red, green, blue) : QColor());
            red = green = blue = 0;
            colourSet = false;
        }
        break;
    case Destination::ShapeName:
        if (shapeName.size() < 64)
            shapeName.append(byte);
        break;
    case Destination::ShapeValue:
        if (shapeValue.size() < 64)
            shapeValue.append(byte);
        break;
    case Destination::Skip:
    case Destination::Background:
    case Destination::NestedRow:
    case Destination::Shape:
    case Destination::AnsiPair:
        break;
    }
}

void Parser::finishFontEntry()
{
    if (tableFont >= 0) {
        Font &font = fonts[tableFont];
        const QString name = decodeWindows1252(tableFontName).trimmed();
        if (!name.isEmpty()) {
            font.name = name;
            font.symbols = symbolFontNamed(name);
        }
    }
    tableFont = -1;
    tableFontName.clear();
}

void Parser::controlWord(QByteArrayView word, Param param)
{
    if (group.ignorable) {
        // A destination marked ignorable is skipped unless this reader
        // knows it; inside the background and other shapes the shape's own
        // \*\shpinst is read.
        const bool known =
            (group.destination == Destination::Text &&
             (word == "background" || word == "footnote" || word == "nesttableprops")) ||
            (group.destination == Destination::Shape && word == "shpinst") ||
            (group.destination == Destination::AnsiPair && word == "ud");
        if (!known && !inBackground()) {
            setDestination(Destination::Skip);
            return;
        }
        group.ignorable = false;
    }
    switch (group.destination) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        fontTableWord(word, param);
        return;
    case Destination::ColorTable:
        colourTableWord(word, param);
        return;
    case Destination::Background:
    case Destination::ShapeName:
    case Destination::ShapeValue:
        backgroundWord(word);
        return;
    case Destination::NestedRow:
        if (word == "nestrow")
            paragraph();
        return;
    case Destination::Shape:
        shapeWord(word);
        return;
    case Destination::AnsiPair:
        if (word == "ud")
            setDestination(Destination::Text);
        return;
    case Destination::Text:
        break;
    }

    // The document body. A \uN fallback swallows control words too.
    if (word != "u" && takeFallback())
        return;
    const auto found = bodyWords().constFind(word);
    if (found == bodyWords().cend())
        return; // a property this reader does not show
    switch (found->kind) {
    case BodyWord::Symbol:
        appendText(found->text);
        break;
    case BodyWord::Break:
        paragraph();
        break;
    case BodyWord::Skip:
        setDestination(Destination::Skip);
        break;
    case BodyWord::Format:
        flush(); // the text so far keeps the format it was written in
        found->format(group, param);
        break;
    case BodyWord::Document:
        found->document(*this, param);
        break;
    }
}

bool Parser::inBackground() const
{
    return group.destination == Destination::Background ||
           group.destination == Destination::ShapeName ||
           group.destination == Destination::ShapeValue;
}

const QHash<QByteArrayView, BodyWord> &Parser::bodyWords()
{
    // The words that change the reading itself rather than the text's look.
    using D = BodyWord;
    static const struct {
        const char *word;
        void (*act)(Parser &, Param);
    } documentWords[] = {
        {"fonttbl", [](Parser &p, Param) { p.setDestination(Destination::FontTable); }},
        {"background", [](Parser &p, Param) { p.setDestination(Destination::Background); }},
        {"nesttableprops", [](Parser &p, Param) { p.setDestination(Destination::NestedRow); }},
        {"shp", [](Parser &p, Param) { p.setDestination(Destination::Shape); }},
        {"shpgrp", [](Parser &p, Param) { p.setDestination(Destination::Shape); }},
        {"upr", [](Parser &p, Param) { p.setDestination(Destination::AnsiPair); }},
        {"footnote", [](Parser &p, Param) { p.startNote(); }},
        {"chftn", [](Parser &p, Param) { p.noteMark(); }},
        {"colortbl",
         [](Parser &p, Param) {
             p.setDestination(Destination::ColorTable);
             p.colours.clear();
         }},
        {"u", [](Parser &p, Param x) { p.unicodeCharacter(x); }},
        {"uc", [](Parser &p, Param x) { p.group.unicodeFallback = std::clamp(x.value, 0, 255); }},
        {"ansi", [](Parser &p, Param) { p.documentCodePage = 1252; }},
        {"mac", [](Parser &p, Param) { p.documentCodePage = 10000; }},
        {"pc", [](Parser &p, Param) { p.documentCodePage = 437; }},
        {"pca", [](Parser &p, Param) { p.documentCodePage = 850; }},
        {"ansicpg", [](Parser &p, Param x) { p.documentCodePage = x.value > 0 ? x.value : 1252; }},
        {"deff", [](Parser &p, Param x) { p.defaultFont = x.value; }},
        {"deftab",
         [](Parser &p, Param x) {
             if (x.value > 0)
                 p.defaultTabTwips = std::min(x.value, 31680);
         }},
    };
    static const QHash<QByteArrayView, BodyWord> words = [] {
        QHash<QByteArrayView, BodyWord> all;
        forEachWord(skippedDestinations,
                    [&](QByteArrayView word) { all.insert(word, D{D::Skip}); });
        for (const auto &symbol : symbolWords)
            all.insert(symbol.word, D{D::Symbol, symbol.text});
        forEachWord(breakWords, [&](QByteArrayView word) { all.insert(word, D{D::Break}); });
        forEachWord(underlineWords, [&](QByteArrayView word) {
            all.insert(word, D{D::Format, nullptr,
                               [](GroupState &g, Param p) { g.chars.underline = p.on(); }});
        });
        for (const auto &format : formatWords)
            all.insert(format.word, D{D::Format, nullptr, format.set});
        for (const auto &document : documentWords)
            all.insert(document.word, D{D::Document, nullptr, nullptr, document.act});
        return all;
    }();
    return words;
}

void Parser::unicodeCharacter(Param param)
{
    // A signed 16-bit value; negative values stand for the upper half.
    decodePending();
    char16_t unit = char16_t(param.value < 0 ? param.value + 65536 : param.value);
    if (!param.given || param.value < -32768 || param.value > 65535)
        unit = 0xFFFD;
    skipFallback = group.unicodeFallback;
    if (group.chars.concealed())
        return;
    // Word processors write a symbol font's characters as its bytes moved
    // into the private-use area (U+F000 plus the byte), which no ordinary
    // font draws.
    if (unit >= 0xF020 && unit <= 0xF0FF) {
        if (const Font *font = currentFont(); font && font->symbols != SymbolFont::None)
            unit = symbolCharacter(font->symbols, uchar(unit - 0xF000)).unicode();
    }
    if (unit >= 0x20 || unit == u'\t')
        pendingText.append(QChar(unit));
}

void Parser::fontTableWord(QByteArrayView word, Param param)
{
    if (word == "f") {
        finishFontEntry();
        tableFont = param.value;
    } else if (word == "fcharset" && tableFont >= 0) {
        if (fonts[tableFont].codePage == 0)
            fonts[tableFont].codePage = codePageForCharset(param.value);
    } else if (word == "cpg" && tableFont >= 0) {
        fonts[tableFont].codePage = param.value;
    } else if (const auto found = bodyWords().constFind(word);
               found != bodyWords().cend() && found->kind == BodyWord::Skip) {
        setDestination(Destination::Skip);
    }
}

void Parser::colourTableWord(QByteArrayView word, Param param)
{
    const int component = std::clamp(param.value, 0, 255);
    if (word == "red") {
        red = component;
        colourSet = true;
    } else if (word == "green") {
        green = component;
        colourSet = true;
    } else if (word == "blue") {
        blue = component;
        colourSet = true;
    }
}

// Inside a shape (or a group of shapes) only the text box is shown, as
// paragraphs of its own at the place the shape is anchored. Its properties
// and the picture that stands in for it (\shprslt) are not.
void Parser::shapeWord(QByteArrayView word)
{
    if (word == "shptxt") {
        setDestination(Destination::Text);
        if (cursor->block().length() > 1)
            paragraph();
        group.opensTextBox = true;
    } else if (word == "shprslt") {
        setDestination(Destination::Skip);
    }
}

void Parser::backgroundWord(QByteArrayView word)
{
    if (word == "sn") {
        setDestination(Destination::ShapeName);
        shapeName.clear();
    } else if (word == "sv") {
        setDestination(Destination::ShapeValue);
        shapeValue.clear();
    }
}

// A footnote or endnote: its text is gathered apart and shown after the body,
// each note a paragraph of its own, as a plain paragraph however the text
// around its mark looks.
void Parser::startNote()
{
    if (inNote) {
        setDestination(Destination::Skip); // no word processor nests notes
        return;
    }
    flush();
    if (!notes) {
        notes = std::make_unique<QTextDocument>();
        notesCursor = QTextCursor(notes.get());
    } else {
        notesCursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    cursor = &notesCursor;
    inNote = true;
    group.opensNote = true;
    group.chars = CharState();
    group.para = ParaState();
    noteNumber = markedNote;
    markedNote = 0;
}

// \chftn: the automatic number of a note, in the text where the note is
// referred to and again at the start of the note itself. Footnotes and
// endnotes share one sequence.
void Parser::noteMark()
{
    if (!inNote)
        markedNote = ++notesNumbered;
    else if (noteNumber == 0)
        noteNumber = ++notesNumbered; // a note whose mark in the text was not numbered
    appendText(QString::number(inNote ? noteNumber : markedNote));
}

void Parser::appendNotes()
{
    cursor = &body;
    if (!notes)
        return;
    // A short rule between the text and its notes, as word processors draw.
    QTextBlockFormat rule;
    rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                     QTextLength(QTextLength::PercentageLength, 33));
    if (body.block().length() > 1)
        body.insertBlock();
    body.setBlockFormat(rule);
    body.insertBlock(QTextBlockFormat(), QTextCharFormat());
    body.insertFragment(QTextDocumentFragment(notes.get()));
}

const Font *Parser::currentFont() const
{
    const auto font = fonts.find(group.chars.font >= 0 ? group.chars.font : defaultFont);
    return font != fonts.end() ? &font->second : nullptr;
}

QString Parser::decode(const QByteArray &bytes)
{
    const Font *font = currentFont();
    if (font && font->symbols != SymbolFont::None) {
        QString text;
        text.reserve(bytes.size());
        for (const char byte : bytes)
            text.append(symbolCharacter(font->symbols, uchar(byte)));
        return text;
    }
    const int page = font && font->codePage > 0 ? font->codePage : documentCodePage;
    if (page != 1252) {
        auto found = decoders.find(page);
        if (found == decoders.end()) {
            QStringDecoder decoder;
            for (const QByteArray &name : converterNames(page)) {
                decoder = QStringDecoder(name.constData());
                if (decoder.isValid())
                    break;
            }
            found = decoders.emplace(page, std::move(decoder)).first;
        }
        if (found->second.isValid()) {
            QString text = found->second.decode(bytes);
            // An unfinished multi-byte character does not carry over into the
            // next run of text.
            found->second.resetState();
            return text;
        }
    }
    return decodeWindows1252(bytes);
}

void Parser::decodePending()
{
    if (pendingBytes.isEmpty())
        return;
    pendingText.append(decode(pendingBytes));
    pendingBytes.clear();
}

void Parser::appendText(QStringView text)
{
    if (group.destination != Destination::Text || group.chars.concealed())
        return;
    decodePending();
    pendingText.append(text);
}

void Parser::flush()
{
    decodePending();
    if (pendingText.isEmpty())
        return;
    // A \uN pair may be split or malformed; never hand a lone surrogate on.
    for (qsizetype i = 0; i < pendingText.size(); ++i) {
        const QChar ch = pendingText.at(i);
        if (ch.isHighSurrogate() && i + 1 < pendingText.size() &&
            pendingText.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (ch.isSurrogate()) {
            pendingText[i] = QChar::ReplacementCharacter;
        }
    }
    if (const QTextBlockFormat format = blockFormat(); cursor->blockFormat() != format)
        cursor->setBlockFormat(format);
    cursor->insertText(pendingText, charFormat());
    pendingText.clear();
}

void Parser::paragraph()
{
    // A hidden or deleted paragraph mark hides the break as well: the
    // paragraph runs on into the next one, and a paragraph hidden whole
    // leaves no empty line.
    if (group.chars.concealed())
        return;
    flush();
    // Paragraph properties in force at the paragraph mark belong to it.
    cursor->setBlockFormat(blockFormat());
    cursor->insertBlock(blockFormat(), charFormat());
}

QTextCharFormat Parser::charFormat() const
{
    const CharState &chars = group.chars;
    QTextCharFormat format;
    format.setFontWeight(chars.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chars.italic);
    format.setFontUnderline(chars.underline);
    format.setFontStrikeOut(chars.strike);
    format.setFontPointSize(chars.halfPoints / 2.0);
    if (chars.caps)
        format.setFontCapitalization(QFont::AllUppercase);
    else if (chars.smallCaps)
        format.setFontCapitalization(QFont::SmallCaps);
    if (chars.vertical != QTextCharFormat::AlignNormal)
        format.setVerticalAlignment(chars.vertical);
    // A symbol font's characters are Unicode ones by now; the font itself
    // would draw them as something else or not at all.
    const auto font = fonts.find(chars.font >= 0 ? chars.font : defaultFont);
    if (font != fonts.end() && !font->second.name.isEmpty() &&
        font->second.symbols == SymbolFont::None)
        format.setFontFamilies(QStringList{font->second.name});
    auto colour = [this](int index) -> QColor {
        return index > 0 && size_t(index) < colours.size() ? colours[size_t(index)] : QColor();
    };
    if (const QColor foreground = colour(chars.foreground); foreground.isValid())
        format.setForeground(foreground);
    if (const QColor background = colour(chars.background); background.isValid())
        format.setBackground(background);
    return format;
}

QTextBlockFormat Parser::blockFormat() const
{
    // Twips are twentieths of a point; the document lays out in pixels of a
    // 96 dpi screen, fifteen twips each.
    const auto pixels = [](int twips) { return twips / 15.0; };
    const ParaState &para = group.para;
    QTextBlockFormat format;
    format.setAlignment(para.alignment);
    format.setLeftMargin(pixels(para.leftTwips));
    format.setRightMargin(pixels(para.rightTwips));
    format.setTextIndent(pixels(para.firstLineTwips));
    format.setTopMargin(pixels(para.beforeTwips));
    format.setBottomMargin(pixels(para.afterTwips));
    // RTF measures tab stops from the page margin; the layout measures them
    // from where the paragraph's first line starts.
    const int lineStart = para.leftTwips + para.firstLineTwips;
    QList<QTextOption::Tab> tabs;
    for (const int stop : para.tabStops) {
        if (stop > lineStart)
            tabs.append(QTextOption::Tab(pixels(stop - lineStart), QTextOption::LeftTab));
    }
    // A hanging indent (a list item, a numbered heading) has its first tab
    // where the following lines start.
    if (tabs.isEmpty() && para.firstLineTwips < 0 && para.leftTwips > 0)
        tabs.append(QTextOption::Tab(pixels(-para.firstLineTwips), QTextOption::LeftTab));
    if (!tabs.isEmpty())
        format.setTabPositions(tabs);
    return format;
}

} // namespace

RtfResult readRtf(const QByteArray &rtf, QTextDocument &document)
{
    document.clear();
    // Nothing read here is to be undone, and the layout is brought up to
    // date once at the end rather than after every piece of text.
    const bool undoRedo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    RtfResult result;
    {
        QTextCursor edit(&document);
        edit.beginEditBlock();
        Parser parser(rtf, document);
        result = parser.run();
        edit.endEditBlock();
    }
    document.setUndoRedoEnabled(undoRedo);
    if (!result.ok) {
        document.clear();
        result.pageBackground.reset();
    }
    return result;
}

RtfResult readRtfFile(const QString &path, QTextDocument &document, qint64 maxBytes)
{
    const ReadResult file = readWholeFile(path, maxBytes);
    if (!file.data) {
        document.clear();
        RtfResult result;
        result.error = file.error;
        return result;
    }
    RtfResult result = readRtf(*file.data, document);
    if (!result.ok)
        result.error = QStringLiteral("%1: %2").arg(path, result.error);
    return result;
}

} // namespace zan
