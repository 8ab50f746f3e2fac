#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

class CPristroj;
class QCheckBox;

namespace analysers_vkt {

// "Přijímaná data": which phases and groups of values a VKT analyser sends
// on each poll. The choice is the low byte of the entry's request word; the
// bits above it belong to other writers and are kept.
class CVKTPrijimanaDataDlg : public QDialog {
    Q_OBJECT
public:
    explicit CVKTPrijimanaDataDlg(QWidget* parent = nullptr);

    // The boxes from bits 0-7 of `word`.
    void SetMask(std::uint32_t word);
    // `previous` with its low byte replaced by the boxes; every bit from 8
    // up is taken from `previous` unchanged.
    std::uint32_t GetMask(std::uint32_t previous) const;

    QCheckBox* Box(int bit) const { return m_boxes[std::size_t(bit)]; }

private:
    std::array<QCheckBox*, 8> m_boxes{};
};

// Stores the dialog's choice in the entry's request word with a
// compare-and-swap loop, so that a change another writer makes to the high
// bits meanwhile survives; returns the word stored.
std::uint32_t StoreReceivedChoice(CPristroj& entry, const CVKTPrijimanaDataDlg& dialog);

// The live view's command: the dialog on the entry's word, stored and the
// entry saved on OK; nothing changes on Cancel.
void OpenVKTPrijimanaData(QWidget* parent, CPristroj& entry);

} // namespace analysers_vkt
