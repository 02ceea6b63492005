#pragma once

// A name server on 127.0.0.1 that reads every query and never answers, for the tests
// that tests/support/silent-dns.sh runs in a private mount namespace whose
// /etc/resolv.conf names only that address.

#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

class SilentNameServer
{
public:
    // True inside silent-dns.sh; elsewhere the tests that need it skip.
    static bool available() { return qEnvironmentVariableIsSet("TAVELORN_TEST_SILENT_DNS"); }

    // Binds port 53, after checking that no query can reach a real name server.
    void start()
    {
        QFile conf(QStringLiteral("/etc/resolv.conf"));
        ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
        ASSERT_EQ(conf.readAll().trimmed(), "nameserver 127.0.0.1");
        ASSERT_TRUE(m_socket.bind(QHostAddress::LocalHost, 53));
        QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] {
            while (m_socket.hasPendingDatagrams()) {
                m_socket.receiveDatagram();
                ++m_queries;
            }
        });
    }

    int queries() const { return m_queries; }
    void resetCount() { m_queries = 0; }

private:
    QUdpSocket m_socket;
    int m_queries = 0;
};
