#pragma once

#include "link/ModemStatus.h"

#include <QDialog>

#include <functional>
#include <vector>

class CLinkManager;
class CPortList;
class QLabel;
class QPushButton;
class QTabBar;

// "Modemy": one tab per modem line with its state, the current call's
// received amount and connected time, the totals and the links on it; the
// call can be ended and the counters reset.
class CTransferProgressDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId { IdTabs = 1263, IdResetCounters = 1406, IdHangUp = 1407 };

    // What the dialog does with one line.
    struct Line {
        QString name;
        std::function<ModemLineState()> state;
        std::function<void()> hangUp;
        std::function<void()> resetCounters;
    };
    // The modem lines of the port list, through the link manager.
    static std::vector<Line> LinesOf(const CPortList& ports, CLinkManager& manager);

    CTransferProgressDlg(std::vector<Line> lines, QWidget* parent = nullptr,
                         std::function<CTime()> now = [] { return CTime::GetCurrentTime(); });

    QTabBar* Tabs() const { return m_tabs; }
    // The texts shown for the chosen line.
    const ModemStateTexts& Shown() const { return m_shown; }
    void Refresh();

private:
    std::vector<Line> m_lines;
    std::function<CTime()> m_now;
    QTabBar* m_tabs;
    QLabel* m_texts[6];
    QPushButton* m_hangUp;
    QPushButton* m_reset;
    ModemStateTexts m_shown;
};
