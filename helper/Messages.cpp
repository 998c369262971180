#include "helper/Messages.h"
#include "helper/MessageLanguages.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <libintl.h>
#include <regex>
#include <sstream>

namespace zarn::helper {

namespace {

// The gettext domain of the helper's texts: catalogues are <dir>/<language>/LC_MESSAGES/zarn.mo.
constexpr const char* messageDomain = "zarn";

// The locale translated() looks its texts up under, none before useMessageLanguage(). gettext
// reads LANGUAGE only under a locale other than "C"; C.UTF-8 comes with the C library whatever
// locales were generated (else the texts stay English). Used per lookup (uselocale), so the
// process's own locale, and with it strerror() and the like, stays as it is.
locale_t messagesLocale = locale_t(nullptr);

// ll[_CC][.codeset][@modifier], or C or POSIX with their optional codeset and modifier: only
// such names reach the catalogue lookup (never a '/' or a "..").
const std::regex localeName(
    "(?:([a-z]{2,3})(?:_([A-Z]{2}))?|C|POSIX)(?:\\.[A-Za-z0-9_-]{1,32})?(?:@[A-Za-z0-9]{1,32})?");

struct LocaleName {
    std::string language; ///< empty for C and POSIX
    std::string territory;
};

std::optional<LocaleName> parseLocaleName(std::string_view name) {
    // Longer than any name the pattern takes: the user's text never reaches the matcher whole.
    std::match_results<std::string_view::const_iterator> parts;
    if (name.size() > 80 || !std::regex_match(name.begin(), name.end(), parts, localeName)) {
        return std::nullopt;
    }
    return LocaleName{parts[1].str(), parts[2].str()};
}

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

} // namespace

std::optional<std::string> messageLanguage(const char* language, const char* lcAll,
                                           const char* lcMessages, const char* lang) {
    const char* locale = isSet(lcAll) ? lcAll : isSet(lcMessages) ? lcMessages : lang;
    // Without a locale, or with one the C library would not take, the user's programs run in
    // the C locale, and gettext ignores LANGUAGE there (not under C.UTF-8 or en_US, though).
    if (!isSet(locale) || !parseLocaleName(locale) || std::string_view(locale) == "C" ||
        std::string_view(locale) == "POSIX") {
        return std::nullopt;
    }
    std::istringstream list(isSet(language) ? language : locale);
    for (std::string entry; std::getline(list, entry, ':');) {
        const std::optional<LocaleName> name = parseLocaleName(entry);
        if (!name) {
            continue;
        }
        // The texts are written in English: a user who reads it before any other language
        // gets them as they are.
        if (name->language.empty() || name->language == "en") {
            return std::nullopt;
        }
        // Its ll_CC, else its ll, as gettext looks them up: pt_PT is not pt_BR.
        const std::string& ll = name->language;
        for (const std::string& candidate :
             {name->territory.empty() ? ll : ll + "_" + name->territory, ll}) {
            if (std::ranges::find(shippedMessageLanguages, candidate) !=
                std::end(shippedMessageLanguages)) {
                return candidate;
            }
        }
    }
    return std::nullopt;
}

bool useMessageLanguage(const std::string& language, const char* catalogueDir) {
    // Only a shipped name and an absolute folder: both become paths the catalogue is read from.
    if (std::ranges::find(shippedMessageLanguages, language) == std::end(shippedMessageLanguages) ||
        catalogueDir == nullptr || *catalogueDir != '/') {
        return false;
    }
    const locale_t locale =
        ::newlocale(LC_CTYPE_MASK | LC_MESSAGES_MASK, "C.UTF-8", locale_t(nullptr));
    if (locale == locale_t(nullptr)) {
        return false;
    }
    if (::setenv("LANGUAGE", language.c_str(), 1) != 0 ||
        ::bindtextdomain(messageDomain, catalogueDir) == nullptr ||
        ::bind_textdomain_codeset(messageDomain, "UTF-8") == nullptr) {
        ::freelocale(locale);
        return false;
    }
    if (messagesLocale != locale_t(nullptr)) {
        ::freelocale(messagesLocale);
    }
    messagesLocale = locale;
    return true;
}

const char* translated(const char* msgid) {
    if (messagesLocale == locale_t(nullptr)) {
        return msgid;
    }
    const locale_t previous = ::uselocale(messagesLocale);
    const char* text = ::dgettext(messageDomain, msgid);
    ::uselocale(previous);
    return text;
}

} // namespace zarn::helper
