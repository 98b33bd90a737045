#include "NetworkWebLoader.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

NetworkWebLoader::NetworkWebLoader(QObject* parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
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
    QNetworkRequest request(url);
    request.setTransferTimeout(30000);
    QNetworkReply* reply = m_network->get(request);
    m_replies.insert(id, reply);
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
