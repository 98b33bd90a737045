#pragma once

#include "NowPlayingTrack.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class NowPlayingService;

/// What the Now Playing tab and the status band show for the service's
/// current state: texts, labels, symbols and the bars' colour.
// Not final: QML derives from the types it creates.
class NowPlayingPresentation : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("NowPlayingService.h")
    /// The service shown; null shows the placeholder.
    Q_PROPERTY(NowPlayingService* service READ service WRITE setService NOTIFY serviceChanged FINAL)
    /// True while a track is published.
    Q_PROPERTY(bool hasTrack READ hasTrack NOTIFY changed FINAL)
    /// The track's title, or "Not Playing".
    Q_PROPERTY(QString title READ title NOTIFY changed FINAL)
    /// Artist and album joined by " · ", or the placeholder's hint.
    Q_PROPERTY(QString subtitle READ subtitle NOTIFY changed FINAL)
    /// True while the track plays: the audio bars animate.
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY changed FINAL)
    /// Tooltip and accessibility label of the source button.
    Q_PROPERTY(QString sourceButtonLabel READ sourceButtonLabel NOTIFY changed FINAL)
    /// The audio bars' colour: the accent colour, else white.
    Q_PROPERTY(QColor waveColor READ waveColor NOTIFY changed FINAL)
public:
    explicit NowPlayingPresentation(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(NowPlayingPresentation)

    NowPlayingService* service() const { return m_service; }
    void setService(NowPlayingService* service);

    bool hasTrack() const;
    QString title() const;
    QString subtitle() const;
    bool isPlaying() const;
    QString sourceButtonLabel() const;
    QColor waveColor() const;

    /// "1:15" under an hour, "1:02:05" from an hour on; seconds rounded down.
    Q_INVOKABLE static QString format(double seconds);
    /// Artist and album, absent or empty ones left out, joined by " · ".
    static QString subtitle(const NowPlayingTrack& track);
    /// "Open <name>", or "Open player" without a name.
    static QString sourceButtonLabel(const QString& sourceName);

Q_SIGNALS:
    void serviceChanged();
    void changed();

private:
    QPointer<NowPlayingService> m_service;
    QList<QMetaObject::Connection> m_connections;
};
