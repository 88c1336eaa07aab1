// SPDX-License-Identifier: MIT
#include "InfoPlist.h"

#include "Files.h"

#include <QDateTime>
#include <QXmlStreamReader>

namespace zan {
namespace {
constexpr int maxDepth = 64;

// Reads the value whose start element the reader is on; leaves the reader on
// its end element.
std::optional<QVariant> readValue(QXmlStreamReader &xml, int depth, QString &error);

std::optional<QVariant> readDict(QXmlStreamReader &xml, int depth, QString &error)
{
    QVariantMap dict;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("key")) {
            error = QStringLiteral("expected <key> in <dict>, found <%1>").arg(xml.name());
            return std::nullopt;
        }
        const QString key = xml.readElementText();
        if (xml.hasError())
            return std::nullopt;
        if (!xml.readNextStartElement()) {
            error = QStringLiteral("key \"%1\" has no value").arg(key);
            return std::nullopt;
        }
        std::optional<QVariant> value = readValue(xml, depth + 1, error);
        if (!value)
            return std::nullopt;
        dict.insert(key, *value);
    }
    return QVariant(dict);
}

std::optional<QVariant> readArray(QXmlStreamReader &xml, int depth, QString &error)
{
    QVariantList list;
    while (xml.readNextStartElement()) {
        std::optional<QVariant> value = readValue(xml, depth + 1, error);
        if (!value)
            return std::nullopt;
        list.append(*value);
    }
    return QVariant(list);
}

std::optional<QVariant> readValue(QXmlStreamReader &xml, int depth, QString &error)
{
    if (depth > maxDepth) {
        error = QStringLiteral("nested too deeply");
        return std::nullopt;
    }
    const QStringView name = xml.name();
    if (name == QLatin1String("dict"))
        return readDict(xml, depth, error);
    if (name == QLatin1String("array"))
        return readArray(xml, depth, error);
    if (name == QLatin1String("true") || name == QLatin1String("false")) {
        const bool value = name == QLatin1String("true");
        xml.skipCurrentElement();
        return QVariant(value);
    }
    const QString element = name.toString();
    const QString text = xml.readElementText();
    if (xml.hasError())
        return std::nullopt;
    if (element == QLatin1String("string"))
        return QVariant(text);
    if (element == QLatin1String("integer")) {
        bool ok = false;
        const qint64 value = text.trimmed().toLongLong(&ok);
        if (!ok) {
            error = QStringLiteral("bad <integer> \"%1\"").arg(text);
            return std::nullopt;
        }
        return QVariant(value);
    }
    if (element == QLatin1String("real")) {
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        if (!ok) {
            error = QStringLiteral("bad <real> \"%1\"").arg(text);
            return std::nullopt;
        }
        return QVariant(value);
    }
    if (element == QLatin1String("data"))
        return QVariant(QByteArray::fromBase64(text.toLatin1()));
    if (element == QLatin1String("date"))
        return QVariant(QDateTime::fromString(text.trimmed(), Qt::ISODate));
    error = QStringLiteral("unknown element <%1>").arg(element);
    return std::nullopt;
}
} // namespace

PlistResult parsePropertyList(const QByteArray &bytes)
{
    PlistResult result;
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist")) {
        result.error = xml.hasError() ? xml.errorString() : QStringLiteral("not a property list");
        return result;
    }
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("dict")) {
        result.error = xml.hasError() ? xml.errorString()
                                      : QStringLiteral("top-level value is not a dictionary");
        return result;
    }
    QString error;
    std::optional<QVariant> dict = readValue(xml, 0, error);
    if (!dict || xml.hasError()) {
        result.error = xml.hasError() ? xml.errorString() : error;
        return result;
    }
    result.dict = dict->toMap();
    return result;
}

PlistResult readPropertyList(const QString &path)
{
    // A property list is small; anything larger than this is not one of ours.
    const ReadResult file = readWholeFile(path, 1 << 20);
    if (!file.data) {
        PlistResult result;
        result.error = file.error;
        return result;
    }
    PlistResult result = parsePropertyList(*file.data);
    if (!result.dict)
        result.error = QStringLiteral("%1: %2").arg(path, result.error);
    return result;
}

bool isBooleanTrue(const QVariant &value)
{
    return value.typeId() == QMetaType::Bool && value.toBool();
}

std::optional<QString> stringValue(const QVariantMap &dict, const QString &key)
{
    const auto it = dict.constFind(key);
    if (it == dict.constEnd() || it->typeId() != QMetaType::QString)
        return std::nullopt;
    return it->toString();
}

} // namespace zan
