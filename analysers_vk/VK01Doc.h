#pragma once

#include "link/Pristroj.h"
#include "platform/ui/Document.h"

#include <QDialog>

#include <QPointer>

#include <cstdint>

class QWidget;

namespace analysers_vk {

// The document behind the live window of one VK analyser. It holds no
// measured data: it refers to the configured instrument entry (owned by the
// application's device list) and carries the instrument commands.
class CVK01Doc : public ui::CDocument {
    Q_OBJECT
public:
    // The update hint on which the live view reads its stored placement.
    static constexpr std::intptr_t kHintEntryBound = 4;

    static QString DocString();

    CVK01Doc() = default;
    ~CVK01Doc() override;

    // Binds the entry, names the window after it and tells the views.
    void SetPristroj(CPristroj* entry);
    CPristroj* GetPristroj() const { return m_pristroj; }
    QDialog* OpenSheet() const override { return m_sheet.data(); }

    // The instrument commands; each opens the entry's link for its dialog
    // when the instrument is not measured, and leaves the measurement's
    // link alone when it is.
    void OnSettings(QWidget* parent);
    void OnTime(QWidget* parent);
    void OnEnergyMeter(QWidget* parent);
    bool EnergyMeterEnabled() const;
    void OnInfo(QWidget* parent);
    void OnOpenCurrentFile();
    bool OpenCurrentFileEnabled() const;
    void OnHide() { OnCloseDocument(); }
    // Closed by the user (the menu, the frame's close box, the instrument
    // list): the instrument stops showing it.
    void OnCloseDocument() override;
    // "Přijmout data": after the question, the download window of the
    // instrument.
    void OnReceiveData(QWidget* parent);
    // "Otevři soubor dle přístroje ...": the application's open-archive
    // dialog with this instrument chosen; offered while the application
    // knows instruments.
    void OnOpenByInstrument(QWidget* parent);
    bool OpenByInstrumentEnabled() const;
    // "Otevřít předchozí soubor": the newest archive of the instrument's
    // folder that began before the file now written.
    void OnOpenPreviousFile(QWidget* parent);
    // The archive of the family `type` (CPristroj::kVK ".vk" or kVKR ".vkr")
    // in `folder`, other than `current`, whose first record is the latest
    // before `reference`; empty for none. Every candidate opened is closed
    // again.
    static QString FindPreviousArchive(const QString& folder, const QString& current, std::int64_t reference,
                                       int type = CPristroj::kVK);

protected:
    // The instrument family whose archives this document's commands look for.
    virtual int ArchiveFamily() const { return CPristroj::kVK; }
    // Points at the settings sheet while a command of this document shows it.
    QPointer<QDialog>& SheetSlot() { return m_sheet; }

private:
    CPristroj* m_pristroj = nullptr;
    QPointer<QDialog> m_sheet;
};

} // namespace analysers_vk
