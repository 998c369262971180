#pragma once

#include <optional>
#include <string>

namespace zarn::helper {

/// The catalogue language for the user's environment, from LANGUAGE (a colon list), LC_ALL,
/// LC_MESSAGES and LANG (null: unset), in gettext's order: the locale is the first of LC_ALL,
/// LC_MESSAGES and LANG that is set and not empty; LANGUAGE, when not empty, is read instead,
/// except that a locale that is unset, exactly C or POSIX, or not a valid name means English
/// whatever LANGUAGE says. An English, C or POSIX entry met first means English: nothing.
/// Names are checked strictly (ll or lll, optional _CC, .codeset and @modifier, nothing else:
/// no '/', no '..') before they are matched: ll_CC first, then ll. A name that is not valid, or
/// that no catalogue matches, is passed over.
std::optional<std::string> messageLanguage(const char* language, const char* lcAll,
                                           const char* lcMessages, const char* lang);

/// Makes translated() answer in `language`, one of the shipped languages (de, ..., pt_BR, zh_CN),
/// from the catalogues under `catalogueDir`, an absolute folder (UTF-8 output whatever the locale);
/// false when that cannot be set up (then English). Sets LANGUAGE in the environment; the process's
/// own locale stays as it is, so other messages (strerror, say) keep theirs. Call it once, before
/// any other thread starts.
bool useMessageLanguage(const std::string& language, const char* catalogueDir);

/// The translation of `msgid`, or msgid itself (always so before useMessageLanguage succeeded).
/// The sources are read for these calls to find the texts to translate: pass a string literal.
const char* translated(const char* msgid);

} // namespace zarn::helper
