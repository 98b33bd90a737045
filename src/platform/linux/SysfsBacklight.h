#pragma once

#include "DisplayBrightness.h"

#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QString>

#include <memory>

class QSocketNotifier;

/// The internal panel's backlight under /sys/class/backlight. Set through
/// logind's Session.SetBrightness (no root needed), or by writing the file
/// where that fails and the file is writable. Outside changes are seen
/// without polling: the kernel notifies `actual_brightness` readers on every
/// change, and a watch on `brightness` covers trees that are plain files.
/// Sets never go below the lowest lit value; outside changes are read as
/// they are, 0 included.
class SysfsBacklight final : public DisplayBrightness {
    Q_OBJECT
public:
    /// `root`: the backlight class folder; `systemBus`: where logind answers.
    SysfsBacklight(QString root, QDBusConnection systemBus, QObject* parent = nullptr);
    ~SysfsBacklight() override;
    SysfsBacklight(const SysfsBacklight&) = delete;
    SysfsBacklight& operator=(const SysfsBacklight&) = delete;

    /// Which of the backlight devices under `root` drives the built-in panel:
    /// firmware before platform before raw, a panel connector (eDP, LVDS,
    /// DSI) first within a type. Empty when there is none.
    static QString chooseDevice(const QString& root);

    std::optional<DisplayID> builtInDisplay() const override;
    bool canChangeBrightness(DisplayID display) const override;
    int brightness(DisplayID display, float& level) const override;
    int setBrightness(DisplayID display, float level) override;
    float lowestLevel(DisplayID display) const override;
    int observeChanges(DisplayID display) override;
    void stopObservingChanges(DisplayID display) override;

    /// Statuses besides errno values.
    enum Status { noDevice = -1, noMaximum = -2 };

private:
    QString file(const char* name) const { return m_root + QLatin1Char('/') + m_device + QLatin1Char('/') + QLatin1String(name); }
    int readMaximum(int& maximum) const;
    int writeDirectly(uint value);
    void reportChange();

    QString m_root;
    QDBusConnection m_systemBus;
    QString m_device;
    QFileSystemWatcher m_watch;
    int m_notifyFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::optional<float> m_lastReported;
};
