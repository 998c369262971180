#include "helper/Messages.h"
#include "helper/MessageLanguages.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <libintl.h>

namespace zarn::helper {

namespace {

// The locale that translated() looks its texts up under, or none before useMessageLanguage().
// gettext reads LANGUAGE only under a locale other than "C"; C.UTF-8 comes with the C library
// (Debian's libc-bin), whatever locales were generated, and where it is missing the texts stay
// English. Used per lookup (uselocale), so the process's own locale, and with it strerror() and
// the like, stays as it is.
locale_t messagesLocale = locale_t(nullptr);

bool allOf(std::string_view text, std::size_t least, std::size_t most, auto allowed) {
    return text.size() >= least && text.size() <= most &&
           std::all_of(text.begin(), text.end(), allowed);
}
bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isAlnum(char c) {
    return isLower(c) || isUpper(c) || (c >= '0' && c <= '9');
}

// A locale name of the form ll[_CC][.codeset][@modifier], or C or POSIX with their optional
// codeset: these names alone reach the catalogue lookup.
struct LocaleName {
    std::string_view language;
    std::string_view territory;

    bool english() const { return language == "en" || language == "C" || language == "POSIX"; }
};

std::optional<LocaleName> parseLocaleName(std::string_view name) {
    if (const std::size_t at = name.find('@'); at != std::string_view::npos) {
        if (!allOf(name.substr(at + 1), 1, 32, isAlnum)) {
            return std::nullopt;
        }
        name = name.substr(0, at);
    }
    if (const std::size_t dot = name.find('.'); dot != std::string_view::npos) {
        if (!allOf(name.substr(dot + 1), 1, 32,
                   [](char c) { return isAlnum(c) || c == '-' || c == '_'; })) {
            return std::nullopt;
        }
        name = name.substr(0, dot);
    }
    if (name == "C" || name == "POSIX") {
        return LocaleName{name, {}};
    }
    LocaleName parsed{name, {}};
    if (const std::size_t bar = name.find('_'); bar != std::string_view::npos) {
        parsed = {name.substr(0, bar), name.substr(bar + 1)};
        if (!allOf(parsed.territory, 2, 2, isUpper)) {
            return std::nullopt;
        }
    }
    if (!allOf(parsed.language, 2, 3, isLower)) {
        return std::nullopt;
    }
    return parsed;
}

// The shipped language that `name` asks for: its ll_CC, else its ll, as gettext would look
// them up. A language of another territory is not this one's (pt_PT is not pt_BR).
std::optional<std::string> catalogueFor(const LocaleName& name) {
    const auto shipped = messageLanguages();
    const std::string language(name.language);
    for (const std::string& candidate :
         {name.territory.empty() ? language : language + "_" + std::string(name.territory),
          language}) {
        if (std::find(shipped.begin(), shipped.end(), candidate) != shipped.end()) {
            return candidate;
        }
    }
    return std::nullopt;
}

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

} // namespace

std::span<const std::string_view> messageLanguages() {
    return shippedMessageLanguages;
}

std::optional<std::string> messageLanguage(const char* language, const char* lcAll,
                                           const char* lcMessages, const char* lang) {
    const char* locale = isSet(lcAll) ? lcAll : isSet(lcMessages) ? lcMessages : lang;
    // Without a locale, or with one the C library would not take, the user's programs run in
    // the C locale, and gettext ignores LANGUAGE there (not under C.UTF-8 or en_US, though).
    if (!isSet(locale) || !parseLocaleName(locale) || std::string_view(locale) == "C" ||
        std::string_view(locale) == "POSIX") {
        return std::nullopt;
    }
    std::string_view list = isSet(language) ? language : locale;
    while (!list.empty()) {
        const std::size_t colon = std::min(list.find(':'), list.size());
        const std::optional<LocaleName> name = parseLocaleName(list.substr(0, colon));
        list.remove_prefix(std::min(colon + 1, list.size()));
        if (!name) {
            continue;
        }
        // The texts are written in English: a user who reads it before any other language
        // gets them as they are.
        if (name->english()) {
            return std::nullopt;
        }
        if (std::optional<std::string> found = catalogueFor(*name)) {
            return found;
        }
    }
    return std::nullopt;
}

bool useMessageLanguage(const std::string& language, const char* catalogueDir) {
    const auto shipped = messageLanguages();
    // Only a shipped name and an absolute folder: both become paths the catalogue is read from.
    if (std::find(shipped.begin(), shipped.end(), language) == shipped.end() ||
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
