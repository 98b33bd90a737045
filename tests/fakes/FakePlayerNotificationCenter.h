#pragma once

#include "PlayerNotificationCenter.h"

#include <map>

/// Delivers posted notifications to their observers at once.
class FakePlayerNotificationCenter final : public PlayerNotificationCenter {
public:
    ObserverId addObserver(const QString& name, Handler handler) override
    {
        const ObserverId id = m_next++;
        m_observers.emplace(id, std::make_pair(name, std::move(handler)));
        return id;
    }
    void removeObserver(ObserverId id) override { m_observers.erase(id); }

    void post(const QString& name, const QVariantMap& userInfo)
    {
        auto observers = m_observers;
        for (const auto& [id, entry] : observers) {
            if (entry.first == name)
                entry.second(userInfo);
        }
    }
    int observerCount() const { return int(m_observers.size()); }

private:
    ObserverId m_next = 1;
    std::map<ObserverId, std::pair<QString, Handler>> m_observers;
};
