// SPDX-License-Identifier: MIT
// Turns the console launcher's output bytes into log pieces as they arrive.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringView>

#include <functional>

namespace zan {

// The longest piece of a line that one log entry carries, in UTF-16 units.
constexpr qsizetype maxPieceLength = 787;

// Hands out one whole line (without its line break) in pieces: a line of up
// to 787 units is one piece; a longer one gives 787-unit pieces followed by
// the rest, which is empty when the length is a multiple of 787. A cut never
// falls inside a surrogate pair; that piece then holds 786 units.
void cutLine(QStringView line, const std::function<void(QStringView)> &sink);

// Splits a byte stream at every "\n" and hands each line, cut as cutLine cuts
// it, to the sink as soon as it is known.
//
// The pieces are those that splitting the whole output at once would give:
// every line counts, so output ending with a line break ends with an empty
// piece, and output of no bytes gives no piece at all.
//
// The stream is decoded as UTF-8 as one text, every character kept: a
// U+FEFF at the start of the output or of a line is text like any other.
// Invalid bytes become U+FFFD and do not cost the rest of the output. Only
// the unfinished line is kept, and of a long one only the part not yet handed
// out, so memory stays bounded whatever the output's size.
class LineSplitter {
public:
    using Sink = std::function<void(QStringView piece)>;

    explicit LineSplitter(Sink sink);

    // Takes the next bytes of the stream.
    void feed(const char *data, qsizetype size);
    void feed(const QByteArray &bytes) { feed(bytes.constData(), bytes.size()); }

    // The stream has ended: hands out the last line, also when it is empty,
    // unless no byte ever arrived.
    void finish();

    // The stream is given up before its end (a process left behind holds the
    // pipe): hands out what has arrived of the unfinished line, if anything.
    void flushUnfinishedLine();

private:
    QString decode(const char *data, qsizetype size);
    void decodeHeldBytes();
    void appendText(QStringView text);
    void endLine();

    Sink m_sink;
    // Decodes complete sequences only (see decode()), so it needs no state of
    // its own; the flag keeps a leading U+FEFF of every call.
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                       QStringDecoder::Flag::ConvertInitialBom};
    QByteArray m_incomplete; // start of a UTF-8 sequence cut by the last feed
    QString m_pending;       // decoded part of the current line not yet handed out
    bool m_cutting = false;  // the current line is longer than one piece
    bool m_anyBytes = false;
};

} // namespace zan
