#pragma once

#include "charts/ProfileChoiceDlg.h"

class QPushButton;

// The values of a VK profile at the graph cursor beside the profile graph:
// U1-U3, I1-I3 with their sum and PF1-PF3, each with its colour and a
// check box that shows its curve.
class CProfileValuesDlg : public CProfileChoiceDlg {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 10;

    explicit CProfileValuesDlg(QWidget* parent = nullptr);

    // The group captions the profile sets ("U L-N[V]", "I[A]").
    void SetCaptions(const QString& voltage, const QString& current);
    QString VoltageCaption() const;
    QString CurrentCaption() const;

private:
    QPushButton* m_voltageGroup;
    QPushButton* m_currentGroup;
};
