#include "LaunchAtLoginService.h"

#include "Log.h"

LaunchAtLoginService::LaunchAtLoginService(LoginItem& item, QObject* parent)
    : QObject(parent)
    , m_item(item)
    , m_status(item.status())
{
}

void LaunchAtLoginService::publish(LoginItemStatus status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged();
}

void LaunchAtLoginService::refreshStatus()
{
    publish(m_item.status());
}

std::optional<QString> LaunchAtLoginService::setEnabled(bool enabled)
{
    const LoginItemStatus current = m_item.status();
    std::optional<QString> error;
    bool changed = false;
    if (enabled && current != LoginItemStatus::enabled) {
        error = m_item.registerItem();
        changed = !error;
        if (changed && m_item.status() == LoginItemStatus::requiresApproval)
            m_item.openSystemSettingsLoginItems();
    } else if (!enabled && (current == LoginItemStatus::enabled || current == LoginItemStatus::requiresApproval)) {
        error = m_item.unregisterItem();
        changed = !error;
    }
    if (changed)
        qCInfo(lcApp, "Launch at login set to %d, status %ld", int(enabled), long(m_item.status()));
    else if (error)
        qCWarning(lcApp, "Unable to change launch at login: %s", qUtf8Printable(*error));
    publish(m_item.status());
    return error;
}
