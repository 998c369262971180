// The language of the helper's notifications, and the catalogues built for the tests.

#include "helper/Messages.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using zarn::helper::messageLanguage;

TEST(MessageLanguage, FollowsGettextsOrderAndOnlyNamesAShippedCatalogue) {
    const char* const unset = nullptr;
    const std::optional<std::string> english;
    const struct {
        const char *language, *lcAll, *lcMessages, *lang;
        std::optional<std::string> expected;
    } cases[] = {
        {unset, unset, unset, "de_AT", "de"},
        {unset, unset, unset, "de_DE.UTF-8@euro", "de"},
        {unset, unset, unset, "pt_PT.UTF-8", english}, // not pt_BR
        {unset, "fr_FR", "it_IT", "de_DE", "fr"},
        {"", "", "it_IT", "de_DE", "it"},
        {"sv:pt_PT:zh_CN.GB18030:de", unset, unset, "de_DE", "zh_CN"},
        {"sv", unset, unset, "de_DE", english},
        {"en_GB:de", unset, unset, "de_DE", english},
        {"de", unset, unset, "C.UTF-8", "de"},
        {"de", unset, unset, "C", english},
        {"de", unset, unset, unset, english},
        {"../../tmp/x:de/../x:de_DE/x:DE:de_de:fr", unset, unset, "es_ES", "fr"},
        {"fr", unset, unset, "../../tmp/x", english},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(messageLanguage(c.language, c.lcAll, c.lcMessages, c.lang), c.expected)
            << testing::PrintToString(std::tuple(c.language, c.lcAll, c.lcMessages, c.lang));
    }
}

// What translated() gives in a child that set up `language`: this process stays English.
std::string translatedInChild(const std::string& language, const char* msgid) {
    int fds[2] = {-1, -1};
    const pid_t child = ::pipe(fds) == 0 ? ::fork() : -1;
    if (child == 0) {
        const char* text = zarn::helper::useMessageLanguage(language, ZARN_TEST_LOCALE_DIR)
                               ? zarn::helper::translated(msgid)
                               : "not set up";
        ::_exit(::write(fds[1], text, std::string_view(text).size()) < 0);
    }
    ::close(fds[1]);
    char text[256] = {}; // one short write, so one read
    (void)!::read(fds[0], text, sizeof text - 1);
    ::close(fds[0]);
    if (child > 0) {
        ::waitpid(child, nullptr, 0);
    }
    return text;
}

TEST(MessageLanguage, TranslatedAnswersInTheLanguageSetUpWhateverTheLocale) {
    EXPECT_EQ(translatedInChild("de", "Cancel"), "Abbrechen");
    EXPECT_STREQ(zarn::helper::translated("Cancel"), "Cancel");
}

} // namespace
