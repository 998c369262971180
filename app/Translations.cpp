#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace zarn {

namespace {

bool install(const QLocale& language, const QString& name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(language, name, QStringLiteral("_"), folder)) {
        return false;
    }
    QCoreApplication::installTranslator(translator.release());
    return true;
}

} // namespace

int installTranslators() {
    for (const QString& name : QLocale().uiLanguages()) {
        const QLocale language(name);
        // The texts are written in English: a user who reads it before any other language
        // gets them as they are, not a later language of the list.
        if (language.language() == QLocale::English || language.language() == QLocale::C) {
            return 0;
        }
        if (install(language, QStringLiteral("zarn"), QStringLiteral(":/i18n"))) {
            // Qt's dialogs and context menus follow the same language, not another one.
            return 1 + int(install(language, QStringLiteral("qtbase"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        }
    }
    return 0;
}

} // namespace zarn
