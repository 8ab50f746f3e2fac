#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

namespace ui {

// The small modeless dialog that long archive and statistics operations show:
// a message and a progress of 0 to 100. Deletes itself when closed; keep a
// QPointer to it when the operation may outlive it.
class CWaitDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWaitDlg(QWidget* parent = nullptr);

    // Sets the message and paints it at once (the caller keeps the event loop busy).
    void SetText(const QString& text);
    // Clamped to 0..100.
    void SetProgress(int percent);

    QString Text() const;
    int Progress() const;

private:
    QLabel* m_text;
    QProgressBar* m_progress;
};

} // namespace ui
