#pragma once

#include "Clock.h"
#include "DelayedTask.h"
#include "NowPlayingTrack.h"
#include "Scheduler.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <optional>

class NowPlayingService;

/// The progress row: the live position on a 0.05 s timeline that runs only
/// while the track plays, the two time labels, the bar's fraction, and
/// drag-to-seek (the labels follow the drag; release seeks the service).
// Not final: QML derives from the types it creates.
class NowPlayingProgress : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("NowPlayingService.h")
    /// The service whose track is shown and sought.
    Q_PROPERTY(NowPlayingService* service READ service WRITE setService NOTIFY serviceChanged FINAL)
    /// Position in seconds shown now (the drag's while dragging).
    Q_PROPERTY(double position READ position NOTIFY positionChanged FINAL)
    /// position / duration in 0…1; 0 without a duration.
    Q_PROPERTY(double fraction READ fraction NOTIFY positionChanged FINAL)
    /// format(position), or "--:--" without a duration.
    Q_PROPERTY(QString elapsedLabel READ elapsedLabel NOTIFY positionChanged FINAL)
    /// "-" and the time left, or "--:--" without a duration.
    Q_PROPERTY(QString remainingLabel READ remainingLabel NOTIFY positionChanged FINAL)
    /// True when the track has a duration, so the bar can be dragged.
    Q_PROPERTY(bool canSeek READ canSeek NOTIFY positionChanged FINAL)
    /// True while the timeline redraws (playing, moving, not dragging).
    Q_PROPERTY(bool isTimelineRunning READ isTimelineRunning NOTIFY timelineRunningChanged FINAL)
    /// False while the row is not shown: the timeline then stays still.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged FINAL)
    /// The bar's accessibility label.
    Q_PROPERTY(QString accessibleName READ accessibleName CONSTANT FINAL)
public:
    static constexpr auto timelineInterval = std::chrono::milliseconds(50);

    explicit NowPlayingProgress(QObject* parent = nullptr);
    NowPlayingProgress(Scheduler& scheduler, Clock& clock, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(NowPlayingProgress)

    NowPlayingService* service() const { return m_service; }
    void setService(NowPlayingService* service);

    double position() const;
    double fraction() const;
    QString elapsedLabel() const;
    QString remainingLabel() const;
    bool canSeek() const;
    bool isTimelineRunning() const { return m_timeline.isPending(); }
    QString accessibleName() const { return QStringLiteral("Playback position"); }

    /// The slider moved to `fraction`; ignored without a duration.
    Q_INVOKABLE void drag(double fraction);
    /// The slider was released: seeks to fraction × duration when the
    /// duration is known, and ends the drag in every case.
    Q_INVOKABLE void endDrag();
    /// Ends a drag that was taken away, without seeking.
    Q_INVOKABLE void cancelDrag();
    bool isActive() const { return m_active; }
    void setActive(bool active);

Q_SIGNALS:
    void activeChanged();
    void serviceChanged();
    void positionChanged();
    void timelineRunningChanged();

private:
    std::optional<NowPlayingTrack> track() const;
    std::optional<double> duration() const;
    void refresh();

    Clock& m_clock;
    QPointer<NowPlayingService> m_service;
    QMetaObject::Connection m_trackConnection;
    std::optional<double> m_dragFraction;
    bool m_active = true;
    DelayedTask m_timeline;
};
