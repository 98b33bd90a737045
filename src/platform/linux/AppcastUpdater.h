#pragma once

#include "Appcast.h"
#include "Clock.h"
#include "DelayedTask.h"
#include "UpdateFramework.h"

#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;
class UserDefaults;

/// Our update framework: reads an RSS appcast over https (certificate
/// errors, plain http and redirects to it are failures; the answer is
/// bounded in size, and in time on the scheduler), compares the newest item's version with this
/// build's and reports what it found. Automatic checks run at most once a
/// day; the last check's time and the automatic-check choice are kept in
/// the user defaults.
class AppcastUpdater final : public UpdateFramework {
    Q_OBJECT
public:
    static constexpr qint64 longestFeed = 1024 * 1024;
    static constexpr int transferTimeoutMs = 30'000;
    static constexpr qint64 checkIntervalS = 24 * 60 * 60;

    AppcastUpdater(UserDefaults& defaults, QString currentVersion, Scheduler& scheduler = Scheduler::system(),
        Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~AppcastUpdater() override;
    Q_DISABLE_COPY_MOVE(AppcastUpdater)

    std::optional<QString> startUpdater(const QUrl& feed) override;
    bool canCheckForUpdates() const override;
    void checkForUpdates() override { check(true); }
    bool automaticallyChecksForUpdates() const override;
    void setAutomaticallyChecksForUpdates(bool value) override;

Q_SIGNALS:
    /// A newer release; `userInitiated` when the user asked for the check.
    void updateFound(const AppcastItem& item, bool userInitiated);
    /// The user's check found nothing newer.
    void upToDate();
    /// The user's check failed (automatic ones only log).
    void checkFailed(const QString& reason);

private:
    void check(bool userInitiated);
    void finished(QNetworkReply* reply, bool userInitiated);
    void fail(const QString& reason, bool userInitiated);
    void scheduleAutomaticCheck();

    UserDefaults& m_defaults;
    QString m_currentVersion;
    Clock& m_clock;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QUrl m_feed;
    bool m_started = false;
    DelayedTask m_automaticCheck;
    DelayedTask m_transferTimeout;
};
