#include "Log.h"

#include <QGuiApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// Unit tests run on the offscreen platform with Qt's test paths, so they
// never touch the user's files or need a display. Integration tests that
// need a real X server set QT_QPA_PLATFORM themselves.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRIMWELL_LOG", "stderr");
    QStandardPaths::setTestModeEnabled(true);
    Log::installMessageHandler();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
