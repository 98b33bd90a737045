#pragma once

#include "IslandPanel.h"
#include "Scheduler.h"

#include <functional>
#include <memory>

class PointerState;
class ScreenSource;

/// The platform objects the island runs on; the real ones in the program,
/// fakes in tests. The panel is made only when the island is created.
struct IslandPlatform {
    ScreenSource* screens = nullptr;
    PointerState* pointer = nullptr;
    std::function<std::unique_ptr<IslandPanel>()> makePanel;
    Scheduler* scheduler = &Scheduler::system();
};
