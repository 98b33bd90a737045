#pragma once

#include "DelayedTask.h"
#include "MediaKeyGrabber.h"

#include <QObject>

#include <functional>

/// Takes the volume, mute and brightness keys before the desktop acts on
/// them and hands each press to the handler, which says whether it dealt
/// with it. While it wants to run but the keys are held elsewhere, it
/// checks again every 2 s and takes them as soon as they are free.
class MediaKeyInterceptor final : public QObject {
    Q_OBJECT
    /// The keys can be taken (no other program holds them), as last read.
    Q_PROPERTY(bool isTrusted READ isTrusted NOTIFY isTrustedChanged FINAL)
    /// The keys are taken.
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged FINAL)
public:
    using Key = MediaKey;
    using Press = MediaKeyPress;
    /// True when the press was dealt with and is swallowed.
    using Handler = std::function<bool(const Press&)>;

    MediaKeyInterceptor(MediaKeyGrabber& grabber, Scheduler& scheduler, QObject* parent = nullptr);
    ~MediaKeyInterceptor() override;
    MediaKeyInterceptor(const MediaKeyInterceptor&) = delete;
    MediaKeyInterceptor& operator=(const MediaKeyInterceptor&) = delete;

    /// False where only the desktop can take the keys (Wayland).
    bool canGrab() const { return m_grabber.canGrab(); }
    bool isTrusted() const { return m_isTrusted; }
    bool isActive() const { return m_isActive; }
    bool wantsToRun() const { return m_wantsToRun; }
    bool isWaitingForTrust() const { return m_trustPollTask.isPending(); }

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    /// Switching on: the owner sets this, then calls refreshTrust().
    void setWantsToRun(bool wants) { m_wantsToRun = wants; }
    /// Reads whether the keys are free, and takes or lets go of them.
    void refreshTrust();
    /// Tries to take the keys again now and logs the outcome.
    void requestTrust();
    void stop();

Q_SIGNALS:
    void isTrustedChanged();
    void isActiveChanged();

private:
    void scheduleTrustRefresh();
    void startTrustPolling();
    void installTap();
    void removeTap();
    void publishTrusted(bool trusted);
    void publishActive(bool active);

    MediaKeyGrabber& m_grabber;
    Scheduler& m_scheduler;
    bool m_isTrusted = false;
    bool m_isActive = false;
    Handler m_handler;
    DelayedTask m_trustPollTask;
    bool m_wantsToRun = false;
};
