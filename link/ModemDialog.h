#pragma once

#include <QString>

#include <functional>
#include <memory>

class QObject;

// The progress dialog of dialling and hanging up, as the dialling thread
// drives it.
class IModemDialog {
public:
    // WM_DIAL_DONE stages.
    static constexpr int kHangingUp = 1; // the cancel button is disabled
    static constexpr int kFinished = 2; // the button reads "OK", the blinking stops

    virtual ~IModemDialog() = default;
    virtual void SetCaption(const QString& caption) = 0;
    virtual void SetStatus(const QString& text) = 0;
    // True once the user cancelled.
    virtual bool QueryCancel() = 0;
    virtual void Done(int stage) = 0;
    // Closes the dialog and ends its thread. A dialog that was not closed
    // stays up until the user closes it (a failed dial shows its reason).
    virtual void Close() = 0;
};

// Starts the dialog; null when there is none (the dial then goes on without
// one and cannot be cancelled).
using ModemDialogStarter = std::function<std::unique_ptr<IModemDialog>()>;

// A dialog reached through the private messages WM_DIAL_STATUS (wParam: the
// address of the text), WM_DIAL_CAPTION (likewise), WM_DIAL_QUERY_CANCEL
// (result non-zero once cancelled) and WM_DIAL_DONE (wParam: the stage),
// all sent and waited for. `close` ends the dialog's thread.
class CModemDialMessenger : public IModemDialog {
public:
    CModemDialMessenger(QObject* dialog, std::function<void()> close);
    void SetCaption(const QString& caption) override;
    void SetStatus(const QString& text) override;
    bool QueryCancel() override;
    void Done(int stage) override;
    void Close() override;

private:
    QObject* m_dialog;
    std::function<void()> m_close;
};
