#include "DialogTestSupport.h"

#include "link/DownloadTasks.h"
#include "shell/TaskEditDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimeEdit>

using namespace shelltest;

namespace {

class TaskEditDlgTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        const struct {
            const char* name;
            int type;
        } rows[] = {{"Controller", CPristroj::kQorin}, {"Meter", CPristroj::kVK}, {"Thermal", CPristroj::kVKT}};
        for (const auto& r : rows) {
            auto e = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, DataFolder(), FALSE, r.type, env);
            e->m_nazev = QString::fromLatin1(r.name);
            e->m_soubor = DataFolder() + QDir::separator() + e->m_nazev;
            instruments.push_back(std::move(e));
        }
    }
    template <class T>
    T* C(int id)
    {
        T* control = dlg.Control<T>(id);
        EXPECT_NE(control, nullptr) << id;
        return control;
    }
    QString File(const char* name) const { return DataFolder() + QDir::separator() + QString::fromLatin1(name); }

    CDeviceRegistry::InstrumentList instruments;
    CTaskList tasks;
    CTaskEditDlg dlg{families};
};

} // namespace

TEST_F(TaskEditDlgTest, NewTaskDefaultsFollowTheFirstAnalyserAndTheChosenOne)
{
    CDeviceRegistry::InstrumentList controllersOnly;
    controllersOnly.push_back(std::move(instruments.front()));
    EXPECT_FALSE(dlg.NewTask(controllersOnly, tasks));
    instruments.front() = std::move(controllersOnly.front());

    ASSERT_TRUE(dlg.NewTask(instruments, tasks));
    dlg.open();
    auto* instrument = C<QComboBox>(CTaskEditDlg::IdInstrument);
    EXPECT_EQ(instrument->count(), 2);
    EXPECT_EQ(instrument->currentText(), QStringLiteral("Meter"));
    EXPECT_TRUE(C<QLineEdit>(CTaskEditDlg::IdName)->text().isEmpty());
    EXPECT_EQ(C<QLineEdit>(CTaskEditDlg::IdOffline)->text(), File("MeterS"));
    EXPECT_EQ(C<QComboBox>(CTaskEditDlg::IdInterval)->currentText(), QStringLiteral("1 den"));
    EXPECT_EQ(C<QComboBox>(CTaskEditDlg::IdKind)->currentIndex(), 1);
    EXPECT_TRUE(C<QCheckBox>(CTaskEditDlg::IdActive)->isChecked());
    EXPECT_EQ(C<QTimeEdit>(CTaskEditDlg::IdSynchTime)->time(), QTime(8, 0));
    EXPECT_FALSE(C<QTimeEdit>(CTaskEditDlg::IdSynchTime)->isEnabled());

    instrument->setCurrentIndex(1);
    EXPECT_EQ(C<QLineEdit>(CTaskEditDlg::IdOffline)->text(), File("ThermalS"));
    C<QComboBox>(CTaskEditDlg::IdKind)->setCurrentIndex(0);
    EXPECT_EQ(C<QLineEdit>(CTaskEditDlg::IdOffline)->text(), File("Thermal"));
    EXPECT_FALSE(C<QLineEdit>(CTaskEditDlg::IdOffline)->isEnabled());

    C<QCheckBox>(CTaskEditDlg::IdSynch)->setChecked(true);
    EXPECT_TRUE(C<QTimeEdit>(CTaskEditDlg::IdSynchTime)->isEnabled());
    EXPECT_FALSE(C<QComboBox>(CTaskEditDlg::IdSynchDay)->isEnabled());
    C<QComboBox>(CTaskEditDlg::IdInterval)->setCurrentIndex(4);
    EXPECT_TRUE(C<QComboBox>(CTaskEditDlg::IdSynchDay)->isEnabled());
}

TEST_F(TaskEditDlgTest, OkChecksNameAndFileThenAddsTheTask)
{
    {
        std::lock_guard list(tasks.ListLock());
        tasks.Add()->m_nazev = QStringLiteral("Daily");
    }
    ASSERT_TRUE(dlg.NewTask(instruments, tasks));
    dlg.open();
    C<QLineEdit>(CTaskEditDlg::IdName)->setText(QStringLiteral("Daily"));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::No);
    dlg.accept();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Zadaný název úlohy je již použitý, je třeba zadat jiný!"));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));

    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    C<QLineEdit>(CTaskEditDlg::IdName)->setText(QStringLiteral("Weekly"));
    C<QLineEdit>(CTaskEditDlg::IdOffline)->setText(blocker.fileName() + QStringLiteral("/x/y"));
    dlg.accept();
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Chybně zadán název Off-line souboru."));

    C<QLineEdit>(CTaskEditDlg::IdOffline)->setText(File("METER"));
    dlg.accept(); // same file as the archive: No stays
    ASSERT_EQ(boxes.Requests().size(), 3u);
    EXPECT_TRUE(boxes.Requests()[2].text.startsWith(QStringLiteral("Název souboru pro OnLine data")));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(tasks.m_tasks.size(), 1u);

    C<QLineEdit>(CTaskEditDlg::IdOffline)->setText(File("MeterS"));
    C<QCheckBox>(CTaskEditDlg::IdSynch)->setChecked(true);
    C<QComboBox>(CTaskEditDlg::IdInterval)->setCurrentIndex(4);
    C<QComboBox>(CTaskEditDlg::IdSynchDay)->setCurrentIndex(4);
    C<QTimeEdit>(CTaskEditDlg::IdSynchTime)->setTime(QTime(6, 30));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(tasks.m_tasks.size(), 2u);
    const CTask& task = *tasks.m_tasks.back();
    EXPECT_EQ(dlg.Task(), &task);
    EXPECT_EQ(task.m_nazev, QStringLiteral("Weekly"));
    EXPECT_EQ(task.m_pristroj, QStringLiteral("Meter"));
    EXPECT_EQ(task.m_soubor, File("MeterS"));
    EXPECT_EQ(task.m_typ, 1);
    EXPECT_EQ(task.m_interval, 4);
    EXPECT_TRUE(task.m_synch);
    EXPECT_EQ(task.m_synchDay, 4);
    EXPECT_EQ(task.m_synchTime.Format(QStringLiteral("%H:%M:%S")), QStringLiteral("06:30:00"));
}

TEST_F(TaskEditDlgTest, EditingKeepsTheTaskUntilOkAndRefusesOtherFamilies)
{
    CTask* task = nullptr;
    {
        std::lock_guard list(tasks.ListLock());
        task = tasks.Add();
    }
    task->m_nazev = QStringLiteral("Own");
    task->m_pristroj = QStringLiteral("Controller");
    EXPECT_FALSE(dlg.LoadTask(instruments, tasks, *task));

    task->m_pristroj = QStringLiteral("Thermal");
    task->m_typ = 0;
    task->m_interval = 1;
    ASSERT_TRUE(dlg.LoadTask(instruments, tasks, *task));
    dlg.open();
    EXPECT_EQ(C<QLineEdit>(CTaskEditDlg::IdOffline)->text(), File("Thermal"));
    C<QLineEdit>(CTaskEditDlg::IdName)->setText(QStringLiteral("Renamed"));
    dlg.reject();
    EXPECT_EQ(task->m_nazev, QStringLiteral("Own"));

    ASSERT_TRUE(dlg.LoadTask(instruments, tasks, *task));
    dlg.open();
    C<QLineEdit>(CTaskEditDlg::IdName)->setText(QStringLiteral("Renamed"));
    dlg.accept();
    EXPECT_EQ(task->m_nazev, QStringLiteral("Renamed"));
    EXPECT_EQ(task->m_typ, 0);
    EXPECT_EQ(task->m_interval, 1);
    EXPECT_EQ(tasks.m_tasks.size(), 1u);
}

// With more than one analyser, the one the user picks in the combo is the
// task's: the off-line file follows while it is still the default of the
// instrument before, a file of the user's own stays, and OK stores the
// instrument with its file; an edited task moves to another instrument the
// same way.
TEST_F(TaskEditDlgTest, InstrumentChosenInTheComboGoesIntoTheTaskWithItsFile)
{
    const auto pick = [&](Qt::Key key) {
        auto* instrument = C<QComboBox>(CTaskEditDlg::IdInstrument);
        instrument->setFocus();
        QTest::keyClick(instrument, key);
        return instrument->currentText();
    };
    const auto ok = [&] {
        auto* box = dlg.findChild<QDialogButtonBox*>();
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
    };
    auto* file = C<QLineEdit>(CTaskEditDlg::IdOffline);

    ASSERT_TRUE(dlg.NewTask(instruments, tasks));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClicks(C<QLineEdit>(CTaskEditDlg::IdName), QStringLiteral("Noc"));
    EXPECT_EQ(pick(Qt::Key_Down), QStringLiteral("Thermal"));
    EXPECT_EQ(file->text(), File("ThermalS"));
    ok();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(tasks.m_tasks.size(), 1u);
    CTask& task = *tasks.m_tasks.front();
    EXPECT_EQ(task.m_pristroj, QStringLiteral("Thermal"));
    EXPECT_EQ(task.m_soubor, File("ThermalS"));
    EXPECT_EQ(task.m_typ, 1);

    // Back to the other analyser: the default file goes with it.
    ASSERT_TRUE(dlg.LoadTask(instruments, tasks, task));
    dlg.show();
    EXPECT_EQ(pick(Qt::Key_Up), QStringLiteral("Meter"));
    EXPECT_EQ(file->text(), File("MeterS"));
    ok();
    EXPECT_EQ(task.m_pristroj, QStringLiteral("Meter"));
    EXPECT_EQ(task.m_soubor, File("MeterS"));

    // A file the user chose is not replaced.
    ASSERT_TRUE(dlg.LoadTask(instruments, tasks, task));
    dlg.show();
    file->setFocus();
    QTest::keyClick(file, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(file, File("Noc"));
    EXPECT_EQ(pick(Qt::Key_Down), QStringLiteral("Thermal"));
    EXPECT_EQ(file->text(), File("Noc"));
    ok();
    EXPECT_EQ(task.m_pristroj, QStringLiteral("Thermal"));
    EXPECT_EQ(task.m_soubor, File("Noc"));
    EXPECT_EQ(tasks.m_tasks.size(), 1u);
}

// The time picker carries its label "na", and the off-line file shows its
// whole path from the start, also after another instrument was chosen.
TEST_F(TaskEditDlgTest, TimeLabelAndWholeOfflinePathAreShown)
{
    instruments[2]->m_soubor = File("Rozvodna hlavní budovy sever") + QDir::separator() + QStringLiteral("Rozvodna R1");
    ASSERT_TRUE(dlg.NewTask(instruments, tasks));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* file = C<QLineEdit>(CTaskEditDlg::IdOffline);
    const auto fitsWhole = [&] {
        QCoreApplication::processEvents();
        const int frame = file->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, file);
        // The line edit keeps two pixels either side of its text.
        const int room = file->width() - 2 * frame - 4;
        EXPECT_LE(file->fontMetrics().horizontalAdvance(file->text()), room) << file->text().toStdString();
        EXPECT_EQ(file->cursorPosition(), 0);
    };
    fitsWhole();
    C<QComboBox>(CTaskEditDlg::IdInstrument)->setCurrentIndex(1);
    EXPECT_EQ(file->text(), instruments[2]->m_soubor + QStringLiteral("S"));
    fitsWhole();

    auto* time = C<QTimeEdit>(CTaskEditDlg::IdSynchTime);
    QLabel* label = nullptr;
    for (QLabel* candidate : dlg.findChildren<QLabel*>())
        if (candidate->buddy() == time)
            label = candidate;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("na"));
    EXPECT_TRUE(label->isVisible());
    // It stands between the check box and the picker.
    const auto left = [&](QWidget* w) { return w->mapTo(&dlg, QPoint(0, 0)).x(); };
    EXPECT_LT(left(C<QCheckBox>(CTaskEditDlg::IdSynch)), left(label));
    EXPECT_LE(left(label) + label->width(), left(time));
}

// An off-line path too long for the widest field shows its end, the file's
// name, rather than cutting it off; the whole path is the field's tool tip,
// also as the user types.
TEST_F(TaskEditDlgTest, TooLongOfflinePathShowsItsFileName)
{
    QString folder = DataFolder();
    for (int level = 0; level < 8; ++level)
        folder += QDir::separator() + QStringLiteral("Rozvodna hlavní budovy sever %1").arg(level);
    instruments[2]->m_soubor = folder + QDir::separator() + QStringLiteral("Rozvodna R1");
    instruments.erase(instruments.begin(), instruments.begin() + 2);
    ASSERT_TRUE(dlg.NewTask(instruments, tasks));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QCoreApplication::processEvents();
    auto* file = C<QLineEdit>(CTaskEditDlg::IdOffline);
    const QString path = instruments[0]->m_soubor + QStringLiteral("S");
    ASSERT_EQ(file->text(), path);
    ASSERT_GT(file->fontMetrics().horizontalAdvance(path), file->width());
    // The line edit keeps the cursor, here at the end, in sight.
    EXPECT_EQ(file->cursorPosition(), path.size());
    EXPECT_EQ(file->toolTip(), path);
    file->setFocus();
    QTest::keyClick(file, Qt::Key_End);
    QTest::keyClicks(file, QStringLiteral("2"));
    EXPECT_EQ(file->toolTip(), path + QStringLiteral("2"));
}
