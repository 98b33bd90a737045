#include "AppcastUpdater.h"

#include "Log.h"
#include "UserDefaults.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace {
const QString automaticKey = QStringLiteral("SUEnableAutomaticChecks");
const QString lastCheckKey = QStringLiteral("SULastCheckTime");
} // namespace

AppcastUpdater::AppcastUpdater(
    UserDefaults& defaults, QString currentVersion, Scheduler& scheduler, Clock& clock, QObject* parent)
    : UpdateFramework(parent)
    , m_defaults(defaults)
    , m_currentVersion(std::move(currentVersion))
    , m_clock(clock)
    , m_automaticCheck(scheduler)
    , m_transferTimeout(scheduler)
{
    m_defaults.registerDefaults({ { automaticKey, true } });
}

AppcastUpdater::~AppcastUpdater()
{
    if (m_reply)
        m_reply->abort();
}

std::optional<QString> AppcastUpdater::startUpdater(const QUrl& feed)
{
    if (feed.scheme() != QLatin1String("https") || feed.host().isEmpty())
        return QStringLiteral("The update feed %1 is not an https address.").arg(feed.toString());
    m_feed = feed;
    m_started = true;
    Q_EMIT canCheckForUpdatesChanged();
    scheduleAutomaticCheck();
    return std::nullopt;
}

bool AppcastUpdater::canCheckForUpdates() const
{
    return m_started && !m_reply;
}

bool AppcastUpdater::automaticallyChecksForUpdates() const
{
    return m_defaults.boolValue(automaticKey);
}

void AppcastUpdater::setAutomaticallyChecksForUpdates(bool value)
{
    if (value == automaticallyChecksForUpdates())
        return;
    m_defaults.setBool(automaticKey, value);
    Q_EMIT automaticallyChecksForUpdatesChanged();
    scheduleAutomaticCheck();
}

void AppcastUpdater::scheduleAutomaticCheck()
{
    m_automaticCheck.cancel();
    if (!m_started || !automaticallyChecksForUpdates())
        return;
    const qint64 now = m_clock.now().toSecsSinceEpoch();
    const qint64 last = qint64(m_defaults.doubleValue(lastCheckKey));
    // A last check in the future (a clock set back) counts as now.
    const qint64 due = std::clamp<qint64>(last + checkIntervalS - now, 0, checkIntervalS);
    QPointer<AppcastUpdater> self(this);
    m_automaticCheck.start(std::chrono::seconds(due), [self] {
        if (self)
            self->check(false);
    });
}

void AppcastUpdater::check(bool userInitiated)
{
    if (!canCheckForUpdates())
        return;
    m_defaults.setDouble(lastCheckKey, double(m_clock.now().toSecsSinceEpoch()));
    QNetworkRequest request(m_feed);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Brimwell/%1").arg(m_currentVersion));
    // Made at the first check: most runs name no feed and never need it.
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    }
    m_reply = m_network->get(request);
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64 total) {
        if (received > longestFeed || total > longestFeed) {
            reply->setProperty("tooLarge", true);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, userInitiated] { finished(reply, userInitiated); });
    // The whole answer within the bound, however slowly it trickles in.
    m_transferTimeout.start(std::chrono::milliseconds(transferTimeoutMs), [reply = QPointer<QNetworkReply>(reply)] {
        if (reply) {
            reply->setProperty("timedOut", true);
            reply->abort();
        }
    });
    Q_EMIT canCheckForUpdatesChanged();
}

void AppcastUpdater::finished(QNetworkReply* reply, bool userInitiated)
{
    reply->deleteLater();
    m_reply = nullptr;
    m_transferTimeout.cancel();
    Q_EMIT canCheckForUpdatesChanged();
    scheduleAutomaticCheck();

    if (reply->property("tooLarge").toBool())
        return fail(QStringLiteral("The update feed is larger than %1 bytes.").arg(longestFeed), userInitiated);
    if (reply->property("timedOut").toBool())
        return fail(
            QStringLiteral("The update feed did not answer within %1 seconds.").arg(transferTimeoutMs / 1000), userInitiated);
    if (reply->error() == QNetworkReply::InsecureRedirectError || reply->url().scheme() != QLatin1String("https"))
        return fail(QStringLiteral("The update feed was redirected away from https."), userInitiated);
    if (reply->error() != QNetworkReply::NoError)
        return fail(reply->errorString(), userInitiated);
    QString error;
    const auto items = Appcast::parse(reply->read(longestFeed + 1), &error);
    if (!items)
        return fail(QStringLiteral("The update feed can’t be read: %1").arg(error), userInitiated);
    const auto newest = Appcast::newestNewerThan(*items, m_currentVersion);
    if (newest) {
        qCInfo(lcApp, "Update available: %s (%s)", qUtf8Printable(newest->shortVersion), qUtf8Printable(newest->version));
        Q_EMIT updateFound(*newest, userInitiated);
    } else if (userInitiated) {
        Q_EMIT upToDate();
    }
}

void AppcastUpdater::fail(const QString& reason, bool userInitiated)
{
    qCWarning(lcApp, "Update check failed: %s", qUtf8Printable(reason));
    if (userInitiated)
        Q_EMIT checkFailed(reason);
}
