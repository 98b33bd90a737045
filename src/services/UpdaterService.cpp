#include "UpdaterService.h"

#include "Log.h"

UpdaterService::UpdaterService(UpdateFramework& controller, BuildInfo build, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_build(std::move(build))
{
    connect(&m_controller, &UpdateFramework::automaticallyChecksForUpdatesChanged, this,
        &UpdaterService::automaticallyChecksForUpdatesChanged);
}

std::optional<QUrl> UpdaterService::feedURL(const QString& value)
{
    const QUrl url(value.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

bool UpdaterService::isPackaged() const
{
    return m_build.packaged;
}

void UpdaterService::start()
{
    if (m_isAvailable)
        return;
    // A second way to update beside apt's would leave the package database behind.
    if (isPackaged()) {
        qCInfo(lcApp, "Updates come from the package manager; the update feed is not read");
        return;
    }
    const auto feed = feedURL(m_build.feedUrl);
    if (!feed) {
        qCWarning(lcApp, "Updates disabled: no SUFeedURL configured");
        return;
    }
    if (const auto error = m_controller.startUpdater(*feed)) {
        qCCritical(lcApp, "Unable to start updater: %s", qUtf8Printable(*error));
        return;
    }
    m_isAvailable = true;
    Q_EMIT isAvailableChanged();
    publishCanCheck(m_controller.canCheckForUpdates());
    connect(&m_controller, &UpdateFramework::canCheckForUpdatesChanged, this,
        [this] { publishCanCheck(m_controller.canCheckForUpdates()); });
}

void UpdaterService::publishCanCheck(bool value)
{
    if (value == m_canCheckForUpdates)
        return;
    m_canCheckForUpdates = value;
    Q_EMIT canCheckForUpdatesChanged();
}

void UpdaterService::checkForUpdates()
{
    if (m_isAvailable)
        m_controller.checkForUpdates();
}
