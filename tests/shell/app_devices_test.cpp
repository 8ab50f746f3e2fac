// Adding and editing instruments in the running program, through the main
// menu and the instrument list, as the user does it.
#include "AppTestSupport.h"
#include "ModalDriver.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "link/Pristroj.h"
#include "link/SerialPortInfo.h"
#include "platform/ui/MessageBox.h"
#include "shell/AddInstrumentDlg.h"
#include "shell/DeviceListCtrl.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/MavexApp.h"
#include "shell/PristrojeDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kShared = QString::fromUtf8("nemohou zaznamenávat do jednoho souboru");

// "Hala", a VK analyser measuring and recording into data/hala/hala.vk; the
// port list offers one port for newcomers.
class AppDevicesTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(Data(QStringLiteral("hala"))));
        store.WriteProfileString(CGeneralSettings::Section(), QStringLiteral("adresar"), Data(QString()));
        const platform::SettingsSection key = CDeviceRegistry::Key(QStringLiteral("Hala"));
        store.WriteProfileInt(key, QStringLiteral("kat"), CPristroj::kVK);
        store.WriteProfileInt(key, QStringLiteral("merit"), 1);
        store.WriteProfileInt(key, QStringLiteral("adresa"), 1);
        store.WriteProfileString(key, QStringLiteral("com"), Data(QStringLiteral("chybi/tty")));
        store.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 1);
        store.WriteProfileString(key, QStringLiteral("soubor"), Data(QStringLiteral("hala/hala")));

        CMavexApp::Environment env = shelltest::QuietEnvironment();
        env.showWindow = true;
        env.enumeratePorts = [] {
            CSerialPortInfo port;
            port.portName = QStringLiteral("ttyQORINTEST");
            port.devicePath = QStringLiteral("/dev/ttyQORINTEST");
            return std::vector<CSerialPortInfo>{port};
        };
        app = std::make_unique<CMavexApp>(env);
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
        ASSERT_EQ(app->GetDeviceList().size(), 1u);
        ASSERT_TRUE(app->GetDeviceList()[0]->m_merit);
    }
    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        StoreTest::TearDown();
    }
    QString Data(const QString& relative) const { return dir.filePath(QStringLiteral("data/") + relative); }

    // The dialog filled as the user fills it (a name only when one is
    // given), then OK; a dialog that stays up is cancelled.
    static void Fill(CAddInstrumentDlg& dialog, const QString& name, int type, const QString& file)
    {
        const auto retype = [](QLineEdit* edit, const QString& text) {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, text);
        };
        if (!name.isEmpty())
            retype(dialog.Control<QLineEdit>(CAddInstrumentDlg::IdName), name);
        auto* types = dialog.Control<QComboBox>(CAddInstrumentDlg::IdType);
        const int wanted = types->findData(type);
        EXPECT_GE(wanted, 0);
        while (wanted >= 0 && types->currentIndex() != wanted) {
            const int before = types->currentIndex();
            QTest::keyClick(types, before < wanted ? Qt::Key_Down : Qt::Key_Up);
            if (types->currentIndex() == before)
                break;
        }
        for (const int id : {CAddInstrumentDlg::IdMeasure, CAddInstrumentDlg::IdRecord}) {
            auto* box = dialog.Control<QCheckBox>(id);
            if (!box->isChecked())
                QTest::keyClick(box, Qt::Key_Space);
        }
        retype(dialog.Control<QLineEdit>(CAddInstrumentDlg::IdArchiveFile), file);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the dialog stayed up";
            dialog.reject();
        }
    }
    // "Přístroje > Přidat přístroj..."; false when its dialog never came.
    bool Add(const QString& name, int type, const QString& file)
    {
        int dialogs = 0;
        shelltest::HandModals([this] { app->MainFrame()->Action(CMainFrame::kAddDevice)->trigger(); },
                              [&](QWidget& window) {
                                  if (auto* dialog = qobject_cast<CAddInstrumentDlg*>(&window)) {
                                      ++dialogs;
                                      Fill(*dialog, name, type, file);
                                  } else if (auto* other = qobject_cast<QDialog*>(&window)) {
                                      ADD_FAILURE() << "unexpected " << window.windowTitle().toStdString();
                                      other->reject();
                                  }
                              });
        return dialogs == 1;
    }
    CPristroj* Entry(const QString& name) const { return shelltest::InstrumentNamed(*app, name); }
    QStringList BoxesNaming(const QString& name) const { return shelltest::BoxesSaying(boxes, name); }

    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Yes};
    std::unique_ptr<CMavexApp> app;
};

// However the path is spelt, a newcomer that would record into Hala's file
// is refused, naming both, and nothing of it is stored; a file of its own,
// even one beside Hala's with another family's ending, is taken.
TEST_F(AppDevicesTest, ANewInstrumentIsRefusedTheArchiveFileOfAnother)
{
    ASSERT_TRUE(QDir().mkpath(Data(QStringLiteral("jinde"))));
    ASSERT_TRUE(QFile::link(Data(QStringLiteral("hala")), Data(QStringLiteral("slozka"))));
    ASSERT_TRUE(QFile::link(Data(QStringLiteral("hala/hala.vk")), Data(QStringLiteral("odkaz.vkr"))));
    const struct {
        const char* name;
        int type;
        QString file;
        bool refused;
    } cases[] = {
        {"Stejne", CPristroj::kVK, Data(QStringLiteral("hala/hala")), true},
        {"Tecka", CPristroj::kVK, Data(QStringLiteral("hala/./hala")), true},
        {"Zpet", CPristroj::kVK, Data(QStringLiteral("jinde/../hala/hala")), true},
        {"Slozka", CPristroj::kVK, Data(QStringLiteral("slozka/hala")), true},
        {"Odkaz", CPristroj::kVKR, Data(QStringLiteral("odkaz")), true},
        {"Vedle", CPristroj::kVKR, Data(QStringLiteral("hala/hala")), false},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Add(name, c.type, c.file));
        const QStringList told = BoxesNaming(name);
        if (!c.refused) {
            ASSERT_NE(Entry(name), nullptr);
            EXPECT_TRUE(told.filter(kShared).isEmpty()) << told.join(u'\n').toStdString();
            continue;
        }
        EXPECT_EQ(Entry(name), nullptr);
        ASSERT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
        EXPECT_TRUE(told[0].contains(QStringLiteral("Hala"))) << told[0].toStdString();
        EXPECT_TRUE(told[0].contains(kShared)) << told[0].toStdString();
    }
    ASSERT_NE(Entry(QStringLiteral("Hala")), nullptr);
    EXPECT_TRUE(Entry(QStringLiteral("Hala"))->m_merit);
    EXPECT_EQ(app->GetDeviceList().size(), 2u);

    // What the program keeps for the next start holds Hala and the one taken.
    app->ExitInstance();
    app.reset();
    platform::Settings saved(file());
    for (const auto& c : cases)
        EXPECT_EQ(saved.GetProfileString(CDeviceRegistry::Key(QString::fromLatin1(c.name)), QStringLiteral("soubor"))
                      .isEmpty(),
                  c.refused)
            << c.name;
}

// Through the instrument list: "Vlastnosti" that point an instrument at
// Hala's file through a link are refused, naming both, and change nothing.
TEST_F(AppDevicesTest, AnEditIsRefusedTheArchiveFileOfAnother)
{
    ASSERT_TRUE(QFile::link(Data(QStringLiteral("hala/hala.vk")), Data(QStringLiteral("odkaz.vkr"))));
    ASSERT_TRUE(Add(QStringLiteral("Kotelna"), CPristroj::kVKR, Data(QStringLiteral("kotelna"))));
    CPristroj* kotelna = Entry(QStringLiteral("Kotelna"));
    ASSERT_NE(kotelna, nullptr);
    ASSERT_TRUE(kotelna->m_merit);

    QStringList handed;
    shelltest::HandModals([this] { app->MainFrame()->Action(CMainFrame::kInstrumentList)->trigger(); },
                          [&](QWidget& window) {
                              handed << QString::fromLatin1(window.metaObject()->className());
                              if (auto* list = qobject_cast<CPristrojeDlg*>(&window)) {
                                  // Out of the hand, so that the properties
                                  // dialog it brings up is handed too.
                                  QTimer::singleShot(0, list, [list] {
                                      CDeviceListCtrl* rows = list->List();
                                      const QRect row = rows->visualRect(rows->model()->index(1, 0));
                                      QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, row.center());
                                      QTest::mouseClick(list->Button(CPristrojeDlg::IdProperties), Qt::LeftButton);
                                      QTest::mouseClick(list->Button(CPristrojeDlg::IdEnd), Qt::LeftButton);
                                  });
                              } else if (auto* dialog = qobject_cast<CAddInstrumentDlg*>(&window)) {
                                  Fill(*dialog, QString(), CPristroj::kVKR, Data(QStringLiteral("odkaz")));
                              } else if (auto* other = qobject_cast<QDialog*>(&window)) {
                                  other->reject();
                              }
                          });
    EXPECT_EQ(handed, (QStringList{QStringLiteral("CPristrojeDlg"), QStringLiteral("CAddInstrumentDlg")}));
    // (Its port is not there either: that is told apart.)
    const QStringList told = BoxesNaming(QStringLiteral("Kotelna")).filter(kShared);
    ASSERT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
    EXPECT_TRUE(told[0].contains(QStringLiteral("Hala"))) << told[0].toStdString();
    EXPECT_EQ(kotelna->m_soubor, Data(QStringLiteral("kotelna")));
    EXPECT_TRUE(kotelna->m_merit);

    app->ExitInstance();
    app.reset();
    platform::Settings saved(file());
    EXPECT_EQ(saved.GetProfileString(CDeviceRegistry::Key(QStringLiteral("Kotelna")), QStringLiteral("soubor")),
              Data(QStringLiteral("kotelna")));
}

} // namespace
