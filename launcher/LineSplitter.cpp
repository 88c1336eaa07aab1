// SPDX-License-Identifier: MIT
#include "LineSplitter.h"

#include <cstring>

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
} // namespace

void cutLine(QStringView line, const std::function<void(QStringView)> &sink)
{
    if (line.size() <= maxPieceLength) {
        sink(line);
        return;
    }
    qsizetype offset = 0;
    while (line.size() - offset >= maxPieceLength) {
        qsizetype length = maxPieceLength;
        if (line.at(offset + length - 1).isHighSurrogate())
            --length;
        sink(line.mid(offset, length));
        offset += length;
    }
    sink(line.mid(offset));
}

LineSplitter::LineSplitter(Sink sink) : m_sink(std::move(sink)) {}

void LineSplitter::feed(const char *data, qsizetype size)
{
    if (size <= 0)
        return;
    m_anyBytes = true;
    const char *end = data + size;
    while (data < end) {
        const auto *newline =
            static_cast<const char *>(std::memchr(data, '\n', size_t(end - data)));
        if (!newline) {
            appendBytes(data, end - data);
            return;
        }
        appendBytes(data, newline - data);
        // The line break ends any sequence left open: what is left of it is
        // invalid and decodes to U+FFFD.
        if (!m_incomplete.isEmpty()) {
            appendText(QString::fromUtf8(m_incomplete));
            m_incomplete.clear();
        }
        endLine();
        data = newline + 1;
    }
}

void LineSplitter::finish()
{
    if (!m_incomplete.isEmpty()) {
        appendText(QString::fromUtf8(m_incomplete));
        m_incomplete.clear();
    }
    if (m_anyBytes)
        endLine();
    m_anyBytes = false;
}

void LineSplitter::appendBytes(const char *data, qsizetype size)
{
    if (size == 0)
        return;
    if (!m_incomplete.isEmpty()) {
        // Complete the sequence the last feed cut; the few bytes involved
        // are decoded together with the rest.
        QByteArray joined = m_incomplete;
        joined.append(data, size);
        m_incomplete.clear();
        const qsizetype keep = incompleteTail(joined.constData(), joined.size());
        m_incomplete = joined.right(keep);
        appendText(QString::fromUtf8(joined.constData(), joined.size() - keep));
        return;
    }
    const qsizetype keep = incompleteTail(data, size);
    if (keep > 0)
        m_incomplete = QByteArray(data + size - keep, keep);
    appendText(QString::fromUtf8(data, size - keep));
}

void LineSplitter::appendText(QString text)
{
    if (text.isEmpty())
        return;
    if (m_pending.isEmpty())
        m_pending = std::move(text);
    else
        m_pending.append(text);
    // Only a line known to be longer than one piece is cut; until then it may
    // still end at exactly 787 units and be a single entry.
    if (!m_cutting && m_pending.size() > maxPieceLength)
        m_cutting = true;
    if (!m_cutting)
        return;
    qsizetype offset = 0;
    while (m_pending.size() - offset >= maxPieceLength) {
        qsizetype length = maxPieceLength;
        if (m_pending.at(offset + length - 1).isHighSurrogate())
            --length;
        m_sink(QStringView(m_pending).mid(offset, length));
        offset += length;
    }
    m_pending.remove(0, offset);
}

void LineSplitter::endLine()
{
    m_sink(m_pending);
    m_pending.clear();
    m_cutting = false;
}

} // namespace zan
