// SPDX-License-Identifier: MIT
// Named value transformers: a table column names one, and the table shows each
// value of that column through it.
#pragma once

#include <QLocale>
#include <QString>
#include <QVariant>

#include <memory>

namespace zan {

class ValueTransformer {
public:
    virtual ~ValueTransformer() = default;
    virtual QString transformedValue(const QVariant &value) const = 0;
};

// The registry keeps what it is given. A later registration under the same
// name replaces the earlier one.
void setValueTransformer(std::shared_ptr<const ValueTransformer> transformer, const QString &name);
// The transformer registered under the name, or null.
std::shared_ptr<const ValueTransformer> valueTransformerForName(const QString &name);

// The 32-bit integer view of a value: a number cut toward zero (clamped), a
// text read as the whole number at its start (0 when there is none), nothing
// as 0.
qint32 intValue(const QVariant &value);

// A whole number in the locale's own digits, without grouping separators.
QString wholeNumberText(qint64 value, const QLocale &locale = QLocale());

// Shows a value as a whole number without grouping separators. The selection
// dialogs each register a subclass under the subclass's own name.
class NoSepNumberTransformerBase : public ValueTransformer {
public:
    QString transformedValue(const QVariant &value) const override;
};

} // namespace zan
