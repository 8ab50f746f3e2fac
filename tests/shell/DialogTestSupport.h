#pragma once

#include "ShellTestSupport.h"

#include "app/Families.h"

#include "link/LinkEnvironment.h"
#include "link/PortList.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"

#include <QDir>

namespace shelltest {

// Puts the entry's boxes through the program's message boxes, so that the
// scripted boxes of a test see and answer them.
class BoxHost : public IPristrojHost {
public:
    bool AskYesNo(QObject*, const QString& text, const QString& caption) override
    {
        return ui::ShowMessageBox(nullptr, text, caption, ui::MsgButtons::YesNo, ui::MsgIcon::Question) ==
               ui::MsgAnswer::Yes;
    }
    void ShowError(QObject*, const QString& text, const QString& caption) override
    {
        ui::ShowMessageBox(nullptr, text, caption, ui::MsgButtons::Ok, ui::MsgIcon::Error);
    }
};

// A store, a port list of two serial ports ("COM1" with a description,
// "COM3" an analyser's USB port without one) and a modem line, and the
// boxing host.
class DialogTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        env->SetPristrojHost(&host);
        ports.Build();
        CPortEntry modem;
        modem.name = QStringLiteral("Modem A");
        modem.kind = kPortKindModem;
        ports.AddModemLine(modem);
    }
    void TearDown() override
    {
        env->SetPristrojHost(nullptr);
        StoreTest::TearDown();
    }

    QString DataFolder() const { return dir.filePath(QStringLiteral("data")); }

    BoxHost host;
    // The entries of a test work here and box through `host`.
    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    CFamilyList families{ProgramFamilies()};
    CPortList ports{[] {
                        std::vector<CSerialPortInfo> list(2);
                        list[0].portName = list[0].devicePath = QStringLiteral("COM1");
                        list[0].description = QStringLiteral("USB");
                        list[1].portName = list[1].devicePath = QStringLiteral("COM3");
                        list[1].usbProduct = QStringLiteral("ZRT VKT 44");
                        return list;
                    },
                    [](const QString&, int value) { return value; }};
};

} // namespace shelltest
