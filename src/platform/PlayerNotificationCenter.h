#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>

/// The notifications media players broadcast on every change of playback,
/// each with a user-information dictionary. Delivered on the main thread.
class PlayerNotificationCenter {
public:
    using ObserverId = quint64;
    using Handler = std::function<void(const QVariantMap& userInfo)>;

    virtual ~PlayerNotificationCenter() = default;
    /// Calls `handler` for every notification named `name` until removed.
    virtual ObserverId addObserver(const QString& name, Handler handler) = 0;
    /// Stops the deliveries of one observer; unknown ids are ignored.
    virtual void removeObserver(ObserverId id) = 0;
};
