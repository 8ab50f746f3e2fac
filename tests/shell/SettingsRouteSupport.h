#pragma once

// The program as an engineer finds it on site: its families, one instrument
// on a simulated line that it does not measure (or, asked for, measures
// with its live window), and the two ways to the
// instrument's settings that start outside any live window, the instrument
// list's "Nastavení" button and a floating panel's settings request. Nothing
// here opens the instrument's link: the program has to.
#include "AppTestSupport.h"

#include "app/Families.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/WindowMessage.h"
#include "platform/ui/Document.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/WaitDlg.h"
#include "shell/DeviceListCtrl.h"
#include "shell/MainFrame.h"
#include "shell/MavexApp.h"
#include "shell/PristrojeDlg.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QTimeZone>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace routetest {

// The image of a record as the instrument holds it.
template <class Record>
sim::Bytes ImageOf(const Record& record)
{
    sim::Bytes image(Record::kImageSize);
    record.ToRaw(image.data());
    return image;
}

// A text block of `size` bytes as an instrument keeps it, padded with zeros.
inline sim::Bytes TextImage(const char* text, std::size_t size)
{
    sim::Bytes image(size, 0);
    for (std::size_t i = 0; text[i] && i < size; ++i)
        image[i] = std::uint8_t(text[i]);
    return image;
}

// Byte for byte, naming the bytes that differ.
inline void ExpectSameBytes(const sim::Bytes& sent, const sim::Bytes& wanted)
{
    ASSERT_EQ(sent.size(), wanted.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_EQ(int(sent[i]), int(wanted[i])) << "byte " << i;
}

// Whether one of the messages the user got says `text`.
template <class Boxes>
bool Said(const Boxes& boxes, const QString& text)
{
    for (const auto& request : boxes.Requests())
        if (request.text == text)
            return true;
    return false;
}

// No message the user got on the way was an error.
template <class Boxes>
void ExpectNoError(const Boxes& boxes)
{
    for (const auto& request : boxes.Requests())
        EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
}

// The user types `text` over what an edit shows.
inline void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// The wall-clock time an instrument clock set now holds, `shift` seconds
// on: instruments keep standard time all year.
inline QDateTime StandardTimeNow(int shift)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime standard = now.addSecs(shift - (now.offsetFromUtc() - now.timeZone().standardTimeOffset(now)));
    return QDateTime(standard.date(), standard.time());
}

// A right click on the live window and, in the menu it shows, a click on the
// item whose text (without its '&') starts with `prefix`; the item's text,
// empty when there was none. What the item opens runs before this returns.
inline QString ChooseFromLiveMenu(ui::CView* view, const QString& prefix)
{
    QString chosen;
    // Owned here: a menu that never shows leaves no timer behind.
    QTimer pick;
    pick.setSingleShot(true);
    QObject::connect(&pick, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* action : menu->actions())
            if (action->text().remove(QLatin1Char('&')).startsWith(prefix)) {
                chosen = action->text();
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        menu->close();
    });
    pick.start(0);
    const QPoint at = view->rect().center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &click);
    return chosen;
}

class ProgramWithInstrument {
public:
    // `instrument` answers at its own bus address; the entry of family
    // `type` is added to the program's list, not measured unless `measured`
    // (then the program opens its live window once it answers), with the
    // settings `adjust` gives it as the user had saved them.
    ProgramWithInstrument(const sim::Instrument& instrument, int type, bool measured = false,
                          const std::function<void(CPristroj&)>& adjust = {})
    {
        EXPECT_TRUE(m_dir.isValid());
        platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("store.ini")));
        line.AddInstrument(instrument);
        std::string error;
        m_started = line.Start(error);
        EXPECT_TRUE(m_started) << error;
        app = std::make_unique<CMavexApp>(shelltest::QuietEnvironment());
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        EXPECT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
        auto added = std::make_unique<CPristroj>(QString::fromStdString(line.SlavePath()), 1, m_dir.path(), FALSE,
                                                 type, app->LinkEnvironment());
        added->m_adresa = instrument.GetAddress();
        added->m_nazev = QStringLiteral("rozvodna");
        added->m_soubor = m_dir.filePath(QStringLiteral("rozvodna"));
        added->m_merit = measured ? 1 : 0;
        added->m_zobrazovat = measured ? 1 : 0;
        if (adjust)
            adjust(*added);
        entry = added.get();
        EXPECT_TRUE(app->AdoptInstrument(nullptr, std::move(added)));
    }
    ~ProgramWithInstrument()
    {
        app->ExitInstance();
        app.reset();
        line.Stop();
        platform::Settings::SetFileForTesting(QString());
    }
    ProgramWithInstrument(const ProgramWithInstrument&) = delete;
    ProgramWithInstrument& operator=(const ProgramWithInstrument&) = delete;

    // The user's hand on the family's settings sheet: called each time a
    // sheet is shown, with the pass (0 first); it closes the sheet.
    using SheetHand = std::function<void(QDialog& sheet, int pass)>;

    // "Přístroje" from the main frame, the instrument's row, "Nastavení";
    // after the sheet has ended, "Konec". Returns how often a sheet showed.
    int SettingsFromInstrumentList(const SheetHand& hand)
    {
        CPristrojeDlg* list = nullptr;
        bool pressed = false;
        int passes = 0;
        bool busy = false;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            // The sheet's requests run under the wait dialog in an event loop
            // of their own, where this timer fires again.
            QWidget* modal = QApplication::activeModalWidget();
            if (busy || !modal || !modal->isVisible() || qobject_cast<ui::CWaitDlg*>(modal))
                return;
            const QScopedValueRollback<bool> inHand(busy, true);
            if (auto* shown = qobject_cast<CPristrojeDlg*>(modal)) {
                list = shown;
                // The buttons are pressed after this tick: the sheet they open
                // runs its own event loop, where the hand must be free.
                if (pressed) {
                    QMetaObject::invokeMethod(shown->Button(CPristrojeDlg::IdEnd), &QPushButton::click,
                                              Qt::QueuedConnection);
                    return;
                }
                pressed = true;
                shown->List()->selectRow(0);
                QMetaObject::invokeMethod(shown->Button(CPristrojeDlg::IdSettings), &QPushButton::click,
                                          Qt::QueuedConnection);
                return;
            }
            if (auto* sheet = qobject_cast<QDialog*>(modal))
                hand(*sheet, passes++);
        });
        timer.start(20);
        app->MainFrame()->Action(CMainFrame::kInstrumentList)->trigger();
        timer.stop();
        EXPECT_NE(list, nullptr);
        return passes;
    }

    // A floating panel's request 3 (the settings), as the panel posts it.
    int SettingsFromPanel(const SheetHand& hand)
    {
        int passes = 0;
        bool busy = false;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (busy || qobject_cast<ui::CWaitDlg*>(modal))
                return;
            const QScopedValueRollback<bool> inHand(busy, true);
            if (auto* sheet = qobject_cast<QDialog*>(modal); sheet && sheet->isVisible())
                hand(*sheet, passes++);
        });
        timer.start(20);
        EXPECT_TRUE(platform::PostThreadMessage(app->Handle(), platform::WM_APP_OPEN_DEVICE_DETAIL,
                                                reinterpret_cast<std::uintptr_t>(entry), 3));
        QCoreApplication::sendPostedEvents();
        timer.stop();
        return passes;
    }

    // The sheet's own way out: "Storno" of a property sheet, "Konec" of a
    // plain dialog.
    static void Close(QDialog& sheet) { Press(sheet, ui::CPropertySheet::IdCancel, QStringLiteral("Konec")); }

    // The sheet's send button: "Vyšli" of a property sheet or of a plain
    // dialog.
    static void Send(QDialog& sheet) { Press(sheet, ui::CPropertySheet::IdApplyNow, QStringLiteral("Vyšli")); }

    // A property sheet's button `id`, or a plain dialog's button of `text`.
    static void Press(QDialog& sheet, int id, const QString& text)
    {
        if (auto* property = qobject_cast<ui::CPropertySheet*>(&sheet)) {
            property->Button(id)->click();
            return;
        }
        for (QPushButton* button : sheet.findChildren<QPushButton*>())
            if (button->text() == text) {
                button->click();
                return;
            }
        ADD_FAILURE() << "no button " << text.toStdString() << " on " << sheet.windowTitle().toStdString();
        if (id == ui::CPropertySheet::IdCancel)
            sheet.reject();
    }

    // The user picks item `index` of a closed combo with the arrow keys, as
    // the keyboard does it (the combo reports the choice as activated).
    static void Choose(QComboBox* combo, int index)
    {
        combo->setFocus();
        while (combo->currentIndex() != index) {
            const int before = combo->currentIndex();
            const Qt::Key key = before < index ? Qt::Key_Down : Qt::Key_Up;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
            QCoreApplication::sendEvent(combo, &press);
            QCoreApplication::sendEvent(combo, &release);
            if (combo->currentIndex() == before) {
                ADD_FAILURE() << "the combo does not move to " << index;
                return;
            }
        }
    }

    // One visit from the instrument list: `edit` works the sheet of type
    // `Sheet` through its controls, then "Vyšli" and the way out.
    template <class Sheet>
    void EditAndSend(const std::function<void(Sheet&)>& edit)
    {
        const int passes = SettingsFromInstrumentList([&](QDialog& dialog, int) {
            if (auto* sheet = qobject_cast<Sheet*>(&dialog)) {
                edit(*sheet);
                Send(dialog);
            } else {
                ADD_FAILURE() << "not the family's sheet: " << dialog.windowTitle().toStdString();
            }
            Close(dialog);
        });
        EXPECT_EQ(passes, 1);
    }

    // One visit from the instrument list: page `tab` of the sheet of type
    // `Sheet` comes to the front, `edit` works it, then the page's own send
    // button `sendId` and the way out.
    template <class Sheet>
    void EditPageAndSend(int tab, const std::function<void(Sheet&)>& edit, int sendId)
    {
        const int passes = SettingsFromInstrumentList([&](QDialog& dialog, int) {
            if (auto* sheet = qobject_cast<Sheet*>(&dialog)) {
                sheet->Tabs()->setCurrentIndex(tab);
                edit(*sheet);
                auto* send = sheet->Tabs()->currentWidget()->template findChild<QPushButton*>(QString::number(sendId));
                if (send)
                    send->click();
                else
                    ADD_FAILURE() << "no button " << sendId << " on page " << tab;
            } else {
                ADD_FAILURE() << "not the family's sheet: " << dialog.windowTitle().toStdString();
            }
            Close(dialog);
        });
        EXPECT_EQ(passes, 1);
    }

    // The user's hand on a dialog a live window's menu opened: called once
    // with the dialog; a dialog the hand left open is closed after.
    using DialogHand = std::function<void(QDialog& dialog)>;

    // The live window's menu item `text` (as its context menu and the main
    // frame's menu show it); `hand` works the dialog it shows. Returns
    // whether a dialog showed.
    static bool FromLiveMenu(ui::CView& view, const QString& text, const DialogHand& hand)
    {
        QMenu menu;
        view.FillMenu(menu);
        QAction* item = nullptr;
        for (QAction* action : menu.actions())
            if (action->text() == text)
                item = action;
        if (!item || !item->isEnabled()) {
            ADD_FAILURE() << "no usable menu item " << text.toStdString();
            return false;
        }
        bool shown = false;
        bool busy = false;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (busy || shown || !dialog || !dialog->isVisible() || qobject_cast<ui::CWaitDlg*>(dialog))
                return;
            const QScopedValueRollback<bool> inHand(busy, true);
            shown = true;
            hand(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        timer.start(20);
        item->trigger();
        timer.stop();
        return shown;
    }

    // A block of the simulated instrument as it stands now.
    sim::Bytes Block(int address, int block)
    {
        sim::Bytes out;
        line.WithInstrument(address, [&](sim::Instrument& i) { out = i.blocks[block]; });
        return out;
    }

    sim::PtySimulator line;
    std::unique_ptr<CMavexApp> app;
    CPristroj* entry = nullptr;

private:
    QTemporaryDir m_dir;
    bool m_started = false;
};

} // namespace routetest
