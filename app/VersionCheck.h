#pragma once

#include "app/BuildConfig.h"

#include <QString>
#include <optional>

namespace zarn {

/// The whole body at `url` (http or https), decoded as strict UTF-8, or nothing: a malformed URL,
/// no answer within `timeoutMs` (it returns then, however much the server is still sending), a
/// status other than 2xx, a body over 64 KiB or not UTF-8. Redirects are followed unless they lead
/// from https to http; a leading byte order mark is dropped. Blocks the caller; the windows keep
/// painting but take no user input meanwhile.
std::optional<QString> fetchURLString(const QString& url, int timeoutMs = 60000);

/// Hands `url` to the desktop to open; false when it is malformed or nothing accepted it.
bool openURLString(const QString& url);

/// The running application's short version ("1.0.0").
QString bundleShortVersion();

/// Fetches the version file at `versionFileUrl`, compares it with `runningVersion` (ordinal on
/// UTF-16 units, nothing trimmed) and tells the user in an application-modal alert; on a newer
/// version the alert can open `productWebPageUrl`. A file that cannot be read gets the "Version
/// check failed." alert. Waits up to `timeoutMs` (a minute) for the web site, whatever it sends.
void checkForNewVersion(
    const QString& versionFileUrl, const QString& runningVersion = bundleShortVersion(),
    const QString& productWebPageUrl = QString::fromUtf8(build::ProductWebPageURL),
    int timeoutMs = 60000);

/// How a fetched version is shown in a message: on one line (every run of white space and control
/// characters becomes one blank, none at either end) and at most 64 characters, a longer text
/// cut with "…". A version file that is a whole web page must not make an alert that cannot fit.
QString shownVersion(const QString& version);

/// Opens `productWebPageUrl`; a sheet on the main window says so when that is not possible.
void openProductWebPage(const QString& productWebPageUrl);

} // namespace zarn
