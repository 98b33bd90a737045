#pragma once

#include "LoginItem.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

/// Starts the program at login, or stops doing so, through the platform's
/// login item, and publishes how that item stands.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class LaunchAtLoginService : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    /// The login item's status as last read, numbered as LoginItemStatus.
    Q_PROPERTY(int status READ statusValue NOTIFY statusChanged FINAL)
    /// The item waits for the user's approval.
    Q_PROPERTY(bool requiresApproval READ requiresApproval NOTIFY statusChanged FINAL)
    /// Enabled, or waiting for the user's approval.
    Q_PROPERTY(bool isEnabled READ isEnabled NOTIFY statusChanged FINAL)
public:
    /// The status starts as the item's current one.
    explicit LaunchAtLoginService(LoginItem& item, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(LaunchAtLoginService)

    LoginItemStatus status() const { return m_status; }
    int statusValue() const { return int(m_status); }
    bool requiresApproval() const { return m_status == LoginItemStatus::requiresApproval; }
    bool isEnabled() const { return m_status == LoginItemStatus::enabled || m_status == LoginItemStatus::requiresApproval; }
    LoginItem& service() const { return m_item; }

    /// Reads the item's status again and publishes it.
    Q_INVOKABLE void refreshStatus();
    /// Registers or unregisters the item; the failure's description when
    /// that fails. The status is read again in every case.
    std::optional<QString> setEnabled(bool enabled);
    /// For QML: setEnabled(), with an empty text on success.
    Q_INVOKABLE QString changeEnabled(bool enabled) { return setEnabled(enabled).value_or(QString()); }
    /// Where the user approves login items.
    Q_INVOKABLE void openSystemSettingsLoginItems() { m_item.openSystemSettingsLoginItems(); }

Q_SIGNALS:
    void statusChanged();

private:
    void publish(LoginItemStatus status);

    LoginItem& m_item;
    LoginItemStatus m_status;
};
