#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

class QNetworkAccessManager;

/// Cover art for mpris:artUrl values, as base64 text. Local files and data
/// URLs load at once; https downloads run in the background, bounded in size
/// and time. Plain http and other schemes are never fetched. Each address is
/// loaded once; a failure is remembered so it is not retried every change.
class ArtworkCache final : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 maximumBytes = 5 * 1024 * 1024;
    static constexpr int downloadTimeoutMs = 3000;

    explicit ArtworkCache(QObject* parent = nullptr);
    ~ArtworkCache() override;
    Q_DISABLE_COPY_MOVE(ArtworkCache)

    /// The artwork of `url` when it is loaded; starts loading it otherwise.
    std::optional<QString> artwork(const QString& url);

    /// Bytes of a data: URL, or absent when it is malformed.
    static std::optional<QByteArray> decodeDataUrl(const QString& url);

Q_SIGNALS:
    /// A download finished (successfully or not).
    void loaded(const QString& url);

private:
    struct Entry {
        std::optional<QString> base64;
        bool pending = false;
    };
    void remember(const QString& url, const std::optional<QByteArray>& bytes);
    void download(const QString& url);

    QHash<QString, Entry> m_entries;
    QStringList m_order;
    QNetworkAccessManager* m_network = nullptr;
};
