#pragma once

#include "InstanceGuard.h"

#include <QLockFile>
#include <QString>

#include <memory>

class QLocalServer;

/// Single-instance guard over the session-bus name (the application id).
/// The running copy serves org.freedesktop.Application, whose Activate means
/// "reopen". Without a session bus, a lock file in $XDG_RUNTIME_DIR and a
/// local socket beside it do the same job.
class DBusInstanceGuard final : public InstanceGuard {
    Q_OBJECT
public:
    explicit DBusInstanceGuard(QString serviceName, QObject* parent = nullptr);
    ~DBusInstanceGuard() override;
    Q_DISABLE_COPY_MOVE(DBusInstanceGuard)

    bool claim() override;
    void requestReopen(std::function<void()> done) override;

    /// Called by the D-Bus adaptor.
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& action, const QVariantList& parameter, const QVariantMap& platformData);

    /// The object path of the application interface for a service name.
    static QString objectPath(const QString& serviceName);

private:
    bool claimWithLockFile();
    void reopenThroughSocket(std::function<void()> done);
    QString runtimePath(const QString& suffix) const;

    QString m_serviceName;
    bool m_usingBus = false;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
