#include "app/Translations.h"
#include "SchedulingFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <unicode/locid.h>

namespace {

using zarn::test::Form;

// The languages shipped, as QDir lists their catalogues.
const QStringList shippedLanguages = {"de", "es", "fr", "it", "ja", "pl", "pt_BR", "zh_CN"};

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a translation must keep of its source: the placeholders and the mnemonic ("&&" is a
// plain ampersand).
QStringList marksOf(const QString& text) {
    static const QRegularExpression mark(QStringLiteral("%L?\\d+|&&|&"));
    QStringList marks;
    for (auto it = mark.globalMatch(text); it.hasNext();) {
        const QString found = it.next().captured();
        if (found != QLatin1String("&&")) {
            marks << found;
        }
    }
    marks.sort();
    return marks;
}

// One line per message of the catalogue that lrelease would not use as it stands (unfinished,
// vanished, obsolete, empty) or that loses a mark of its source.
QStringList catalogueProblems(const QByteArray& catalogue) {
    QStringList problems;
    QXmlStreamReader reader(catalogue);
    QString source;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (reader.name() == QLatin1String("source")) {
            source = reader.readElementText();
        } else if (reader.name() == QLatin1String("translation")) {
            const QString type = reader.attributes().value(QLatin1String("type")).toString();
            const QString text = reader.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!type.isEmpty() || text.isEmpty()) {
                problems << (type.isEmpty() ? QStringLiteral("unfinished") : type) + ": " + source;
            } else if (marksOf(text) != marksOf(source)) {
                problems << "marks lost: " + source;
            }
        }
    }
    if (reader.hasError()) {
        problems << "unreadable: " + reader.errorString();
    }
    return problems;
}

// Copies of the shipped catalogues, brought up to date with the sources as `make translations`
// does, except that removed texts stay (as "vanished").
class RefreshedCatalogues {
public:
    RefreshedCatalogues() {
        const QDir shipped(QStringLiteral(ZARN_RESOURCES_DIR "/translations"));
        QStringList copies;
        for (const QString& name : shipped.entryList({QStringLiteral("zarn_*.ts")}, QDir::Files)) {
            languages << name.mid(5, name.size() - 8);
            copies << folder.filePath(name);
            QFile::copy(shipped.filePath(name), copies.last());
        }
        QProcess lupdate;
        lupdate.start(QStringLiteral(ZARN_LUPDATE),
                      // The include path lets it see the classes, and so the contexts.
                      QStringList{QStringLiteral("@" ZARN_TRANSLATED_SOURCES_LIST),
                                  QStringLiteral("-I"), QStringLiteral(ZARN_SOURCE_ROOT),
                                  QStringLiteral("-locations"), QStringLiteral("none"),
                                  QStringLiteral("-source-language"), QStringLiteral("en"),
                                  QStringLiteral("-ts")} +
                          copies);
        finished = lupdate.waitForFinished(60000) && lupdate.exitStatus() == QProcess::NormalExit &&
                   lupdate.exitCode() == 0;
        lupdate.kill();
        lupdate.waitForFinished();
    }
    QByteArray catalogue(const QString& language) const {
        return contentsOf(folder.filePath("zarn_" + language + ".ts"));
    }

    QTemporaryDir folder;
    QStringList languages;
    bool finished = false;
};

TEST(Catalogues, TranslateEverySourceTextAndKeepItsMarks) {
    const RefreshedCatalogues catalogues;
    ASSERT_TRUE(catalogues.finished);
    EXPECT_EQ(catalogues.languages, shippedLanguages);
    for (const QString& language : catalogues.languages) {
        EXPECT_EQ(catalogueProblems(catalogues.catalogue(language)), QStringList())
            << language.toStdString();
    }
}

// The helper's gettext catalogues, merged with its sources into copies as `make translations`
// does: every text translated, none fuzzy or left over, every %s kept (msgfmt --check).
TEST(Catalogues, TheHelperTranslatesEveryNotificationText) {
    const QTemporaryDir folder;
    const QDir shipped(QStringLiteral(ZARN_RESOURCES_DIR "/translations/helper"));
    QStringList languages;
    for (const QString& name : shipped.entryList({QStringLiteral("*.po")}, QDir::Files)) {
        languages << name.chopped(3);
        QFile::copy(shipped.filePath(name), folder.filePath(name));
    }
    EXPECT_EQ(languages, shippedLanguages);
    const QStringList update{"-DCATALOGUE_DIR=" + folder.path(), "-P",
                             ZARN_UPDATE_HELPER_CATALOGUES};
    ASSERT_EQ(QProcess::execute(ZARN_CMAKE, update), 0);
    for (const QString& language : languages) {
        const QString catalogue = folder.filePath(language + ".po");
        QProcess msgfmt;
        msgfmt.start(ZARN_MSGFMT, {"--check", "--statistics", "-o", "/dev/null", catalogue});
        msgfmt.waitForFinished();
        const QString statistics = QString::fromUtf8(msgfmt.readAllStandardError()) +
                                   (contentsOf(catalogue).contains("\n#~") ? "obsolete" : "");
        static const QRegularExpression onlyTranslated(R"(^[1-9]\d* translated messages?\.\n$)");
        EXPECT_TRUE(msgfmt.exitCode() == 0 && onlyTranslated.match(statistics).hasMatch())
            << language.toStdString() << ": " << statistics.toStdString();
    }
}

TEST(Catalogues, TheCheckFindsWhatLreleaseWouldNotUse) {
    const QByteArray german = RefreshedCatalogues().catalogue(QStringLiteral("de"));
    struct Case {
        const char* change;
        const char* from;
        const char* to;
        QString problem;
    };
    const Case cases[] = {
        {"unfinished", "<translation>Zarn beenden</translation>",
         R"(<translation type="unfinished">Zarn beenden</translation>)", "unfinished: Quit Zarn"},
        {"empty", "<translation>Zarn beenden</translation>", "<translation></translation>",
         "unfinished: Quit Zarn"},
        {"vanished", "<translation>Zarn beenden</translation>",
         R"(<translation type="vanished">Zarn beenden</translation>)", "vanished: Quit Zarn"},
        {"lost mnemonic", "<translation>&amp;Datum/Uhrzeit:</translation>",
         "<translation>Datum/Uhrzeit:</translation>", "marks lost: &Date and time:"},
        {"doubled ampersand", "<translation>&amp;Datum/Uhrzeit:</translation>",
         "<translation>&amp;&amp;Datum/Uhrzeit:</translation>", "marks lost: &Date and time:"},
        {"lost placeholder", "in %3 Std. %4 Min.", "in %3 Std. Min.",
         "marks lost: %1 at %2 — in %3 h %4 min"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        ASSERT_TRUE(german.contains(c.from));
        EXPECT_EQ(catalogueProblems(QByteArray(german).replace(c.from, c.to)),
                  QStringList{c.problem});
    }
}

TEST(Catalogues, TheDesktopEntryAndTheMetainfoSpeakEveryLanguage) {
    const QString desktop = QString::fromUtf8(contentsOf(ZARN_RESOURCES_DIR "/zarn.desktop"));
    const QString metainfo = QString::fromUtf8(contentsOf(ZARN_RESOURCES_DIR "/zarn.metainfo.xml"));
    // The summary and the paragraphs of the description.
    const qsizetype translatable =
        metainfo.count(QLatin1String("<summary>")) + metainfo.count(QLatin1String("<p>"));
    for (const QString& language : shippedLanguages) {
        SCOPED_TRACE(language.toStdString());
        for (const char* key : {"Name", "GenericName", "Comment", "Keywords"}) {
            EXPECT_TRUE(desktop.contains(QString("\n%1[%2]=").arg(key, language))) << key;
        }
        EXPECT_EQ(metainfo.count(QString(R"(xml:lang="%1")").arg(language)), translatable);
    }
}

// Installs the catalogues for `locale` as if it were the user's; the destructor takes them out
// and restores the locale.
class InLocale {
public:
    explicit InLocale(const QString& locale) {
        QLocale::setDefault(QLocale(locale));
        installed = zarn::installTranslators();
    }
    ~InLocale() {
        for (auto* translator :
             qApp->findChildren<QTranslator*>(QString(), Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
        QLocale::setDefault(saved_);
    }
    InLocale(const InLocale&) = delete;
    InLocale& operator=(const InLocale&) = delete;

    int installed = 0;

private:
    const QLocale saved_;
};

// What Qt printed as a warning or worse while collectWarning was the message handler.
QStringList warningsSeen;
void collectWarning(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        warningsSeen << text;
    }
}

class InTheUsersLanguage : public zarn::test::SchedulingFixture {};

TEST_F(InTheUsersLanguage, FormMenuAndDateCheckFollowTheLocaleOrStayEnglish) {
    const bool qtGerman =
        QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm");
    struct Case {
        const char* locale;
        int catalogues;
        QString dateLabel;
        QString quit;
        QString sheet;
    };
    const Case cases[] = {
        {"de_DE", 1 + int(qtGerman), "&Datum/Uhrzeit:", "Zarn beenden",
         "Fehler bei Datum/Uhrzeit|Datum und/oder Uhrzeit müssen in der Zukunft liegen. Bitte "
         "passen Sie sie an"},
        {"C", 0, "&Date and time:", "Quit Zarn",
         "Date/Time Input Error|Date and/or Time must be in future - Please adjust dates"},
        // No catalogue of Zarn's, so none of Qt's either: all English.
        {"sv_SE", 0, "&Date and time:", "Quit Zarn",
         "Date/Time Input Error|Date and/or Time must be in future - Please adjust dates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        // Only loading the catalogues and building the form: the offscreen platform warns
        // about windows it cannot raise.
        warningsSeen.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
        const InLocale locale(QString::fromLatin1(c.locale));
        zarn::AppDelegate delegate(environment);
        qInstallMessageHandler(previous);
        EXPECT_EQ(locale.installed, c.catalogues);
        EXPECT_EQ(warningsSeen, QStringList());

        const Form form(delegate);
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(form.window->findChild<QLabel*>("beginDateLabel")->text(), c.dateLabel);
        EXPECT_EQ(form.window->findChild<QAction*>("quitAction")->text(), c.quit);

        form.beginDate->setDateTime(QDateTime::currentDateTime().addSecs(-60));
        form.scheduleTaskBtn->click();
        const auto sheets = zarn::test::sheetsOn(form.window);
        ASSERT_EQ(sheets.size(), 1);
        EXPECT_EQ(zarn::test::textOf(sheets.first()), c.sheet);
        zarn::test::dismissSheets(form.window);
    }
}

// In German: the state, not the title, decides a press; OK on completion quits; dates are German.
TEST_F(InTheUsersLanguage, GermanPressesFollowTheStateAndDatesReadGerman) {
    const InLocale german(QStringLiteral("de_DE"));
    const icu::Locale oldIcu = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("de_DE"), status);
    const QString check = "|Überprüfen Sie das eingegebene Passwort";
    const QString waiting = "Aufgabe beenden|Ausschalten am 05.01.2098, 15:30";
    // Whether Zarn starts anew, the password, the button and status line, the sheet, a quit.
    const std::tuple<bool, const char*, QString, QString, int> steps[] = {
        {true, "secret", "Aufgabe planen|",
         "Die Planung ist abgeschlossen. Zarn wird jetzt beendet|Ausschalten geplant für: "
         "05.01.2098, 15:30",
         1},
        {true, "falsch", waiting, "Aufgabe NICHT abgebrochen" + check, 0},
        {false, "secret", waiting,
         "Die Aufgabe wurde abgebrochen|Jetzt kann wieder eine Aufgabe geplant werden", 0},
        {false, "", "Aufgabe planen|", "Ausschalten/Neustart/Standby NICHT gestartet" + check, 0},
    };
    std::unique_ptr<zarn::AppDelegate> delegate;
    for (const auto& [launch, password, buttonAndLine, sheet, quits] : steps) {
        if (launch) {
            delegate = std::make_unique<zarn::AppDelegate>(environment);
            delegate->applicationDidFinishLaunching();
            zarn::test::dismissSheets(delegate->window());
        }
        const Form shown(*delegate);
        shown.beginDate->setDateTime(QDateTime(QDate(2098, 1, 5), QTime(15, 30)));
        EXPECT_EQ(shown.scheduleTaskBtn->text() + "|" +
                      shown.scheduledTaskField->text().section(" — ", 0, 0),
                  buttonAndLine);
        shown.enteredPassword->setText(QString::fromUtf8(password));
        QSignalSpy terminate(delegate.get(), &zarn::AppDelegate::terminateRequested);
        shown.scheduleTaskBtn->click();
        EXPECT_EQ(zarn::test::textOf(zarn::test::sheetsOn(shown.window).value(0)), sheet);
        zarn::test::dismissSheets(shown.window);
        EXPECT_EQ(terminate.count(), quits);
    }
    icu::Locale::setDefault(oldIcu, status);
}

TEST_F(InTheUsersLanguage, NoTranslationMakesTheFormWiderThanInEnglish) {
    const auto widthIn = [this](const QString& locale) {
        const InLocale in(locale);
        zarn::AppDelegate delegate(environment);
        return delegate.window()->sizeHint().width();
    };
    const int english = widthIn(QStringLiteral("en_US"));
    for (const QString& language : shippedLanguages) {
        EXPECT_LE(widthIn(language), english) << language.toStdString();
    }
}

} // namespace
