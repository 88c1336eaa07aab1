// SPDX-License-Identifier: MIT
// Turns the console launcher's output bytes into log pieces as they arrive.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>

namespace zan {

// The longest piece of a line that one log entry carries, in UTF-16 units.
constexpr qsizetype maxPieceLength = 787;

// Splits a byte stream at every "\n" and hands each line, cut into pieces of
// at most maxPieceLength UTF-16 units, to the sink as soon as it is known.
//
// The pieces are those that splitting the whole output at once would give:
// every line counts, so output ending with a line break ends with an empty
// piece, and output of no bytes gives no piece at all. A line of up to 787
// units is one piece; a longer one gives 787-unit pieces followed by the rest,
// which is empty when the length is a multiple of 787. A cut never falls
// inside a surrogate pair; that piece then holds 786 units.
//
// Bytes are decoded as UTF-8 line by line; invalid bytes become U+FFFD and do
// not cost the rest of the output. Only the unfinished line is kept, and of a
// long one only the part not yet handed out, so memory stays bounded whatever
// the output's size.
// Hands out one whole line (without its line break) in pieces as above.
void cutLine(QStringView line, const std::function<void(QStringView)> &sink);

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

private:
    void appendBytes(const char *data, qsizetype size);
    void appendText(QString text);
    void endLine();

    Sink m_sink;
    QByteArray m_incomplete; // start of a UTF-8 sequence cut by the last feed
    QString m_pending;       // decoded part of the current line not yet handed out
    bool m_cutting = false;  // the current line is longer than one piece
    bool m_anyBytes = false;
};

} // namespace zan
