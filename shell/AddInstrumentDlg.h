#pragma once

#include <QDialog>
#include <QString>

class CFamilyList;
class CPortList;
class CPristroj;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;

// Edits one instrument entry: a new one or a copy of an existing one. The
// entry changes only on OK; applying it to the running instrument is the
// caller's business. Every control carries its dialog id as object name.
class CAddInstrumentDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId {
        IdPort = 1000,
        IdName = 1001,
        IdAddress = 1002,
        IdType = 1003,
        IdShow = 1004,
        IdMeasure = 1005,
        IdOverwritePeriod = 1006,
        IdMeasuringInterval = 1007,
        IdCyclic = 1008,
        IdRecordingInterval = 1009,
        IdRecord = 1010,
        IdArchiveFile = 1011,
        IdAdvanced = 1012,
        IdTelephone = 1013,
        IdSynchronise = 1014,
        IdPanel = 1016,
        IdAdvancedNote = 1122,
        IdIdentify = 1138,
        IdBrowse = 3,
    };

    // Overwrite periods of combo 1006, in seconds.
    static constexpr int kOverwritePeriods[5] = {86400, 172800, 604800, 1209600, 2592000};
    static constexpr int kRecordingIntervals[4] = {30, 60, 90, 120};

    // `ports`: the application's port list, refreshed when the dialog is
    // filled. `dataFolder` and `subFolders`: where a new instrument records.
    // `families`: the program's instrument families, the choices of the type
    // list; they outlive the dialog.
    CAddInstrumentDlg(const CFamilyList& families, CPortList& ports, const QString& dataFolder, bool subFolders,
                      QWidget* parent = nullptr);

    // `live`: the running entry `entry` was copied from (the entry itself,
    // or null, for a new instrument).
    void SetEntry(CPristroj* entry, bool isNew, CPristroj* live);

    template <class T>
    T* Control(int id) const
    {
        return findChild<T*>(QString::number(id));
    }

    void accept() override;

    // An empty text when `name` can name an instrument; else why not. The
    // name becomes a settings key and a part of archive paths.
    static QString CheckInstrumentName(const QString& name);
    static constexpr int kMaxNameLength = 64;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void FillControls();
    // The port list is brought up to date only when the dialog fills.
    void FillPorts(bool refresh);
    void FillRecordingIntervals();
    void SelectMeasuringInterval(int seconds);
    void OnNameChanged(const QString& name);
    void OnTypeChanged();
    void OnIdentify();
    void OnBrowse();
    void UpdateControls();
    // The dialog takes the size of its dialog units, with or without the
    // advanced part, and its button row the place they give.
    void FitToDialogUnits();
    void PlaceButtons();
    int ButtonsTopDlu() const;
    int SelectedType() const;
    // The bus address typed, 0 for a text that is no number.
    int AddressTyped() const;
    // False, with the rule said and the field focused, for an address no
    // instrument can have: it must not be stored nor asked on the line.
    bool CheckAddressField(const QString& name);
    bool TypeSynchronises(int type) const;

    const CFamilyList& m_families;
    CPortList& m_ports;
    QString m_dataFolder;
    bool m_subFolders;
    CPristroj* m_entry = nullptr;
    CPristroj* m_live = nullptr;
    bool m_isNew = true;
    bool m_filled = false;
    int m_rememberedSync = 0;
    int m_shownType = 0;

    QComboBox* m_port = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_telephone = nullptr;
    QComboBox* m_type = nullptr;
    QCheckBox* m_measure = nullptr;
    QCheckBox* m_show = nullptr;
    QCheckBox* m_panel = nullptr;
    QCheckBox* m_record = nullptr;
    QLineEdit* m_file = nullptr;
    QComboBox* m_overwrite = nullptr;
    QCheckBox* m_cyclic = nullptr;
    QComboBox* m_measuring = nullptr;
    QComboBox* m_recording = nullptr;
    QCheckBox* m_sync = nullptr;
    QCheckBox* m_advanced = nullptr;
    QWidget* m_advancedPart = nullptr;
};
