#pragma once

#include "IslandFeatures.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// The application's actions as QML sees them.
class IslandActionsObject final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the island's window controller")
public:
    explicit IslandActionsObject(IslandActions actions, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandActionsObject)

    /// Shows the settings window.
    Q_INVOKABLE void openSettings();
    /// Ends the application through its stop sequence.
    Q_INVOKABLE void quit();

private:
    IslandActions m_actions;
};
