#pragma once

#include "link/ModemDialog.h"
#include "platform/WindowMessage.h"

#include <QDialog>

#include <atomic>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

// The progress of dialling and hanging up a modem line: a status text, two
// pictures that take turns while the line works, and a button that cancels
// until the work is finished and then reads "OK" and closes. The dialling
// thread drives it with the dial messages.
class CModemDialDlg : public QDialog, public platform::MessageDispatcher {
    Q_OBJECT
public:
    enum ControlId { IdStatus = 1017, IdButton = 1407, IdPicture1 = 1410, IdPicture2 = 1411 };
    static constexpr int kBlinkMs = 1500;

    explicit CModemDialDlg(QWidget* parent = nullptr);

    QString StatusText() const;
    QString ButtonText() const;
    void ShowStatus(const QString& text);
    // An IModemDialog stage: hanging up (no cancel) or finished (OK closes).
    void ShowStage(int stage);
    // Set as well when the user cancels: read by a thread that does not
    // ask the dialog.
    void SetCancelFlag(std::shared_ptr<std::atomic<bool>> flag) { m_cancelFlag = std::move(flag); }
    bool IsCancelled() const { return m_cancelled; }
    bool IsFinished() const { return m_finished; }
    // Which picture shows (0 or 1).
    int Picture() const { return m_picture; }
    void Blink();
    // The dialling thread is done with the dialog: it may close.
    void AllowClose() { m_closeAllowed = true; }

    // Until the work is finished, closing the window (or Esc) cancels and
    // the dialling thread closes the dialog: it may still be talking to it.
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnButton();
    void Cancel();

    QLabel* m_status;
    QLabel* m_pictures[2];
    QPushButton* m_button;
    QTimer* m_timer;
    int m_picture = 0;
    bool m_cancelled = false;
    bool m_finished = false;
    bool m_closeAllowed = false;
    std::shared_ptr<std::atomic<bool>> m_cancelFlag;
};

// The dialogs of the program's modem lines: each dial or hang-up gets a
// dialog on the user-interface thread, driven from the dialling thread, so
// that a dial never blocks the main window. The dialling thread never waits
// for the user-interface thread either: that thread may be waiting for the
// dialling one (an instrument started, changed or stopped from a dialog).
// What the line tells the dialog is queued to it in order; the cancel is a
// flag the dialog sets.
ModemDialogStarter MakeModemDialogStarter();
