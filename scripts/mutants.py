# Hand-made faults for scripts/mutation-run: each entry is (file, text, its
# faulty replacement, the tests that should catch it as a ctest -R pattern,
# the targets to build for them). They are the slips a developer makes: a
# bound moved by one, a comparison that includes its end, a rounding turned
# the other way, a guard dropped.
M = [
 ("src/features/clipboard/ClipboardService.cpp", "if (history.size() > historyLimit)", "if (history.size() > historyLimit + 1)", "clipboard_tests", "clipboard_tests"),
 ("src/features/clipboard/ClipboardService.cpp", "if (text.size() > longestText ||", "if (text.size() >= longestText ||", "clipboard_tests", "clipboard_tests"),
 ("src/features/battery/BatteryIndicatorLogic.cpp", "if (level > 20 || isPluggedIn)", "if (level >= 20 || isPluggedIn)", "battery_tests|island_views", "battery_tests island_views_x11_tests"),
 ("src/platform/linux/MprisPlayerChoice.cpp", "        it->paused = ++m_sequence;", "        it->paused = it->paused ? it->paused : ++m_sequence;", "mpris|nowplaying_tests", "nowplaying_tests"),
 ("src/features/nowplaying/ArtworkDecoder.cpp", "if (!info.isFile() || info.size() > maximumBytes) {", "if (!info.isFile() || info.size() >= maximumBytes) {", "nowplaying_tests", "nowplaying_tests"),
 ("src/features/calendar/CalendarEventRowText.cpp", "event.startDate <= *now && *now < event.endDate", "event.startDate <= *now && *now <= event.endDate", "calendar_tests", "calendar_tests"),
 ("src/core/MinuteTicker.cpp", "Scheduler::Duration(60'000 - msecsIntoMinute(now))", "Scheduler::Duration(60'000 - msecsIntoMinute(now) + 1000)", "clock_tests|calendar_tests|core_tests", "clock_tests calendar_tests core_tests"),
 ("src/platform/linux/UPowerPowerSources.cpp", "(isDisplayDevice || device.powerSupply == true)", "(isDisplayDevice || device.powerSupply != false)", "upower|platform_power", "platform_upower_tests platform_power_tests"),
 ("src/services/SettingsStore.cpp", "doubleValue(QStringLiteral(\"hudDuration\")), 0.5, 4.0)", "doubleValue(QStringLiteral(\"hudDuration\")), 0.5, 5.0)", "services_tests", "services_tests"),
 ("src/platform/linux/Appcast.cpp", "if (compareVersions(item.version, current) > 0 &&", "if (compareVersions(item.version, current) >= 0 &&", "shell_tests|platform_updates", "shell_tests platform_updates_tests"),
 ("src/platform/linux/SysfsBacklight.cpp", "return uint(std::max((qint64(maximum) + 99) / 100, qint64(1)));", "return uint(std::max(qint64(maximum) / 100, qint64(1)));", "backlight|hud_tests", "platform_backlight_tests hud_tests"),
 ("src/platform/linux/DBusPropertyMirror.cpp", "        m_values.remove(name);\n    readAll();", "    readAll();", "upower", "platform_upower_tests"),
 ("src/island/IslandLayout.cpp", "const qreal band = std::max(topPanel - 4, qreal(20));", "const qreal band = std::max(topPanel - 4, qreal(19));", "island_tests", "island_tests"),
 ("src/features/calendar/CalendarEventRowText.cpp", "std::ceil(double(now.msecsTo(start)) / 60000.0)", "std::round(double(now.msecsTo(start)) / 60000.0)", "calendar_tests", "calendar_tests"),
 ("src/platform/linux/Appcast.cpp", "return ln.size() < rn.size() ? -1 : 1;", "return ln.size() < rn.size() ? 1 : -1;", "shell_tests|platform_updates", "shell_tests platform_updates_tests"),
 ("src/island/IslandWindowController.cpp", "        if (!m_panel->leaveIsFinal())\n            openAfterHoverDelay();", "        openAfterHoverDelay();", "island_tests", "island_tests"),
 ("src/platform/linux/X11Clipboard.cpp", 'markerValue(passwordHintType).trimmed() == "secret"', 'markerValue(passwordHintType) == "secret"', "platform_x11_tests", "platform_x11_tests"),
 ("src/features/activities/ActivityService.cpp", "if (ofCaller >= maxPerCaller)", "if (ofCaller > maxPerCaller)", "activities_tests", "activities_tests"),
 ("src/features/activities/LiveActivity.cpp", "durationText((*endsAtMs - nowMs + 999) / 1000)", "durationText((*endsAtMs - nowMs) / 1000)", "activities_tests", "activities_tests"),
 ("src/features/activities/ActivityService.cpp", "    if (entry->live.owned && entry->live.caller != caller) {", "    if (entry->live.caller != caller) {", "activities_tests", "activities_tests"),
 ("src/features/activities/ActivityHints.cpp", "if (endsAt < nowMs)", "if (endsAt <= nowMs)", "activities_tests", "activities_tests"),
 ("src/features/activities/ActivityService.cpp", "        if (entry->live.owned && entry->live.caller == caller)\n            owned.append", "        if (entry->live.caller == caller)\n            owned.append", "activities_tests", "activities_tests"),
 ("src/features/activities/ActivityService.cpp", "if (entry.lastShownMs && now - *entry.lastShownMs < minShowInterval.count()) {", "if (entry.lastShownMs && now - *entry.lastShownMs < minShowInterval.count() / 2) {", "activities_tests", "activities_tests"),
 ("src/platform/linux/WaylandIslandPanel.cpp", "zwlr_layer_surface_v1_set_exclusive_zone(m_client->layerSurface, m_overTopPanels ? -1 : 0);", "zwlr_layer_surface_v1_set_exclusive_zone(m_client->layerSurface, -1);", "app_native_wayland", "brimwell app_native_wayland_tests"),
 ("src/platform/linux/WaylandIslandPanel.cpp", "        return qreal(output->modePixels.width()) / output->logical.width();", "        return output->integerScale;", "app_native_wayland", "brimwell app_native_wayland_tests"),
 ("src/platform/linux/WaylandIslandPanel.cpp", "    if (!client->dragOffer || surface != client->surface || client->dragSource)", "    if (!client->dragOffer || surface != client->surface)", "app_native_wayland", "brimwell app_native_wayland_tests"),
 ("src/island/IslandWindowController.cpp", "!m_pointer.isPrimaryButtonPressed() && !m_panel->isDraggingOut())", "!m_pointer.isPrimaryButtonPressed())", "app_native_wayland", "brimwell app_native_wayland_tests"),
]

