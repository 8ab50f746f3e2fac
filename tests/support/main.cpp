#include <gtest/gtest.h>

#ifdef QORIN_TEST_WIDGETS
#include "platform/ui/ProgramFonts.h"

#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// The one main of the test programs that need a Qt application: widgets
// need a QApplication, queued calls and window messages an event loop of
// the main thread. Widget tests run on the offscreen platform, also when
// the test list is read without the test environment, with the program's
// own faces, as the program draws and prints.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QORIN_TEST_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
#ifdef QORIN_TEST_WIDGETS
    ui::UseProgramFonts();
#endif
    return RUN_ALL_TESTS();
}
