#include "BatteryService.h"

#include "Log.h"
#include "PowerSources.h"

BatteryService::BatteryService(PowerSources& sources, QObject* parent)
    : QObject(parent)
    , m_sources(sources)
{
    // A stopped service ignores late notifications and stays empty.
    connect(&m_sources, &PowerSources::changed, this, [this] {
        if (m_isObserving)
            refresh();
    });
}

void BatteryService::start()
{
    if (m_isObserving)
        return;
    m_isObserving = true;
    if (!m_sources.startObserving())
        qCCritical(lcApp, "Unable to observe power source changes");
    refresh();
}

void BatteryService::stop()
{
    if (m_isObserving) {
        m_isObserving = false;
        m_sources.stopObserving();
    }
    publish(std::nullopt);
}

void BatteryService::refresh()
{
    publish(BatteryStatus::read(m_sources.snapshot()));
}

void BatteryService::publish(const std::optional<BatteryStatus>& status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusChanged();
}
