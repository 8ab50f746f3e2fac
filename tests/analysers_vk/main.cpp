#include <QApplication>

#include <gtest/gtest.h>

// Widgets need a QApplication. The tests run on the offscreen platform, also
// when the test list is read without the test environment.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
