#pragma once

#include <QByteArray>
#include <QUrl>

/// The web-reading module, libzarn-web.so: the only part of Zarn that links Qt's network library.
/// The application loads it when the version check first reads, so that a start never loads the
/// network stack.
namespace zarn::web {

/// What a read came to; `ok` only for a 2xx answer within the limits, in time.
struct Outcome {
    bool ok = false;
    QByteArray body;
};

/// The file name of the module and the name of its entry point, a ReadFunction.
inline constexpr char moduleFileName[] = "libzarn-web.so";
inline constexpr char readSymbol[] = "zarnWebRead";

/// Reads `*target` (a valid http or https URL) with a network manager of the calling thread and
/// fills `*outcome`: redirects followed unless from https to http, a body over `maxBodyBytes` or
/// no answer within `timeoutMs` is a failure. Blocks the calling thread, which runs an event loop
/// meanwhile.
using ReadFunction = void (*)(const QUrl* target, int timeoutMs, qint64 maxBodyBytes,
                              Outcome* outcome);

} // namespace zarn::web
