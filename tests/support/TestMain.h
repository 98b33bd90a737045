#pragma once

#include "Log.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

// Unit tests run on the offscreen platform with Qt's test paths, so they
// never touch the user's files or need a display. Integration tests that
// need a real X server set QT_QPA_PLATFORM themselves. `Application` is
// QApplication for tests of code that uses widgets (the tray's menu, alerts).
template <typename Application> int runTests(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRIMWELL_LOG", "stderr");
    QStandardPaths::setTestModeEnabled(true);
    Log::installMessageHandler();
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
