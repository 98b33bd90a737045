#pragma once

#include "BatteryStatus.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

class PowerSources;

/// The internal battery's level and charging state, kept current from the
/// power sources' change notifications while started. Main thread only.
class BatteryService final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    /// True while a status is published: started, with an internal battery.
    Q_PROPERTY(bool hasStatus READ hasStatus NOTIFY statusChanged FINAL)
    /// Charge in percent, 0…100; 0 without a status.
    Q_PROPERTY(int level READ level NOTIFY statusChanged FINAL)
    /// The battery is being charged; false without a status.
    Q_PROPERTY(bool isCharging READ isCharging NOTIFY statusChanged FINAL)
    /// The machine runs on external power; false without a status.
    Q_PROPERTY(bool isPluggedIn READ isPluggedIn NOTIFY statusChanged FINAL)
public:
    explicit BatteryService(PowerSources& sources, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(BatteryService)

    /// Follows the power sources and reads the status; does nothing while
    /// already following them.
    void start();
    /// Stops following and publishes no status.
    void stop();
    /// Reads the status and publishes it when it differs from the current one.
    void refresh();
    bool isObserving() const { return m_isObserving; }

    const std::optional<BatteryStatus>& status() const { return m_status; }
    bool hasStatus() const { return m_status.has_value(); }
    int level() const { return m_status ? m_status->level : 0; }
    bool isCharging() const { return m_status && m_status->isCharging; }
    bool isPluggedIn() const { return m_status && m_status->isPluggedIn; }

Q_SIGNALS:
    void statusChanged();

private:
    void publish(const std::optional<BatteryStatus>& status);

    PowerSources& m_sources;
    std::optional<BatteryStatus> m_status;
    // Started: the sources' changes are followed (or, when they cannot be,
    // their one read is awaited).
    bool m_isObserving = false;
};
