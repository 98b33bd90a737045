#include "MediaKeyInterceptor.h"

#include "HUDLog.h"
#include "LinuxWording.h"

#include <QPointer>

using namespace std::chrono_literals;

MediaKeyInterceptor::MediaKeyInterceptor(MediaKeyGrabber& grabber, Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_grabber(grabber)
    , m_scheduler(scheduler)
    , m_trustPollTask(scheduler)
{
    m_isTrusted = m_grabber.isTrusted();
    m_grabber.setHandler([this](const Press& press) { return m_handler && m_handler(press); });
    // A keymap change stands in for the system's notice that permissions changed.
    connect(&m_grabber, &MediaKeyGrabber::trustMayHaveChanged, this, &MediaKeyInterceptor::scheduleTrustRefresh);
}

MediaKeyInterceptor::~MediaKeyInterceptor()
{
    m_grabber.setHandler({});
}

void MediaKeyInterceptor::scheduleTrustRefresh()
{
    // Each notice gets its own refresh; none replaces another.
    QPointer<MediaKeyInterceptor> self(this);
    m_scheduler.start(500ms, false, [self] {
        if (self)
            self->refreshTrust();
    });
}

void MediaKeyInterceptor::refreshTrust()
{
    publishTrusted(m_grabber.isTrusted());
    if (m_wantsToRun && m_isTrusted) {
        m_trustPollTask.cancel();
        installTap();
        return;
    }
    removeTap();
    if (!m_wantsToRun) {
        m_trustPollTask.cancel();
        return;
    }
    qCWarning(lcHUD, "%s", LinuxWording::waitingForMediaKeys);
    startTrustPolling();
}

void MediaKeyInterceptor::requestTrust()
{
    publishTrusted(m_grabber.isTrusted());
    if (m_isTrusted)
        qCInfo(lcHUD, "The media keys are free to take");
    else
        qCWarning(lcHUD, "Another program holds the media keys; release them in the desktop's keyboard shortcuts");
}

void MediaKeyInterceptor::startTrustPolling()
{
    if (m_trustPollTask.isPending())
        return;
    m_trustPollTask.startRepeating(2s, [this] {
        if (!m_grabber.isTrusted())
            return;
        m_trustPollTask.cancel();
        refreshTrust();
    });
}

void MediaKeyInterceptor::installTap()
{
    if (m_grabber.isGrabbed())
        return;
    if (!m_grabber.grab()) {
        qCCritical(lcHUD, "%s", LinuxWording::unableToGrabMediaKeys);
        publishActive(false);
        return;
    }
    publishActive(true);
    qCInfo(lcHUD, "Media key interception started");
}

void MediaKeyInterceptor::removeTap()
{
    m_grabber.release();
    publishActive(false);
}

void MediaKeyInterceptor::stop()
{
    m_wantsToRun = false;
    m_trustPollTask.cancel();
    removeTap();
}

void MediaKeyInterceptor::publishTrusted(bool trusted)
{
    if (trusted == m_isTrusted)
        return;
    m_isTrusted = trusted;
    Q_EMIT isTrustedChanged();
}

void MediaKeyInterceptor::publishActive(bool active)
{
    if (active == m_isActive)
        return;
    m_isActive = active;
    Q_EMIT isActiveChanged();
}
