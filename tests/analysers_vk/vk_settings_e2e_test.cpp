// The VK settings sheet against a simulated analyser on a pseudo-terminal:
// read, edit, send, and read again in a new sheet.
#include "link/LinkTestSupport.h"

#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vk;

struct SimVK : linktest::SimLine {
    SimVK()
    {
        sim::Instrument instrument(sim::Family::VK, 1);
        instrument.identification[2] = 0x06; // COM line
        instrument.identification[3] = 0x0C; // pulse and analog outputs
        instrument.identification[5] = 48;
        instrument.SetVersion(0x23);
        // Settings within the pages' ranges (the simulator's own pattern is not).
        instrument.blocks[0x30] = sim::Bytes(30, 0);
        instrument.blocks[0x14] = sim::Bytes(52, 0);
        StartLine({instrument}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->m_nazev = QStringLiteral("rozvodna");
        entry->SetType(CPristroj::kVK, TRUE);
        EXPECT_TRUE(entry->OpenLink()) << entry->GetErrorText().toStdString();
    }
    ~SimVK() { entry.reset(); }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    std::unique_ptr<CPristroj> entry;
};

void SetText(controllers::CSettingsPage& page, int id, const QString& text)
{
    page.Ctl<QLineEdit>(id)->setText(text);
}

TEST(VKSettingsEndToEndTest, EditSendAndReadAgain)
{
    SimVK sim;
    CPristrojVKSettingsIo io(*sim.entry);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    {
        CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
        ASSERT_TRUE(sheet.ReadFromDevice(io, 0));
        sheet.show();
        sheet.SetActivePage(0);
        SetText(sheet.Instalace(), 1021, QStringLiteral("800"));
        SetText(sheet.Instalace(), 1026, QStringLiteral("ATZ"));
        sheet.SetActivePage(1);
        SetText(sheet.Vystupy(), 1017, QStringLiteral("12.5"));
        sheet.SetActivePage(2);
        SetText(sheet.Zaznam(), 1017, QStringLiteral("Jih"));
        sheet.StorePages();
        CVKSettings& s = sheet.Settings();
        EXPECT_TRUE(sheet.WriteInstalace(s.config, s.modem));
        EXPECT_TRUE(sheet.WriteVystupy(s.outputs));
        EXPECT_TRUE(sheet.WriteArchSettings(s.status, s.notebook));
        sheet.hide();
    }
    CVKDetail again(CVKDetail::TitleFor(io.Name()));
    ASSERT_TRUE(again.ReadFromDevice(io, 0));
    EXPECT_EQ(again.Settings().config.GetNominalPower(), 800);
    EXPECT_EQ(again.Settings().modem, QStringLiteral("ATZ"));
    EXPECT_DOUBLE_EQ(again.Settings().outputs.GetPulseConstant(0), 12.5);
    EXPECT_EQ(again.Settings().notebook.GetRecordName(), QStringLiteral("Jih"));
    for (const auto& request : boxes.Requests())
        ADD_FAILURE() << request.text.toStdString();
}

} // namespace
