#include "AppTestSupport.h"
#include "DialogTestSupport.h"

#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "shell/AddInstrumentDlg.h"
#include "shell/DeviceListCtrl.h"
#include "shell/PristrojeDlg.h"
#include "shell/TaskEditDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

using namespace shelltest;

namespace {

constexpr int kFakeType = 9;

// A family the shell has never heard of: it downloads, identifies as family 0x77 and opens ".fk" files.
CFamilyDescriptor FakeFamily(std::vector<QString>* received = nullptr, std::vector<QString>* opened = nullptr)
{
    CFamilyDescriptor family;
    family.type = kFakeType;
    family.typeText = QStringLiteral("Fake 9");
    family.archiveEnding = QStringLiteral(".fk");
    family.archiveFileTypeName = QStringLiteral("Fake Archiv");
    family.archiveFileTypeId = QStringLiteral("FakeArchiv.Document");
    family.canDownload = true;
    family.usesBusPorts = false;
    family.identifies = [](unsigned f, unsigned) { return f == 0x77; };
    family.addTemplates = [](ui::CDocManager& manager) {
        manager.AddTemplate(std::make_unique<ui::CDocTemplate>(
            999, QStringLiteral("Fake\nFake\n\nFake (*.fk)\n.fk\nFakeArchiv.Document\nFake Archiv"),
            [] { return new ui::CDocument; }, [] { return nullptr; }, [] { return nullptr; }));
    };
    family.receiveData = [received](QWidget*, CPristroj& entry) {
        if (received)
            received->push_back(entry.m_nazev);
    };
    family.openArchive = [opened](ui::CDocManager&, const QString& path) -> ui::CDocument* {
        if (opened)
            opened->push_back(path);
        return nullptr;
    };
    return family;
}

std::vector<CFamilyDescriptor> WithFake(CFamilyDescriptor fake = FakeFamily())
{
    std::vector<CFamilyDescriptor> families = ProgramFamilies();
    families.push_back(std::move(fake));
    return families;
}

class FamilyDescriptorTest : public DialogTest {};

} // namespace

TEST_F(FamilyDescriptorTest, FakeFamilyIsATypeOfTheAddInstrumentDialog)
{
    const CFamilyList withFake(WithFake());
    CPristroj entry(QStringLiteral("COM1"), 1, DataFolder(), TRUE, kFakeType, env);
    CAddInstrumentDlg dlg(withFake, ports, DataFolder(), true);
    dlg.SetEntry(&entry, true, nullptr);
    dlg.open();

    auto* type = dlg.Control<QComboBox>(CAddInstrumentDlg::IdType);
    ASSERT_NE(type, nullptr);
    ASSERT_EQ(type->count(), 6);
    EXPECT_EQ(type->itemText(5), QStringLiteral("Fake 9"));
    EXPECT_EQ(type->currentIndex(), 5);
    // It downloads, so the clock synchronisation is offered.
    EXPECT_TRUE(dlg.Control<QCheckBox>(CAddInstrumentDlg::IdSynchronise)->isEnabled());
    type->setCurrentIndex(0); // Qorin: no synchronisation
    EXPECT_FALSE(dlg.Control<QCheckBox>(CAddInstrumentDlg::IdSynchronise)->isEnabled());
    EXPECT_EQ(withFake.TypeOfIdentification(0x77, 5), kFakeType);
    dlg.reject();
}

TEST_F(FamilyDescriptorTest, FakeFamilyInstrumentsGetTasksAndOthersDoNot)
{
    CDeviceRegistry::InstrumentList instruments;
    for (const auto& [name, type] : {std::pair{"Controller", int(CPristroj::kQorin)}, std::pair{"Fake", kFakeType}}) {
        instruments.push_back(std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, DataFolder(), FALSE, type, env));
        instruments.back()->m_nazev = QString::fromLatin1(name);
    }
    CTaskList tasks;
    const CFamilyList withFake(WithFake());
    CTaskEditDlg dlg(withFake);
    ASSERT_TRUE(dlg.NewTask(instruments, tasks));
    auto* instrument = dlg.Control<QComboBox>(CTaskEditDlg::IdInstrument);
    ASSERT_EQ(instrument->count(), 1);
    EXPECT_EQ(instrument->itemText(0), QStringLiteral("Fake"));

    // Without the family the same instrument gets none.
    CTaskEditDlg without(families);
    EXPECT_FALSE(without.NewTask(instruments, tasks));
}

// Through the application: its instrument list enables "Přijmout data" for
// the fake instrument and hands the click to the family; archive files of
// the family's ending open through it, and its templates are registered.
TEST_F(FamilyDescriptorTest, ApplicationHandsTheFakeFamilyItsInstrumentsAndFiles)
{
    std::vector<QString> received, opened;
    CMavexApp app(QuietEnvironment());
    app.SetFamilies(CFamilyList(WithFake(FakeFamily(&received, &opened))));
    ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
    EXPECT_NE(app.DocManager().FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("FakeArchiv.Document")),
              nullptr);

    for (const auto& [name, type] : {std::pair{"Controller", int(CPristroj::kQorin)}, std::pair{"Fake", kFakeType}}) {
        auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, type,
                                                 app.LinkEnvironment());
        entry->m_nazev = QString::fromLatin1(name);
        entry->m_merit = 0;
        ASSERT_TRUE(app.AdoptInstrument(nullptr, std::move(entry)));
    }
    {
        CPristrojeDlg dlg(app, store);
        dlg.SetList(&app.GetDeviceList());
        dlg.open();
        const struct {
            int row;
            bool receives;
        } rows[] = {{0, false}, {1, true}};
        for (const auto& r : rows) {
            dlg.List()->selectRow(r.row);
            dlg.UpdateButtons();
            EXPECT_EQ(dlg.Button(CPristrojeDlg::IdReceive)->isEnabled(), r.receives) << r.row;
        }
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
        dlg.Button(CPristrojeDlg::IdReceive)->click();
        dlg.reject();
    }
    EXPECT_EQ(received, std::vector<QString>{QStringLiteral("Fake")});

    const QString path = dir.filePath(QStringLiteral("hala.FK"));
    app.OpenArchiveFile(path);
    EXPECT_EQ(opened, std::vector<QString>{path});
    app.ExitInstance();
}
