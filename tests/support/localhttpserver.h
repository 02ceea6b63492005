#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for tests: it records every request and answers
// from a table of canned responses (404 for anything else), one request per connection.
// It runs on the thread that created it, so that thread must run its event loop while a
// client waits (the downloads run as jobs on other threads).

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

class TLocalHttpServer
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray target;                    // path and query as sent
        QMap<QByteArray, QByteArray> headers; // names in lower case
    };

    struct Response
    {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        bool sendLength = true; // false: the body ends when the connection closes
    };

    TLocalHttpServer() : m_server(std::make_unique<QTcpServer>())
    {
        QObject::connect(m_server.get(), &QTcpServer::newConnection, m_server.get(),
                         [this] { acceptAll(); });
    }

    bool listen() { return m_server->listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return m_server->serverPort(); }
    QString baseUrl() const
    {
        return QStringLiteral("http://127.0.0.1:") + QString::number(port());
    }

    // Accept connections but never answer them.
    void setSilent(bool silent) { m_silent = silent; }
    // Answer each request only after this many milliseconds.
    void setDelay(int ms) { m_delayMs = ms; }
    void route(const QByteArray& target, const Response& response) { m_routes[target] = response; }
    void route(const QByteArray& target, const QByteArray& body)
    {
        route(target, Response{200, body, {}, true});
    }

    const QList<Request>& requests() const { return m_requests; }
    void clear() { m_requests.clear(); }

private:
    void acceptAll()
    {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            socket->setParent(m_server.get());
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0 || socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                const Request request = parse(buffer->left(end));
                m_requests.append(request);
                if (m_silent)
                    return;
                const Response response =
                    m_routes.value(request.target, Response{404, "not found", {}, true});
                if (m_delayMs > 0)
                    QTimer::singleShot(m_delayMs, socket,
                                       [socket, response] { answer(socket, response); });
                else
                    answer(socket, response);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    static Request parse(const QByteArray& head)
    {
        Request r;
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        r.method = first.value(0);
        r.target = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                r.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                 lines[i].mid(colon + 1).trimmed());
        }
        return r;
    }

    static void answer(QTcpSocket* socket, const Response& response)
    {
        QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + " X\r\n";
        if (response.sendLength)
            out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        for (const auto& [name, value] : response.headers)
            out += name + ": " + value + "\r\n";
        out += "Connection: close\r\n\r\n";
        out += response.body;
        socket->write(out);
        socket->disconnectFromHost();
    }

    std::unique_ptr<QTcpServer> m_server;
    QHash<QByteArray, Response> m_routes;
    QList<Request> m_requests;
    bool m_silent = false;
    int m_delayMs = 0;
};
