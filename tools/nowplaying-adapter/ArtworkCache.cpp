#include "ArtworkCache.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {
// Enough for a player that cycles through a few tracks, small enough to
// keep the adapter's memory flat.
constexpr int keptEntries = 8;
} // namespace

ArtworkCache::ArtworkCache(QObject* parent)
    : QObject(parent)
{
}

ArtworkCache::~ArtworkCache() = default;

std::optional<QString> ArtworkCache::artwork(const QString& url)
{
    if (url.isEmpty())
        return std::nullopt;
    if (const auto it = m_entries.constFind(url); it != m_entries.constEnd())
        return it->base64;

    const QUrl parsed(url);
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("file")) {
        // Only regular files: opening a FIFO blocks for ever, and a device
        // reports size 0 and then reads without end.
        const QFileInfo info(parsed.toLocalFile());
        QFile file(info.absoluteFilePath());
        std::optional<QByteArray> bytes;
        if (info.isFile() && info.size() <= maximumBytes && file.open(QIODevice::ReadOnly))
            bytes = file.read(maximumBytes);
        remember(url, bytes && !bytes->isEmpty() ? bytes : std::nullopt);
    } else if (scheme == QLatin1String("data")) {
        remember(url, decodeDataUrl(url));
    } else if (scheme == QLatin1String("https")) {
        download(url);
    } else {
        remember(url, std::nullopt);
    }
    return m_entries.value(url).base64;
}

std::optional<QByteArray> ArtworkCache::decodeDataUrl(const QString& url)
{
    // data:[<media type>][;base64],<data>
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    if (!url.startsWith(QLatin1String("data:"), Qt::CaseInsensitive) || comma < 0)
        return std::nullopt;
    const QString header = url.mid(5, comma - 5);
    const QByteArray data = url.mid(comma + 1).toUtf8();
    if (header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)) {
        auto decoded
            = QByteArray::fromBase64Encoding(QByteArray::fromPercentEncoding(data), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded || (*decoded).isEmpty() || (*decoded).size() > ArtworkCache::maximumBytes)
            return std::nullopt;
        return *decoded;
    }
    const QByteArray bytes = QByteArray::fromPercentEncoding(data);
    if (bytes.isEmpty() || bytes.size() > ArtworkCache::maximumBytes)
        return std::nullopt;
    return bytes;
}

void ArtworkCache::remember(const QString& url, const std::optional<QByteArray>& bytes)
{
    Entry entry;
    if (bytes)
        entry.base64 = QString::fromLatin1(bytes->toBase64());
    if (!m_entries.contains(url))
        m_order.append(url);
    m_entries.insert(url, entry);
    while (m_order.size() > keptEntries) {
        const QString oldest = m_order.takeFirst();
        if (m_entries.value(oldest).pending) {
            m_order.append(oldest);
            break;
        }
        m_entries.remove(oldest);
    }
}

void ArtworkCache::download(const QString& url)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    Entry entry;
    entry.pending = true;
    m_entries.insert(url, entry);
    m_order.append(url);

    QNetworkRequest request { QUrl(url) };
    // Redirects may not leave https.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(downloadTimeoutMs);
    QNetworkReply* reply = m_network->get(request);
    reply->setReadBufferSize(0);
    // The transfer timeout bounds silence; this bounds the whole download.
    QTimer::singleShot(downloadTimeoutMs, reply, &QNetworkReply::abort);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > maximumBytes || total > maximumBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, url] {
        reply->deleteLater();
        std::optional<QByteArray> bytes;
        const QUrl finalUrl = reply->url();
        if (reply->error() == QNetworkReply::NoError && finalUrl.scheme() == QLatin1String("https")) {
            const QByteArray body = reply->readAll();
            if (!body.isEmpty() && body.size() <= maximumBytes)
                bytes = body;
        }
        remember(url, bytes);
        Q_EMIT loaded(url);
    });
}
