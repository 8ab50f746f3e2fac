#pragma once

#include "platform/Time32.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

class CArchivData;
class CPristroj;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;

// What patching needs of a configured instrument.
class IPatchInstrument {
public:
    virtual ~IPatchInstrument() = default;
    virtual QString Name() const = 0;
    virtual int Type() const = 0;
    // Its measurement thread holds the link open.
    virtual bool IsMeasured() const = 0;
    virtual bool OpenLink() = 0;
    virtual void CloseLink() = 0;
    // One status request of the family `kind` (2 VK, 4 VKT): the oldest and
    // newest record time the instrument holds (invalid when unknown).
    virtual bool ReadRecordRange(int kind, platform::CTime& first, platform::CTime& last) = 0;
};

// A configured instrument of the program.
class CPristrojPatchInstrument : public IPatchInstrument {
public:
    explicit CPristrojPatchInstrument(CPristroj& entry) : m_entry(entry) {}
    QString Name() const override;
    int Type() const override;
    bool IsMeasured() const override;
    bool OpenLink() override;
    void CloseLink() override;
    bool ReadRecordRange(int kind, platform::CTime& first, platform::CTime& last) override;

private:
    CPristroj& m_entry;
};

// What the dialog needs of the program.
struct CPatchArchivHost {
    // The program's instruments, in list order.
    std::function<std::vector<IPatchInstrument*>()> instruments;
    // Opens a visible download document and starts the interval download;
    // false when the program has no download template.
    // fromOpen / toOpen: 1 when that end is the instrument's own oldest /
    // newest record (no bound), else 0.
    std::function<bool(IPatchInstrument& instrument, platform::CTime from, platform::CTime to, int fromOpen,
                       int toOpen, const QString& archivePath)>
        startIntervalDownload;
};

// "Záplatovat archiv": fills the gaps of a VK or VKT archive from the
// instrument's own memory over a chosen interval.
class CZaplatovatArchivDlg : public QDialog {
public:
    static constexpr int kStatusAttempts = 3;

    explicit CZaplatovatArchivDlg(QWidget* parent = nullptr);

    void SetHost(CPatchArchivHost host) { m_host = std::move(host); }
    // 1 when the program has an instrument of the archive's family; the
    // archive's range, path and stored instrument name are read then.
    int SetVKArchive(CArchivData* archive) { return SetArchive(archive, 2); }
    int SetVKTArchive(CArchivData* archive) { return SetArchive(archive, 4); }

    // Fills the controls; run before the dialog is shown.
    void InitDialog();

    void OnFromChoice(int choice);
    void OnToChoice(int choice);
    void OnInstrumentChanged();
    void OnDateEdited(bool from);
    void OnTimeEdited(bool from);
    void accept() override;
    // After the dialog ended with OK.
    void StartPatchDownload();

    QComboBox* InstrumentCombo() const { return m_instrument; }
    QComboBox* FromChoiceCombo() const { return m_fromChoice; }
    QComboBox* ToChoiceCombo() const { return m_toChoice; }
    QDateTimeEdit* DatePicker(bool from) const { return from ? m_fromDatePicker : m_toDatePicker; }
    QDateTimeEdit* TimePicker(bool from) const { return from ? m_fromTimePicker : m_toTimePicker; }
    QString InstrumentRangeText() const;
    QString ArchiveRangeText() const;
    QString ArchivePathText() const;
    QString StoredNameText() const;
    platform::CTime FromTime() const { return m_fromTime; }
    platform::CTime ToTime() const { return m_toTime; }

private:
    int SetArchive(CArchivData* archive, int kind);
    std::vector<IPatchInstrument*> InstrumentsOfKind() const;
    bool ReadInstrumentRange();
    void ShowInstrumentRange();
    void OnChoice(bool from, int choice);
    void SetTimes(bool from, platform::CTime time);
    void ShowTimes();

    CPatchArchivHost m_host;
    QComboBox* m_fromChoice = nullptr;
    QDateTimeEdit* m_fromDatePicker = nullptr;
    QDateTimeEdit* m_fromTimePicker = nullptr;
    QComboBox* m_toChoice = nullptr;
    QDateTimeEdit* m_toDatePicker = nullptr;
    QDateTimeEdit* m_toTimePicker = nullptr;
    QComboBox* m_instrument = nullptr;
    QLineEdit* m_instrumentRange = nullptr;
    QLineEdit* m_archiveRange = nullptr;
    QLineEdit* m_archivePath = nullptr;
    QLineEdit* m_storedName = nullptr;

    int m_toChoiceValue = 0;
    int m_fromChoiceValue = 0;
    platform::CTime m_fromTime{0};
    platform::CTime m_toTime{0};
    QString m_path;
    platform::CTime m_archiveEnd{0};
    platform::CTime m_archiveStart{0};
    platform::CTime m_instrumentLast{platform::CTime::kInvalid};
    platform::CTime m_instrumentFirst{platform::CTime::kInvalid};
    QString m_storedInstrument;
    int m_selected = 0;
    CArchivData* m_archive = nullptr;
    int m_kind = 0;
};
