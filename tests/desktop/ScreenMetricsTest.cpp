// The screen as the program sees it, on Qt's offscreen platform.

#include "platform/ScreenMetrics.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

using namespace talmere::platform;

TEST(ScreenMetrics, TheScreenComesFromTheGuiApplication)
{
    const ScreenMetrics none = PrimaryScreenMetrics();
    EXPECT_EQ(none.availableWidth, 0);
    EXPECT_EQ(none.pixelsPerInch, 96.0);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "talmere_platform_tests";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);

    // The offscreen platform has one screen of 800 by 800 pixels at 96 pixels per inch.
    const ScreenMetrics screen = PrimaryScreenMetrics();
    EXPECT_EQ(screen.availableWidth, 800);
    EXPECT_EQ(screen.availableHeight, 800);
    EXPECT_EQ(screen.pixelsPerInch, 96.0);
}
