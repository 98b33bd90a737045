#pragma once

#include "WebLoader.h"

#include <QHash>
#include <QObject>

class QNetworkAccessManager;
class QNetworkReply;

/// Downloads with QNetworkAccessManager, made at the first download (most
/// covers are files); completions arrive on the main thread.
class NetworkWebLoader final : public QObject, public WebLoader {
    Q_OBJECT
public:
    explicit NetworkWebLoader(QObject* parent = nullptr);
    ~NetworkWebLoader() override;
    Q_DISABLE_COPY_MOVE(NetworkWebLoader)

    RequestId load(const QUrl& url, Completion done) override;
    void cancel(RequestId id) override;

private:
    QNetworkAccessManager* m_network = nullptr;
    QHash<RequestId, QNetworkReply*> m_replies;
    RequestId m_next = 1;
};
