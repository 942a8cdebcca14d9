// Widget tests run without a display and never touch the user's settings.
#include "tests/TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static qv::test::TempDir config;
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", config.Path().c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
