#pragma once

#include "platform/Time32.h"

#include <QDialog>

class QLineEdit;

namespace analysers_vk {

class IVKEntryIo;

// The computer's clock beside the analyser's (VK or VKT), with the
// difference, and the two ways to correct the instrument: synchronise within
// the hour or set it to the computer's time.
class CTimeSyncDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTimeSyncDlg(QWidget* parent = nullptr);

    // Keeps the entry and reads the times; false when the instrument did not
    // answer (the user is told, and the dialog is then not to be shown).
    bool SetPristroj(IVKEntryIo* io);
    bool ReadTimes();

    QString ComputerTimeText() const;
    QString InstrumentTimeText() const;
    QString DifferenceText() const;

    // The difference d = computer - instrument in seconds as shown; a
    // difference of exactly 1 s counts as none.
    static QString FormatDifference(std::int64_t d);

private:
    void OnSynchronise();
    void OnSet();

    IVKEntryIo* m_io = nullptr;
    QLineEdit* m_computer = nullptr;
    QLineEdit* m_instrument = nullptr;
    QLineEdit* m_difference = nullptr;
};

} // namespace analysers_vk
