#include <QCoreApplication>

#include <gtest/gtest.h>

// The window-message tests deliver through the Qt event loop of this thread.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
