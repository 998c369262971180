#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QTcpServer>
#include <map>

namespace zarn::test {

/// What the server sends for one path.
struct HttpResponse {
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    /// Header lines sent as they are after `headers`, so that even megabytes of them take the
    /// server's thread no time to put together.
    QByteArray rawHeaders;
    QByteArray body;
    /// Without it the body is ended by closing the connection.
    bool sendContentLength = true;
    /// Reads the request and then keeps the connection open without a word.
    bool neverAnswer = false;
    /// Sends the answer but leaves the connection open, so the body never ends.
    bool keepOpen = false;
};

/// A tiny HTTP/1.1 server on 127.0.0.1 and a free port, answering GET requests with canned
/// responses; one request per connection, which is closed after the answer. It runs on the event
/// loop of the thread that made it, so a client that waits in a local event loop of that thread
/// is answered. Paths without a response get 404.
class HttpServer {
public:
    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    bool isListening() const { return server_.isListening(); }
    quint16 port() const { return server_.serverPort(); }
    /// "http://127.0.0.1:<port>" followed by `path` (which starts with a slash).
    QString url(const QString& path) const;

    void setResponse(const QString& path, HttpResponse response);
    /// How many requests for `path` (without the query) arrived so far.
    int requestCount(const QString& path) const;

    /// A port on 127.0.0.1 that nobody listened on a moment ago: connecting to it is refused.
    static quint16 unusedPort();

private:
    void accept();
    void answer(QTcpSocket* socket, const QByteArray& request);

    QTcpServer server_;
    std::map<QString, HttpResponse> responses_;
    std::map<QString, int> requestCounts_;
};

} // namespace zarn::test
