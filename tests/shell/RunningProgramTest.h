#pragma once

#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive/store/VKArchivTestSupport.h"
#include "platform/Time32.h"
#include "shell/MainFrame.h"
#include "support/FakeClock.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <memory>

namespace shelltest {

// The running program with its main window active and a VK archive
// "hala.vk" of three blocks of ten one-minute measurements beside it.
class RunningProgramTest : public StoreTest {
protected:
    // `meterData`: each block starts with the identification of an analyser
    // that keeps meter data (bit 2 of its model word).
    void Start(bool meterData)
    {
        clock.Set(platform::CTime(1710061200));
        CVKArchivData writer;
        writer.SetTimeSource(clock.Source());
        ASSERT_EQ(writer.Create(6 * 600, 10, 60, dir.filePath(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE,
                                TRUE, QStringLiteral("Linka")),
                  1);
        int n = 0;
        for (int b = 0; b < 3; ++b) {
            if (meterData) {
                CIden iden;
                iden.number = 1234;
                iden.model = 0x04;
                writer.AddIdenRecord(iden);
            }
            writer.AddConfigRecord(vktest::VKConfig(400, 100));
            for (int i = 0; i < 10; ++i) {
                clock.Advance(60);
                writer.AddMeasurementRecord(vktest::VKValues(++n));
            }
            clock.Advance(1);
            const int mode = writer.EndBlock(FALSE, TRUE, 60);
            ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
        }
        writer.Close();

        app = std::make_unique<CMavexApp>(QuietEnvironment());
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
        frame = app->MainFrame();
        frame->show();
        Activate();
    }
    // The offscreen platform has no window manager: a closed dialog leaves
    // no window active until the main window is activated again.
    void Activate()
    {
        QApplication::setActiveWindow(frame);
        const QDeadlineTimer deadline(10000);
        while (!frame->isActiveWindow() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(frame->isActiveWindow());
    }
    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        StoreTest::TearDown();
    }

    testsupport::FakeClock clock;
    std::unique_ptr<CMavexApp> app;
    CMainFrame* frame = nullptr;
};

} // namespace shelltest
