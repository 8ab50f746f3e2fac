#pragma once

#include "platform/ui/EntryName.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QMenu;

namespace ui {

class CPanelFrame;

// The floating panels of one family: the open panel of each instrument
// (the subject) and where the panels' requests go (the application object).
class CPanelRegistry {
public:
    void SetReceiver(QObject* receiver) { m_receiver = receiver; }
    QObject* Receiver() const { return m_receiver.data(); }

    CPanelFrame* Find(const void* subject) const;
    void Add(const void* subject, CPanelFrame* frame);
    // Feeds the subject's panel, when it has one.
    void Update(const void* subject) const;
    // Deletes the subject's panel; it keeps its state on the way.
    void Close(const void* subject);

private:
    QPointer<QObject> m_receiver;
    std::map<const void*, QPointer<CPanelFrame>> m_panels;
};

// A floating panel: an instrument's front panel or, switched, its measured
// values, in a window of its own beside the main window. Kept per instrument
// in the section "pristroje\<name>": the placement, the always-on-top choice,
// the shown child and, where the family asks for it, the values' tabs.
// Requests for the application (1 close the panel, 2 return to the program,
// 3 the instrument's settings) go to the registry's receiver as
// WM_APP_OPEN_DEVICE_DETAIL with the subject; without a receiver the panel
// does what it can itself.
class CPanelFrame : public QWidget {
    Q_OBJECT
public:
    enum Request { kCloseRequest = 1, kReturnRequest = 2, kSettingsRequest = 3 };

    ~CPanelFrame() override;

    // Between the instrument panel and the values panel.
    void ToggleData();
    void ToggleOnTop();
    bool OnTop() const { return m_onTop; }
    bool ShowsInstrument() const { return m_showInstrument; }

    void FillMenu(QMenu& menu);
    void ShowMenu(QPoint at);
    void Request(int request);

    // The newest measurement into the shown children.
    virtual void UpdatePanel() = 0;
    // Shows, raises and feeds the panel.
    void Present();

protected:
    CPanelFrame(CPanelRegistry& registry, QWidget* parent);

    // The two children the frame switches between; set once, before LoadState.
    void SetChildren(QWidget* instrument, QWidget* values);
    QWidget* ShownChild() const;
    // Tabs of the values child kept as p_tab1 ... p_tabN; the getter may be
    // called while the frame is being destroyed, so it must use only the
    // children it captured.
    void KeepTabs(int count, std::function<std::vector<int>()> get, std::function<void(const std::vector<int>&)> set);
    // A first panel of `size` pixels square in the lower right corner of the
    // screen; `byFrame`: the window's frame is placed, else its inside.
    void PlaceInLowerRight(int size, bool byFrame);
    // Reads the state kept under the instrument's name, which from now on
    // also names the window and keys what it keeps.
    void LoadState(const QString& name);
    void SetSubject(const void* subject) { m_subject = subject; }
    const void* Subject() const { return m_subject; }

    // Where the children sit; by default the shown one fills the frame
    // inside a one-pixel margin.
    virtual void PlaceChildren();
    virtual void DataToggled() {}
    // False once the subject is gone; requests then stay with the panel.
    virtual bool SubjectAlive() { return m_subject != nullptr; }
    // Without the application: after "Konec", and for the settings.
    virtual void ClosedWithoutReceiver() {}
    virtual void OpenSettingsWithoutReceiver() = 0;

    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SaveState();

    CPanelRegistry& m_registry;
    QWidget* m_instrument = nullptr;
    QWidget* m_values = nullptr;
    const void* m_subject = nullptr;
    // Follows a rename of the instrument, the window's title with it.
    CEntryName m_name;
    int m_tabCount = 0;
    std::function<std::vector<int>()> m_getTabs;
    std::function<void(const std::vector<int>&)> m_setTabs;
    bool m_onTop = false;
    bool m_showInstrument = true;
    bool m_closing = false;
};

} // namespace ui
