// SPDX-License-Identifier: MIT
// Reader for XML property lists such as the bundle's Contents/Info.plist.
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace zan {

// Values keep their property-list type: <true/> and <false/> become bool,
// <string> QString, <integer> qint64, <real> double, <data> QByteArray,
// <date> QDateTime, <array> QVariantList and <dict> QVariantMap. So a Boolean
// true is told apart from the text "true" by the QVariant's type.
struct PlistResult {
    std::optional<QVariantMap> dict; // the top-level dictionary; unset on failure
    QString error;                   // why, when dict is unset
};

// Parses a property list whose top-level value is a dictionary.
PlistResult parsePropertyList(const QByteArray &xml);

// Reads and parses the property list file at path.
PlistResult readPropertyList(const QString &path);

// Whether value is the Boolean true (not a text, not a number).
bool isBooleanTrue(const QVariant &value);

// The value when it is a text; unset for any other type or when missing.
std::optional<QString> stringValue(const QVariantMap &dict, const QString &key);

} // namespace zan
