#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace zarn {

namespace {

std::unique_ptr<QTranslator> load(const QLocale& language, const QString& name,
                                  const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(language, name, QStringLiteral("_"), folder)) {
        return nullptr;
    }
    return translator;
}

struct Catalogue {
    QLocale language;
    std::unique_ptr<QTranslator> translator;
};

// Zarn's catalogue for the user, with the UI language it was found for; none for English.
Catalogue zarnCatalogue() {
    for (const QString& name : QLocale().uiLanguages()) {
        const QLocale language(name);
        // The texts are written in English: a user who reads it before any other language
        // gets them as they are, not a later language of the list.
        if (language.language() == QLocale::English || language.language() == QLocale::C) {
            return {};
        }
        if (auto translator = load(language, QStringLiteral("zarn"), QStringLiteral(":/i18n"))) {
            return {language, std::move(translator)};
        }
    }
    return {};
}

void install(std::unique_ptr<QTranslator> translator) {
    translator->setParent(QCoreApplication::instance());
    QCoreApplication::installTranslator(translator.release());
}

} // namespace

int installTranslators() {
    Catalogue zarn = zarnCatalogue();
    if (!zarn.translator) {
        return 0;
    }
    install(std::move(zarn.translator));
    // Qt's dialogs and context menus follow the same language, not another one.
    auto qt = load(zarn.language, QStringLiteral("qtbase"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!qt) {
        return 1;
    }
    install(std::move(qt));
    return 2;
}

bool textsAreEnglish() {
    return !zarnCatalogue().translator;
}

} // namespace zarn
