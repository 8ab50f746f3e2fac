#include "DialogTestSupport.h"

#include "platform/WindowMessage.h"
#include "shell/DeviceListCtrl.h"
#include "shell/PristrojeDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QStyle>
#include <QPushButton>
#include <QScrollBar>

#include <set>

using namespace shelltest;

namespace {

// The application around the dialog: panels, the instrument list for the
// entry's collision checks, and what the dialog hands on.
class FakeApp : public BoxHost, public IPristrojeDlgHost {
public:
    std::vector<CPristroj*> Instruments() override
    {
        std::vector<CPristroj*> all;
        for (auto& e : *list)
            all.push_back(e.get());
        return all;
    }
    bool IsPanelOpen(CPristroj& entry) override { return panels.count(&entry) != 0; }
    void ClosePanel(CPristroj& entry) override { panels.erase(&entry); }
    void OpenPanel(CPristroj& entry) override { panels.insert(&entry); }
    bool AddInstrument(QWidget*) override { return false; }
    bool EditInstrument(QWidget*, CPristroj& copy, CPristroj&) override
    {
        copy.m_nazev = QStringLiteral("Renamed");
        return true;
    }
    void OpenSettings(QWidget*, CPristroj&, QPointer<QDialog>&) override {}
    void ReceiveData(CPristroj& entry) override { received.push_back(entry.m_nazev); }
    bool CanReceiveData(const CPristroj& entry) const override { return families.CanDownload(entry.GetType()); }
    CFamilyList families{ProgramFamilies()};
    void RemoveInstrumentTasks(const QString& name) override { removedTasks.push_back(name); }

    CDeviceRegistry::InstrumentList* list = nullptr;
    std::set<CPristroj*> panels;
    QStringList received;
    QStringList removedTasks;
};

class PristrojeDlgTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        app.list = &instruments;
        env->SetPristrojHost(&app);
        const struct {
            const char* name;
            const char* port;
            short address;
            int type;
            BOOL measure;
        } rows[] = {
            {"Meter", "COM3", 7, CPristroj::kQorin, 1},
            {"Analyser", "COM1", 2, CPristroj::kVK, 0},
            {"Thermal", "COM1", 3, CPristroj::kVKT, 1},
        };
        for (const auto& r : rows) {
            auto e = std::make_unique<CPristroj>(QString::fromLatin1(r.port), 1, DataFolder(), TRUE, r.type, env);
            e->m_nazev = QString::fromLatin1(r.name);
            e->m_adresa = r.address;
            e->m_merit = r.measure;
            e->m_zaznamenavat = 0;
            CDeviceRegistry::SaveDeviceSettings(store, *e);
            instruments.push_back(std::move(e));
        }
        dlg = std::make_unique<CPristrojeDlg>(app, store);
        dlg->SetList(&instruments);
    }
    void TearDown() override
    {
        dlg.reset();
        DialogTest::TearDown();
    }
    void Click(int row, int column)
    {
        platform::SendMessageTo(dlg.get(), platform::WM_DEVICE_LIST_CHECK, static_cast<std::uintptr_t>(row), column);
    }
    CPristroj& At(int row) { return *instruments[static_cast<std::size_t>(row)]; }

    FakeApp app;
    CDeviceRegistry::InstrumentList instruments;
    std::unique_ptr<CPristrojeDlg> dlg;
};

} // namespace

TEST_F(PristrojeDlgTest, RowsAndButtonsFollowTheListAndTheSelection)
{
    CDeviceListCtrl& list = *dlg->List();
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.item(0, 0)->text(), QStringLiteral("Meter (COM3,7)"));
    EXPECT_EQ(list.horizontalHeaderItem(4)->text(), QStringLiteral("Pl.okno"));
    EXPECT_EQ(list.Flags(0), CDeviceListCtrl::kMeasure | CDeviceListCtrl::kShow);

    for (int id : {CPristrojeDlg::IdProperties, CPristrojeDlg::IdRemove, CPristrojeDlg::IdSettings,
                   CPristrojeDlg::IdReceive})
        EXPECT_FALSE(dlg->Button(id)->isEnabled()) << id;
    const bool receives[] = {false, true, true};
    for (int row = 0; row < 3; ++row) {
        list.selectRow(row);
        EXPECT_TRUE(dlg->Button(CPristrojeDlg::IdProperties)->isEnabled());
        EXPECT_EQ(dlg->Button(CPristrojeDlg::IdReceive)->isEnabled(), receives[row]) << row;
    }
}

// The name column and the four check columns are all in sight at once,
// without a horizontal scroll bar, also when the dialog is made wider; each
// check column shows its header whole ("Zobrazení", not "obrazer").
TEST_F(PristrojeDlgTest, NameAndCheckColumnsFitTheList)
{
    dlg->show();
    for (const int extra : {0, 300}) {
        dlg->resize(dlg->sizeHint().width() + extra, dlg->sizeHint().height());
        QCoreApplication::processEvents();
        CDeviceListCtrl& list = *dlg->List();
        EXPECT_FALSE(list.horizontalScrollBar()->isVisible()) << extra;
        EXPECT_LE(list.columnViewportPosition(4) + list.columnWidth(4), list.viewport()->width()) << extra;
        EXPECT_GE(list.columnWidth(0), CDeviceListCtrl::kNameWidth - 40) << extra;
        const QHeaderView* header = list.horizontalHeader();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int column = 1; column < 5; ++column) {
            const QString text = list.horizontalHeaderItem(column)->text();
            EXPECT_GE(list.columnWidth(column), CDeviceListCtrl::kCheckWidth) << extra;
            EXPECT_GE(list.columnWidth(column), header->fontMetrics().horizontalAdvance(text) + 2 * margin)
                << extra << " " << text.toStdString();
        }
    }
}

TEST_F(PristrojeDlgTest, ChecksOfAnInstrumentThatIsNotMeasuringChangeNothingButActivity)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    for (int column : {2, 3, 4, 5, 0})
        Click(1, column);
    Click(7, 1);
    EXPECT_TRUE(boxes.Requests().empty());
    EXPECT_EQ(dlg->List()->Flags(1), CDeviceListCtrl::kShow);
    EXPECT_TRUE(app.panels.empty());
}

TEST_F(PristrojeDlgTest, ActivityOffClosesThePanelAndPanelColumnToggles)
{
    At(0).m_onp = 1;
    app.panels.insert(&At(0));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    Click(0, 1);
    EXPECT_FALSE(At(0).m_merit);
    EXPECT_TRUE(app.panels.empty());
    EXPECT_EQ(dlg->List()->Flags(0) & CDeviceListCtrl::kMeasure, 0);

    Click(2, 4);
    EXPECT_TRUE(app.panels.count(&At(2)));
    EXPECT_TRUE(At(2).m_onp);
    Click(2, 4);
    EXPECT_FALSE(app.panels.count(&At(2)));
    EXPECT_FALSE(At(2).m_onp);
}

TEST_F(PristrojeDlgTest, ButtonsWithoutSelectionSayNothingIsSelected)
{
    ui::ScriptedMessageBoxes boxes;
    dlg->OnRemove();
    dlg->OnProperties();
    dlg->OnSettings();
    dlg->OnReceiveData();
    ASSERT_EQ(boxes.Requests().size(), 4u);
    for (const auto& request : boxes.Requests()) {
        EXPECT_EQ(request.text, QStringLiteral("V seznamu není označena žádná položka"));
        EXPECT_EQ(request.caption, QStringLiteral("CHYBA"));
    }
    EXPECT_EQ(instruments.size(), 3u);
}

TEST_F(PristrojeDlgTest, RemoveAsksThenDropsEntryTasksAndKey)
{
    dlg->List()->selectRow(0);
    app.panels.insert(&At(0));
    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
        dlg->OnRemove();
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Opravdu odstranit vybraný přístroj ze seznamu?"));
        EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("INFO"));
    }
    EXPECT_EQ(instruments.size(), 3u);

    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    dlg->OnRemove();
    ASSERT_EQ(instruments.size(), 2u);
    EXPECT_EQ(instruments[0]->m_nazev, QStringLiteral("Analyser"));
    EXPECT_TRUE(app.panels.empty());
    EXPECT_EQ(app.removedTasks, QStringList{QStringLiteral("Meter")});
    EXPECT_EQ(store.SubSections("pristroje"), (QStringList{QStringLiteral("Analyser"), QStringLiteral("Thermal")}));
    EXPECT_EQ(dlg->List()->rowCount(), 2);
}

TEST_F(PristrojeDlgTest, PropertiesApplyTheEditedCopyAndReceiveAsksFirst)
{
    dlg->List()->selectRow(1);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    dlg->OnProperties();
    EXPECT_EQ(At(1).m_nazev, QStringLiteral("Renamed"));
    EXPECT_EQ(dlg->List()->item(1, 0)->text(), QStringLiteral("Renamed (COM1,2)"));

    boxes.Answer(ui::MsgAnswer::Cancel);
    dlg->OnReceiveData();
    EXPECT_TRUE(app.received.isEmpty());
    boxes.Answer(ui::MsgAnswer::Ok);
    dlg->OnReceiveData();
    EXPECT_EQ(app.received, QStringList{QStringLiteral("Renamed")});
    EXPECT_EQ(boxes.Requests().back().caption, QStringLiteral("INFO"));
}
