#include "tests/support/HttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>
#include <memory>

namespace zarn::test {

namespace {

// Requests of the tests are a few hundred bytes; a client sending more is not one of them.
constexpr qsizetype maxRequestBytes = 16 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpServer::HttpServer() {
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] { accept(); });
    server_.listen(QHostAddress::LocalHost, 0);
}

// The sockets are children of the server and close with it, also those that never got an answer.
HttpServer::~HttpServer() = default;

QString HttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void HttpServer::setResponse(const QString& path, HttpResponse response) {
    responses_[path] = std::move(response);
}

int HttpServer::requestCount(const QString& path) const {
    const auto found = requestCounts_.find(path);
    return found == requestCounts_.end() ? 0 : found->second;
}

quint16 HttpServer::unusedPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) {
        return 0;
    }
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void HttpServer::accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto received = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
            received->append(socket->readAll());
            const qsizetype headerEnd = received->indexOf("\r\n\r\n");
            if (headerEnd >= 0) {
                // One request per connection: later bytes on it are ignored.
                QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
                answer(socket, received->left(headerEnd));
            } else if (received->size() > maxRequestBytes) {
                socket->abort();
            }
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void HttpServer::answer(QTcpSocket* socket, const QByteArray& request) {
    // "GET /path?query HTTP/1.1"
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString target =
        requestLine.size() == 3 ? QString::fromLatin1(requestLine[1]) : QString();
    const QString path = QUrl(target).path();
    ++requestCounts_[path];

    HttpResponse response;
    const auto found = responses_.find(path);
    if (found != responses_.end()) {
        response = found->second;
    } else {
        response.status = 404;
        response.body = "not found";
    }
    if (response.neverAnswer) {
        return;
    }

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                      reasonPhrase(response.status) + "\r\n";
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
    }
    head += response.rawHeaders;
    if (response.sendContentLength) {
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    socket->write(head + response.body);
    if (!response.keepOpen) {
        // Sends what is still buffered before the connection closes.
        socket->disconnectFromHost();
    }
}

} // namespace zarn::test
