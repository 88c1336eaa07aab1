// SPDX-License-Identifier: MIT
#include "LineSplitter.h"

namespace zan {
namespace {
// Length of the UTF-8 sequence that a lead byte starts; 0 for a byte that
// cannot start one.
int sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// How many bytes at the end of data start a UTF-8 sequence that is not yet
// complete, so that decoding them now would wrongly replace them.
qsizetype incompleteTail(const char *data, qsizetype size)
{
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(data[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // continuation byte: look further back for its lead
        const int needed = sequenceLength(byte);
        return needed > back ? back : 0;
    }
    return 0;
}

// Hands out the whole pieces at the front of text and returns how many units
// they took; fewer than maxPieceLength units are left.
qsizetype handOutWholePieces(QStringView text, const std::function<void(QStringView)> &sink)
{
    qsizetype offset = 0;
    while (text.size() - offset >= maxPieceLength) {
        qsizetype length = maxPieceLength;
        if (text.at(offset + length - 1).isHighSurrogate())
            --length;
        sink(text.mid(offset, length));
        offset += length;
    }
    return offset;
}
} // namespace

void cutLine(QStringView line, const std::function<void(QStringView)> &sink)
{
    // A line of exactly 787 units is one piece, not a piece and an empty rest.
    if (line.size() > maxPieceLength)
        line = line.mid(handOutWholePieces(line, sink));
    sink(line);
}

LineSplitter::LineSplitter(Sink sink) : m_sink(std::move(sink)) {}

QString LineSplitter::decode(const char *data, qsizetype size)
{
    // Qt's own decoder state is not used to carry a sequence cut by a read:
    // resumed on a byte that does not continue it, Qt 6.4 drops that byte,
    // and that byte may be the line break. The cut sequence is held here
    // instead and decoded with what follows it.
    if (!m_incomplete.isEmpty()) {
        QByteArray joined = m_incomplete;
        joined.append(data, size);
        m_incomplete.clear();
        return decode(joined.constData(), joined.size());
    }
    const qsizetype keep = incompleteTail(data, size);
    if (keep > 0)
        m_incomplete = QByteArray(data + size - keep, keep);
    return m_decoder.decode(QByteArrayView(data, size - keep));
}

void LineSplitter::decodeHeldBytes()
{
    // At the end the held start of a sequence will never complete: it is
    // invalid and decodes to U+FFFD.
    if (m_incomplete.isEmpty())
        return;
    const QString rest = m_decoder.decode(m_incomplete);
    m_incomplete.clear();
    appendText(rest);
}

void LineSplitter::feed(const char *data, qsizetype size)
{
    if (size <= 0)
        return;
    m_anyBytes = true;
    // A line break never occurs inside a UTF-8 sequence, so the text splits
    // where the bytes would.
    const QString text = decode(data, size);
    QStringView rest(text);
    for (qsizetype newline = rest.indexOf(QLatin1Char('\n')); newline >= 0;
         newline = rest.indexOf(QLatin1Char('\n'))) {
        const QStringView line = rest.first(newline);
        if (m_pending.isEmpty() && !m_cutting) {
            // The whole line is in this read: hand it out without a copy.
            cutLine(line, m_sink);
        } else {
            appendText(line);
            endLine();
        }
        rest = rest.sliced(newline + 1);
    }
    appendText(rest);
}

void LineSplitter::finish()
{
    decodeHeldBytes();
    if (m_anyBytes)
        endLine();
    m_anyBytes = false;
}

void LineSplitter::flushUnfinishedLine()
{
    decodeHeldBytes();
    if (!m_pending.isEmpty())
        endLine();
    m_anyBytes = false;
}

void LineSplitter::appendText(QStringView text)
{
    if (text.isEmpty())
        return;
    if (m_pending.isEmpty() && text.size() > maxPieceLength) {
        // A long line: its whole pieces go out straight from the read, and
        // only the rest is copied.
        m_cutting = true;
        m_pending.append(text.mid(handOutWholePieces(text, m_sink)));
        return;
    }
    m_pending.append(text);
    // Only a line known to be longer than one piece is cut; until then it may
    // still end at exactly 787 units and be a single entry.
    if (!m_cutting && m_pending.size() > maxPieceLength)
        m_cutting = true;
    if (m_cutting)
        m_pending.remove(0, handOutWholePieces(m_pending, m_sink));
}

void LineSplitter::endLine()
{
    m_sink(m_pending);
    m_pending.resize(0); // keeps the buffer for the next line
    m_cutting = false;
}

} // namespace zan
