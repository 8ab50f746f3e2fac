#pragma once

#include "platform/WindowMessage.h"
#include "shell/DeviceRegistry.h"

#include <QDialog>
#include <QPointer>

class CDeviceListCtrl;
class CPristroj;
class QPushButton;

// What the instrument list dialog asks of the application: the main
// frame's add-instrument command, the front panels, the instrument's
// settings sheet, the manual download and the download tasks.
class IPristrojeDlgHost {
public:
    virtual ~IPristrojeDlgHost() = default;
    // The main frame's add-instrument command; true when one was added.
    virtual bool AddInstrument(QWidget* parent) = 0;
    // The add/edit dialog in edit mode over `copy` of `live`; true on OK.
    virtual bool EditInstrument(QWidget* parent, CPristroj& copy, CPristroj& live) = 0;
    virtual void OpenPanel(CPristroj& entry) = 0;
    // The instrument's settings sheet in its read-and-show loop; `sheet`
    // is told the sheet while it is shown.
    virtual void OpenSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet) = 0;
    // A new download document for the instrument.
    virtual void ReceiveData(CPristroj& entry) = 0;
    // True when the instrument's family keeps data that can be downloaded.
    virtual bool CanReceiveData(const CPristroj& entry) const = 0;
    virtual void RemoveInstrumentTasks(const QString& name) = 0;
};

// The dialog where the user manages the configured instruments.
class CPristrojeDlg : public QDialog, public platform::MessageDispatcher {
    Q_OBJECT
public:
    enum ControlId { IdAdd = 6, IdRemove = 3, IdProperties = 4, IdSettings = 1012, IdReceive = 1013, IdEnd = 2 };

    CPristrojeDlg(IPristrojeDlgHost& host, platform::Settings& settings, QWidget* parent = nullptr);

    void SetList(CDeviceRegistry::InstrumentList* list);

    CDeviceListCtrl* List() const { return m_list; }
    QPushButton* Button(int id) const;
    // The instrument's settings sheet while it is shown, else null.
    QDialog* OpenSheet() const { return m_sheet.data(); }

    void FormatItem();
    void UpdateButtons();

    void OnListClick(int row, int column);
    void OnAdd();
    void OnRemove();
    void OnProperties();
    void OnSettings();
    void OnReceiveData();

protected:
    bool event(QEvent* event) override;

private:
    // The selected instrument; without one, the box that says so.
    CPristroj* Selected();
    void SyncPanel(CPristroj& entry);

    IPristrojeDlgHost& m_host;
    platform::Settings& m_settings;
    CDeviceRegistry::InstrumentList* m_instruments = nullptr;
    CDeviceListCtrl* m_list;
    QPointer<QDialog> m_sheet;
};
