// SPDX-License-Identifier: GPL-3.0-or-later
// Test main: one QApplication for the whole executable, widgets drawn off-screen.
#include "support/test_services.h"
#include "ui/application.h"
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's own application object, so that its error handling is under test too.
    DeckrecApplication app(argc, argv);
    // No test may wait on a modal error box.
    app.setDialogs(&SilentDialogs());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
