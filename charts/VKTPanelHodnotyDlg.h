#pragma once

#include "charts/ProfileChoiceDlg.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The values of a VKT profile at the graph cursor beside the profile graph:
// the 23 profile quantities (voltages, currents with their sum, power
// factors, active, reactive and apparent powers with their three-phase
// totals), each with its colour and a check box that shows its curve, and
// the minute's time, outages and the file.
class CVKTPanelHodnotyDlg : public CProfileChoiceDlg {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 23;

    explicit CVKTPanelHodnotyDlg(QWidget* parent = nullptr);

    // The group captions: voltage, current, then P, Q and S.
    void SetCaptions(const QString& voltage, const QString& current, const QString& active,
                     const QString& reactive, const QString& apparent);
    QString Caption(int group) const;
    void SetOutagesText(const QString& text);
    QString OutagesText() const;
    void SetFileText(const QString& text);
    QString FileText() const;
    // Copies the shown flags into the check boxes and shows the texts.
    void ShowValues() { LoadFlags(); }

private:
    QPushButton* m_groups[5];
    QLineEdit* m_outages;
    QLabel* m_file;
};
