// GoogleTest main for the window tests: one QApplication for the whole run, offscreen unless the
// environment chooses a platform. VELLUM_GUI_PLATFORM wins over everything (ctest sets
// QT_QPA_PLATFORM=offscreen for each test), so that a run under Xvfb can ask for "xcb".
#include "application/GuardedApplication.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (const char* platform = std::getenv("VELLUM_GUI_PLATFORM"))
        setenv("QT_QPA_PLATFORM", platform, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    vellum::gui::GuardedApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
