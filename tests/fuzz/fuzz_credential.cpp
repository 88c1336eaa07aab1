// SPDX-License-Identifier: MIT
// The user name the sign-in dialogs offer from a credential file's bytes: the
// text before the first colon or line break, and nothing for bytes that are
// not UTF-8.
#include "FuzzSupport.h"
#include "SignInRules.h"

#include <QStringDecoder>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    zanfuzz::quietProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content = zanfuzz::bytes(data, size);
    const std::optional<QString> name = zan::offeredUserName(content);

    QByteArray text = content;
    const qsizetype nul = text.indexOf('\0');
    if (nul >= 0)
        text.truncate(nul);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(text);
    ZAN_FUZZ_CHECK(name.has_value() == !decoder.hasError());
    if (!name)
        return 0;
    // A prefix of the text that holds no separator, ended by one or by the
    // end of the text.
    ZAN_FUZZ_CHECK(decoded.startsWith(*name));
    for (const QChar c : *name)
        ZAN_FUZZ_CHECK(c != QLatin1Char(':') && c != QLatin1Char('\n') && c != QLatin1Char('\r'));
    if (name->size() < decoded.size()) {
        const QChar next = decoded.at(name->size());
        ZAN_FUZZ_CHECK(next == QLatin1Char(':') || next == QLatin1Char('\n') ||
                       next == QLatin1Char('\r'));
    }
    // Trimming at OK gives a view into the name, never more than it.
    const QStringView trimmed = zan::trimmedEntry(*name);
    ZAN_FUZZ_CHECK(trimmed.size() <= name->size());
    ZAN_FUZZ_CHECK(name->contains(trimmed));
    return 0;
}
