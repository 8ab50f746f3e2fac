// The VKT settings sheet against a simulated analyser on a pseudo-terminal:
// read, edit, send the installation and recording groups, and read again
// in a new sheet.
#include "SimVKT.h"

#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTDetailInstalace.h"
#include "analysers_vkt/VKTDetailVystupy.h"
#include "analysers_vkt/VKTDetailZaznam.h"
#include "analysers_vkt/VKTSettingsIo.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vkt;

void Send(controllers::CSettingsPage& page, int button)
{
    QTest::mouseClick(page.findChild<QPushButton*>(QString::number(button)), Qt::LeftButton);
}

TEST(VKTSettingsSim, ReadEditSendAndReadAgain)
{
    vkttest::SimVKT sim;
    CPristrojVKTSettingsIo io(*sim.entry);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    int period = 0;
    {
        CVKTDetail sheet(CVKTDetail::TitleFor(io.Name()));
        ASSERT_TRUE(sheet.ReadFromDevice(io)) << sim.entry->GetErrorText().toStdString();
        sheet.show();
        // The modem's text: the bus address stays, so the instrument still
        // answers where it did.
        sheet.Instalace().Ctl<QLineEdit>(1140)->setText(QStringLiteral("ATZ"));
        Send(sheet.Instalace(), 1142);

        sheet.SetActivePage(2);
        sheet.Zaznam().Ctl<QLineEdit>(1150)->setText(QStringLiteral("Jih"));
        sheet.Zaznam().Ctl<QComboBox>(1162)->setCurrentIndex(8);
        Send(sheet.Zaznam(), 1183);
        period = sheet.Zaznam().Fields().period; // as sent
        sheet.hide();
    }
    EXPECT_EQ(period, 60);
    CVKTDetail again(CVKTDetail::TitleFor(io.Name()));
    ASSERT_TRUE(again.ReadFromDevice(io));
    EXPECT_EQ(again.Instalace().ControlText(1140), QStringLiteral("ATZ"));
    EXPECT_EQ(again.Zaznam().ControlText(1150), QStringLiteral("Jih"));
    EXPECT_EQ(again.Zaznam().Fields().period, 60);
    // Only the questions were asked: nothing failed on the way.
    for (const ui::MessageBoxRequest& box : boxes.Requests())
        EXPECT_NE(box.caption, QStringLiteral("CHYBA")) << box.text.toStdString();
}

} // namespace
