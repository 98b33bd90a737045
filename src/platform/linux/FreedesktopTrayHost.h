#pragma once

#include "TrayHost.h"

#include <QByteArray>
#include <QDBusConnection>

#include <xcb/xcb.h>

class QDBusServiceWatcher;
class QSocketNotifier;

/// The desktop's tray hosts as the freedesktop specifications announce
/// them: the owner of `org.kde.StatusNotifierWatcher` on the session bus
/// (Plasma, the AppIndicator extension, waybar, …) and the owner of the
/// `_NET_SYSTEM_TRAY_S<n>` selection on the X screen (XEmbed trays: tint2,
/// Xfce, LXQt, MATE, …). Both are followed by notices, never polled: the
/// bus's name-owner changes, and XFixes selection events on a connection
/// of its own, read on the GUI thread as they arrive.
class FreedesktopTrayHost final : public TrayHost {
    Q_OBJECT
public:
    /// `display` names the X display whose tray to follow; empty follows none.
    FreedesktopTrayHost(const QDBusConnection& bus, const QByteArray& display, QObject* parent = nullptr);
    ~FreedesktopTrayHost() override;
    Q_DISABLE_COPY_MOVE(FreedesktopTrayHost)

    bool isAvailable() const override { return m_hasWatcher || m_hasXEmbedTray; }
    bool hasStatusNotifierWatcher() const { return m_hasWatcher; }
    bool hasXEmbedTray() const { return m_hasXEmbedTray; }

private:
    void followBus(const QDBusConnection& bus);
    void followX(const QByteArray& display);
    void readX();
    void closeX();
    void setHasWatcher(bool value);
    void setHasXEmbedTray(bool value);

    QDBusServiceWatcher* m_watcher = nullptr;
    // Name-owner changes seen; a late answer to the first question loses to them.
    quint64 m_busChanges = 0;
    xcb_connection_t* m_connection = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    uint8_t m_xfixesEvent = 0;
    bool m_hasWatcher = false;
    bool m_hasXEmbedTray = false;
};
