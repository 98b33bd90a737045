#include "NetworkWebLoader.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {
// Artwork, not arbitrary downloads: the same bounds as covers read from files.
constexpr qint64 maximumBytes = 5 * 1024 * 1024;
constexpr int maximumMs = 3000;
} // namespace

NetworkWebLoader::NetworkWebLoader(QObject* parent)
    : QObject(parent)
{
}

NetworkWebLoader::~NetworkWebLoader()
{
    for (QNetworkReply* reply : std::as_const(m_replies)) {
        reply->disconnect(this);
        reply->abort();
    }
}

WebLoader::RequestId NetworkWebLoader::load(const QUrl& url, Completion done)
{
    const RequestId id = m_next++;
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setTransferTimeout(maximumMs);
    QNetworkReply* reply = m_network->get(request);
    m_replies.insert(id, reply);
    // Aborting ends in finished() with an error, which reports the failure.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > maximumBytes || total > maximumBytes)
            reply->abort();
    });
    QTimer::singleShot(maximumMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, id, reply, done = std::move(done)] {
        reply->deleteLater();
        if (m_replies.take(id) != reply)
            return;
        if (reply->error() != QNetworkReply::NoError)
            done(std::nullopt, reply->errorString());
        else
            done(reply->readAll(), QString());
    });
    return id;
}

void NetworkWebLoader::cancel(RequestId id)
{
    if (QNetworkReply* reply = m_replies.take(id)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}
