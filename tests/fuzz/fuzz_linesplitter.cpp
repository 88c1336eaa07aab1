// SPDX-License-Identifier: MIT
// The console output splitter. The first input byte chooses how the rest is
// cut into reads; whatever the reads, the pieces must be those of the whole
// output split at once: each line given back whole when its pieces are
// joined, no piece over 787 UTF-16 units, no surrogate pair cut in two.
#include "FuzzSupport.h"
#include "LineSplitter.h"

#include <QStringDecoder>

#include <vector>

namespace {
std::vector<QString> splitInReads(const QByteArray &output, int readSize)
{
    std::vector<QString> pieces;
    zan::LineSplitter splitter(
        [&pieces](QStringView piece) { pieces.push_back(piece.toString()); });
    for (qsizetype at = 0; at < output.size(); at += readSize)
        splitter.feed(output.constData() + at, std::min<qsizetype>(readSize, output.size() - at));
    splitter.finish();
    return pieces;
}

bool cutsPair(const QString &piece, const QString &next)
{
    return !piece.isEmpty() && !next.isEmpty() && piece.back().isHighSurrogate() &&
           next.front().isLowSurrogate();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    zanfuzz::quietProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int readSize = 1 + data[0] % 64;
    const QByteArray output = zanfuzz::bytes(data + 1, size - 1);
    const std::vector<QString> pieces = splitInReads(output, readSize);
    if (output.isEmpty()) {
        ZAN_FUZZ_CHECK(pieces.empty());
        return 0;
    }
    // The reads do not matter.
    ZAN_FUZZ_CHECK(pieces == splitInReads(output, int(output.size())));

    // Each line on its own: its pieces joined give it back, none is over
    // 787 units, none ends inside a surrogate pair, and a line that fits is
    // one piece.
    std::vector<QString> expected;
    // Every character kept, a byte-order mark at the start of a line too.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    for (const QByteArray &bytes : output.split('\n')) {
        const QString line = decoder.decode(bytes);
        std::vector<QString> linePieces;
        zan::cutLine(line,
                     [&linePieces](QStringView piece) { linePieces.push_back(piece.toString()); });
        ZAN_FUZZ_CHECK(!linePieces.empty());
        if (line.size() <= zan::maxPieceLength)
            ZAN_FUZZ_CHECK(linePieces.size() == 1);
        QString joined;
        for (size_t i = 0; i < linePieces.size(); ++i) {
            ZAN_FUZZ_CHECK(linePieces[i].size() <= zan::maxPieceLength);
            if (i > 0)
                ZAN_FUZZ_CHECK(!cutsPair(linePieces[i - 1], linePieces[i]));
            joined += linePieces[i];
        }
        ZAN_FUZZ_CHECK(joined == line);
        expected.insert(expected.end(), linePieces.begin(), linePieces.end());
    }
    // The stream gives exactly the pieces of its lines taken one by one.
    ZAN_FUZZ_CHECK(pieces == expected);
    return 0;
}
