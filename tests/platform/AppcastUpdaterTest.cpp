#include "AppcastUpdater.h"
#include "ManualScheduler.h"
#include "RealPart.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

// The appcast updater against a local https server with certificates made
// for the test by openssl: one the test process trusts, one it does not.
namespace {

const QByteArray newerFeed = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
 <channel><item><title>1.10</title>
  <enclosure url="https://example.org/b-110.tar.gz" sparkle:version="110" sparkle:shortVersionString="1.10"/></item></channel>
</rss>)";

// Answers each request with `answer`, or not at all while it is empty.
class FeedServer {
public:
    /// Serves with the certificate and key at `files`.pem and .key.
    bool start(const QString& files)
    {
        QFile key(files + ".key");
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate::fromPath(files + ".pem").value(0));
        configuration.setPrivateKey(key.open(QIODevice::ReadOnly) ? QSslKey(&key, QSsl::Ec) : QSslKey());
        m_server.setSslConfiguration(configuration);
        QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll(); // the request, small enough to come at once
                    ++requests;
                    if (!answer.isEmpty()) {
                        socket->write(answer);
                        socket->disconnectFromHost();
                    }
                });
            }
        });
        return m_server.listen(QHostAddress::LocalHost);
    }
    QUrl url() const { return QUrl(QStringLiteral("https://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort())); }

    QByteArray answer;
    int requests = 0;

private:
    QSslServer m_server;
};

QByteArray feedResponse(const QByteArray& head, const QByteArray& body = {})
{
    return head + "\r\nConnection: close\r\n\r\n" + body;
}

using AppcastUpdaterTest = TempDirTest;

} // namespace

TEST_F(AppcastUpdaterTest, ANewerItemIsOfferedAndEveryBadOrMissingAnswerFailsWithItsReason)
{
    if (QStandardPaths::findExecutable("openssl").isEmpty())
        BRIMWELL_MISSING_REAL_PART("openssl is missing");
    for (const QString name : { "trusted", "untrusted" }) {
        QProcess openssl;
        openssl.start("openssl",
            QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1 "
                           "-addext subjectAltName=IP:127.0.0.1")
                    .split(u' ')
                + QStringList { "-keyout", path(name + ".key"), "-out", path(name + ".pem") });
        ASSERT_TRUE(openssl.waitForFinished(20000) && openssl.exitCode() == 0);
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(path("trusted.pem"));
    QSslConfiguration::setDefaultConfiguration(configuration);
    UserDefaults defaults(path("settings.ini"));
    ManualScheduler scheduler;
    AppcastUpdater updater(defaults, "27", scheduler, scheduler);
    updater.setAutomaticallyChecksForUpdates(false);
    // Checks `server`'s feed; the failure's reason, or empty.
    const auto check = [&](FeedServer& server) {
        EXPECT_FALSE(updater.startUpdater(server.url()));
        QSignalSpy failed(&updater, &AppcastUpdater::checkFailed);
        updater.checkForUpdates();
        EXPECT_TRUE(QTest::qWaitFor([&] { return updater.canCheckForUpdates(); }, 10000)) << "the check never ended";
        return failed.isEmpty() ? QString() : failed.first().first().toString();
    };

    FeedServer server;
    ASSERT_TRUE(server.start(path("trusted")));
    QSignalSpy found(&updater, &AppcastUpdater::updateFound);
    server.answer = feedResponse("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml", newerFeed);
    EXPECT_EQ(check(server), QString());
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first().first().value<AppcastItem>().shortVersion, "1.10");

    server.answer = feedResponse("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:9/appcast.xml");
    EXPECT_EQ(check(server), "The update feed was redirected away from https.");

    // No length announced: the bound holds on what arrives.
    server.answer = feedResponse("HTTP/1.1 200 OK", QByteArray(AppcastUpdater::longestFeed + 1, ' '));
    EXPECT_EQ(check(server), "The update feed is larger than 1048576 bytes.");
    // Just within the bound, the same body is read (and is no feed).
    server.answer = feedResponse("HTTP/1.1 200 OK", QByteArray(AppcastUpdater::longestFeed, ' '));
    EXPECT_TRUE(check(server).startsWith("The update feed can’t be read"));
    EXPECT_EQ(found.size(), 1);

    FeedServer stranger;
    ASSERT_TRUE(stranger.start(path("untrusted")));
    stranger.answer = server.answer;
    const QString untrusted = check(stranger);
    EXPECT_TRUE(untrusted.startsWith("SSL handshake failed")) << qPrintable(untrusted);
    EXPECT_EQ(stranger.requests, 0);

    // A server that never answers fails the check after thirty seconds.
    FeedServer silent;
    ASSERT_TRUE(silent.start(path("trusted")));
    ASSERT_FALSE(updater.startUpdater(silent.url()));
    QSignalSpy failed(&updater, &AppcastUpdater::checkFailed);
    updater.checkForUpdates();
    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.requests == 1; }, 10000));
    scheduler.advance(AppcastUpdater::transferTimeoutMs - 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_FALSE(updater.canCheckForUpdates());
    scheduler.advance(1);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.first().first().toString(), "The update feed did not answer within 30 seconds.");
    EXPECT_TRUE(updater.canCheckForUpdates());
}
