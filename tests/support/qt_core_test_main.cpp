// SPDX-License-Identifier: GPL-3.0-or-later
// Test main of the libraries below the windows: an event loop for their Qt objects, no widgets.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
