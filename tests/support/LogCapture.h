#pragma once

#include "Log.h"

#include <QStringList>

#include <algorithm>

/// Captures log lines for the life of the object.
class LogCapture {
public:
    LogCapture()
    {
        Log::installMessageHandler();
        Log::setSink([this](const Log::Entry& e) { entries.push_back(e); });
    }
    ~LogCapture() { Log::setSink({}); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList messages() const
    {
        QStringList out;
        for (const auto& e : entries)
            out << e.message;
        return out;
    }
    bool contains(const QString& message) const { return messages().contains(message); }
    /// Some line holds `part`.
    bool mentions(const QString& part) const
    {
        return std::any_of(entries.begin(), entries.end(), [&](const Log::Entry& e) { return e.message.contains(part); });
    }

    std::vector<Log::Entry> entries;
};
