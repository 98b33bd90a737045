#pragma once

#include <QObject>

/// The island's actions as QML calls them; counts the calls.
class FakeIslandActions final : public QObject {
    Q_OBJECT

public:
    explicit FakeIslandActions(QObject* parent = nullptr) : QObject(parent) {}
    Q_DISABLE_COPY_MOVE(FakeIslandActions)

    Q_INVOKABLE void openSettings() { ++openSettingsCalls; }
    Q_INVOKABLE void quit() { ++quitCalls; }

    int openSettingsCalls = 0;
    int quitCalls = 0;
};
