#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

/// Downloads the content of a web address asynchronously.
class WebLoader {
public:
    using RequestId = quint64;
    /// The bytes, or absent with an error description.
    using Completion = std::function<void(const std::optional<QByteArray>& data, const QString& error)>;

    virtual ~WebLoader() = default;
    /// Starts a download; `done` runs once on the main thread unless cancelled.
    virtual RequestId load(const QUrl& url, Completion done) = 0;
    /// Drops a download; its completion never runs. Unknown ids are ignored.
    virtual void cancel(RequestId id) = 0;
};
