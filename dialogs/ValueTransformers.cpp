// SPDX-License-Identifier: MIT
#include "ValueTransformers.h"

#include <QHash>

#include <cmath>
#include <limits>

namespace zan {
namespace {
QHash<QString, std::shared_ptr<const ValueTransformer>> &registry()
{
    static QHash<QString, std::shared_ptr<const ValueTransformer>> transformers;
    return transformers;
}

qint32 clampToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    value = std::trunc(value);
    if (value >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (value <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(value);
}

// Leading white space, an optional sign, then digits; overflow saturates.
qint32 leadingInteger(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        magnitude = std::min<qint64>(magnitude * 10 + (c.unicode() - '0'), qint64(1) << 32);
    }
    const qint64 value = negative ? -magnitude : magnitude;
    return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}
} // namespace

void setValueTransformer(std::shared_ptr<const ValueTransformer> transformer, const QString &name)
{
    registry().insert(name, std::move(transformer));
}

std::shared_ptr<const ValueTransformer> valueTransformerForName(const QString &name)
{
    return registry().value(name);
}

qint32 intValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::QString:
        return leadingInteger(value.toString());
    case QMetaType::Double:
    case QMetaType::Float:
        return clampToInt32(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        break;
    }
    bool ok = false;
    const qlonglong whole = value.toLongLong(&ok);
    if (ok)
        return qint32(std::clamp<qlonglong>(whole, std::numeric_limits<qint32>::min(),
                                            std::numeric_limits<qint32>::max()));
    return 0;
}

QString wholeNumberText(qint64 value, const QLocale &locale)
{
    QLocale withoutGroups = locale;
    withoutGroups.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return withoutGroups.toString(value);
}

QString NoSepNumberTransformerBase::transformedValue(const QVariant &value) const
{
    return wholeNumberText(intValue(value));
}

} // namespace zan
