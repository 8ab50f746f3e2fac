// The VKT settings sheet against a simulated analyser on a pseudo-terminal:
// read, edit, send the installation and recording groups, and read again
// in a new sheet.
#include "link/LinkTestSupport.h"

#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTDetailInstalace.h"
#include "analysers_vkt/VKTDetailVystupy.h"
#include "analysers_vkt/VKTDetailZaznam.h"
#include "analysers_vkt/VKTSettingsIo.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vkt;

struct SimVKTSettings : linktest::SimLine {
    SimVKTSettings()
    {
        sim::Instrument instrument(sim::Family::VKT, 1);
        StartLine({instrument}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->m_nazev = QStringLiteral("Trafostanice");
        entry->m_merit = 0;
        entry->SetType(CPristroj::kVKT, TRUE);
        EXPECT_TRUE(entry->OpenLink()) << entry->GetErrorText().toStdString();
    }
    ~SimVKTSettings() { entry.reset(); }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    std::unique_ptr<CPristroj> entry;
};

void Send(controllers::CSettingsPage& page, int button)
{
    QTest::mouseClick(page.findChild<QPushButton*>(QString::number(button)), Qt::LeftButton);
}

TEST(VKTSettingsSim, ReadEditSendAndReadAgain)
{
    SimVKTSettings sim;
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
        period = sheet.Zaznam().Fields().period;
        Send(sheet.Zaznam(), 1183);
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
