#pragma once

#include <QImage>
#include <QMutex>
#include <QPointer>
#include <QQuickImageProvider>

class NowPlayingService;

/// Serves the service's artwork and source icon to QML Image elements:
/// "image://nowplaying/artwork/<artworkID>" and "image://nowplaying/sourceIcon/<n>".
/// The id in the address changes with the picture, so QML reloads it.
/// Snapshots are taken on the main thread; requests may come from QML's loader thread.
class NowPlayingImageProvider final : public QQuickImageProvider {
public:
    explicit NowPlayingImageProvider(NowPlayingService* service);
    ~NowPlayingImageProvider() override;

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    void snapshot();

    QPointer<NowPlayingService> m_service;
    QMutex m_mutex;
    QImage m_artwork;
    QImage m_sourceIcon;
    QList<QMetaObject::Connection> m_connections;
};
