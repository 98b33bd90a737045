#pragma once

#include <QObject>

#include <functional>

/// Keeps one copy of the program running per user session, and carries a
/// second launch's "reopen" to the running copy.
class InstanceGuard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    /// Tries to become the running copy. False when another copy already runs.
    virtual bool claim() = 0;
    /// From a second copy: asks the running one to reopen, then calls `done`
    /// (delivered or not, within a short bound).
    virtual void requestReopen(std::function<void()> done) = 0;

Q_SIGNALS:
    /// The running copy was asked to reopen by a later launch.
    void reopenRequested();
};
