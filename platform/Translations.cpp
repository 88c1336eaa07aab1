// SPDX-License-Identifier: MIT
#include "Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace zan {
namespace {
void installLanguage(const QString &language)
{
    const QDir dir(QStringLiteral(":/i18n"));
    const QStringList files = dir.entryList({QStringLiteral("*_%1.qm").arg(language)}, QDir::Files);
    for (const QString &file : files) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(dir.filePath(file)))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

// Qt's own texts (a text field's context menu, standard buttons) come from
// its catalogue in the system's Qt translations folder. Without one the
// texts stay English, as they are in the source.
void installQtLanguage(const QString &language)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_") + language,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
} // namespace

void installTranslations(const QLocale &locale)
{
    installLanguage(QStringLiteral("en"));
    // Translators installed later are asked first. Qt's texts follow the
    // language of ours, so that a language we lack shows in English
    // throughout rather than half in it.
    for (const QString &name : locale.uiLanguages()) {
        const QString language = name.section(QLatin1Char('-'), 0, 0).toLower();
        if (language == QLatin1String("en"))
            break;
        if (!QDir(QStringLiteral(":/i18n"))
                 .entryList({QStringLiteral("*_%1.qm").arg(language)})
                 .isEmpty()) {
            installQtLanguage(language);
            installLanguage(language);
            break;
        }
    }
}

} // namespace zan
