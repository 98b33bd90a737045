#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns SIGINT and SIGTERM into a normal quit on the event loop, so the
/// stop sequence runs and the exit status is 0. One per process.
class SignalQuitter final : public QObject {
    Q_OBJECT
public:
    explicit SignalQuitter(QObject* parent = nullptr);
    ~SignalQuitter() override;
    Q_DISABLE_COPY_MOVE(SignalQuitter)

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    QSocketNotifier* m_notifier = nullptr;
};
