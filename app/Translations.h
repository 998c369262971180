#pragma once

namespace zarn {

/// Installs, on the running application, Zarn's catalogue and Qt's own (`qtbase_*` from Qt's
/// translations folder, where installed) for the first of `QLocale()`'s UI languages that Zarn
/// has a catalogue for. An English language met first, or no catalogue at all, keeps the English
/// texts, Qt's included, so the interface is never half translated. Returns how many catalogues
/// it installed (0, 1 or 2). Needs a QCoreApplication; the translators belong to it.
int installTranslators();

/// Whether `QLocale()`'s UI languages, read now, keep Zarn's texts English: exactly when
/// installTranslators() would install nothing.
bool textsAreEnglish();

} // namespace zarn
