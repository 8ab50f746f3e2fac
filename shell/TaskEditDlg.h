#pragma once

#include "platform/Time32.h"
#include "shell/DeviceRegistry.h"

#include <QDialog>
#include <QString>

class CFamilyList;
class CTask;
class CTaskList;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTimeEdit;

// Edits one download task of a VK or VKT analyser, a new one or one of the
// list; the task changes only on OK, under the task list's outer lock.
class CTaskEditDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId {
        IdName = 1017,
        IdInstrument = 1390,
        IdKind = 1383,
        IdOffline = 1018,
        IdBrowse = 3,
        IdActive = 1016,
        IdInterval = 1385,
        IdSynch = 1025,
        IdSynchTime = 1386,
        IdSynchDay = 1391,
    };

    // Only instruments of a family that can download get tasks.
    explicit CTaskEditDlg(const CFamilyList& families, QWidget* parent = nullptr);

    // False when the list has no VK or VKT instrument (nothing to edit).
    bool NewTask(CDeviceRegistry::InstrumentList& instruments, CTaskList& tasks);
    // False when the task's instrument is no VK or VKT instrument of the list.
    bool LoadTask(CDeviceRegistry::InstrumentList& instruments, CTaskList& tasks, CTask& task);

    // The task written on OK (the new one for a new task).
    CTask* Task() const { return m_task; }

    template <class T>
    T* Control(int id) const
    {
        return findChild<T*>(QString::number(id));
    }

    void accept() override;

private:
    struct Values {
        QString name;
        QString instrument;
        int kind = 1;
        QString offline;
        bool active = true;
        int interval = 2;
        bool synch = false;
        CTime synchTime;
        int synchDay = 0;
    };

    void BuildControls();
    bool FillInstruments(CDeviceRegistry::InstrumentList& instruments);
    void Show(const Values& v);
    CPristroj* Instrument(const QString& name) const;
    void OnInstrumentChanged();
    void OnKindChanged();
    void UpdateControls();
    // Puts a path into the file field, which is sized to show it whole.
    void ShowFile(const QString& path);

    // The file field's width bounds, dialog units.
    static constexpr int kFileFieldDlu = 150;
    static constexpr int kFileFieldMaxDlu = 350;

    const CFamilyList& m_families;
    CDeviceRegistry::InstrumentList* m_instruments = nullptr;
    CTaskList* m_tasks = nullptr;
    CTask* m_task = nullptr;
    bool m_isNew = true;
    int m_type = 0;
    QString m_archive; // the chosen instrument's archive file
    QString m_offline; // the off-line file while kind 0 shows the archive
    CTime m_synchDate;

    QLineEdit* m_name = nullptr;
    QComboBox* m_instrument = nullptr;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_browse = nullptr;
    QCheckBox* m_active = nullptr;
    QComboBox* m_interval = nullptr;
    QCheckBox* m_synch = nullptr;
    QTimeEdit* m_time = nullptr;
    QComboBox* m_day = nullptr;
};
