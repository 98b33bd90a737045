#pragma once

#include "WebLoader.h"

#include <map>

/// Keeps downloads pending until the test finishes them.
class FakeWebLoader final : public WebLoader {
public:
    RequestId load(const QUrl& url, Completion done) override
    {
        const RequestId id = m_next++;
        m_pending.emplace(id, std::make_pair(url, std::move(done)));
        requested << url;
        return id;
    }
    void cancel(RequestId id) override { m_pending.erase(id); }

    /// Completes the oldest pending download.
    bool finish(const std::optional<QByteArray>& data, const QString& error = {})
    {
        if (m_pending.empty())
            return false;
        auto done = m_pending.begin()->second.second;
        m_pending.erase(m_pending.begin());
        done(data, error);
        return true;
    }
    int pendingCount() const { return int(m_pending.size()); }

    QList<QUrl> requested;

private:
    RequestId m_next = 1;
    std::map<RequestId, std::pair<QUrl, Completion>> m_pending;
};
