#pragma once

#include "IslandActionsObject.h"

/// The island's actions as QML calls them (through `object`); counts the calls.
class FakeIslandActions final {
public:
    FakeIslandActions() = default;
    Q_DISABLE_COPY_MOVE(FakeIslandActions)

    int openSettingsCalls = 0;
    int quitCalls = 0;
    IslandActionsObject object { { [this] { ++openSettingsCalls; }, [this] { ++quitCalls; } } };
};
