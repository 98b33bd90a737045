#pragma once

#include <QString>

/// What keeps a program that sits on screen all day small and quiet: the
/// renderer its Qt Quick windows use and how much of its heap it keeps.
namespace Footprint {

/// Limits glibc to two malloc arenas. Every thread that allocates would
/// otherwise get an arena of its own, and each keeps its freed memory
/// resident. Call first thing in main(), before any thread starts.
void limitMallocArenas();

/// Chooses Qt Quick's software renderer unless the user chose a backend
/// (QT_QUICK_BACKEND or its older name QMLSCENE_DEVICE, QSG_RHI_BACKEND).
/// Call before the first Qt Quick window exists. Returns what renders, for
/// the log.
QString chooseRenderer();

/// Hands the heap's free pages back to the system; for after start-up,
/// when loading the views has left much of it free.
void releaseFreeHeap();

} // namespace Footprint
