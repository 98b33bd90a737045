#pragma once

#include <QString>

/// What keeps a program that sits on screen all day small and quiet.
namespace Footprint {

/// Chooses Qt Quick's software renderer unless the user chose a backend
/// (QT_QUICK_BACKEND or its older name QMLSCENE_DEVICE, QSG_RHI_BACKEND).
/// Call before the first Qt Quick window exists. Returns what renders, for
/// the log.
QString chooseRenderer();

} // namespace Footprint
