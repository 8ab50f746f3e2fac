#pragma once

#include "link/ModemStatus.h"

#include <QDialog>

#include <functional>
#include <vector>

class CLinkManager;
class CPortList;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabBar;

// "Modemy": one tab per modem line with its state, the current call's
// received amount and connected time, the totals and the links on it; the
// call can be ended and the counters reset. Below, which serial port
// carries a modem: any port (a USB adapter, a device path typed in) becomes
// a modem line, or stops being one.
class CTransferProgressDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId {
        IdTabs = 1263,
        IdResetCounters = 1406,
        IdHangUp = 1407,
        IdModemPort = 1408,
        IdModemOnPort = 1409,
        IdModemPorts = 1412,
    };

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

    // What the dialog offers and does about the modem on a serial port.
    struct PortMarks {
        struct Port {
            QString name;
            QString description;
        };
        std::vector<Port> ports; // the serial ports to choose from
        std::function<bool(const QString& port, const QString& description)> isModem;
        // Stores the user's word; the modem lines as they are then.
        std::function<std::vector<Line>(const QString& port, const QString& description, bool modem)> mark;
    };
    // Without marks the part stays disabled.
    void SetPortMarks(PortMarks marks);

    QTabBar* Tabs() const { return m_tabs; }
    // The texts shown for the chosen line.
    const ModemStateTexts& Shown() const { return m_shown; }
    void Refresh();

    void reject() override;

private:
    void SetLines(std::vector<Line> lines);
    // The port chosen or typed in, with its description when it is listed.
    PortMarks::Port ChosenPort() const;
    void ShowPortMark();
    void OnPortMark(bool modem);
    // Ending a call takes seconds (a countdown, the escape) in a dialog of
    // its own that must answer its "Storno": it runs on a thread while this
    // one goes on serving the windows.
    void RunAside(const std::function<void()>& work);

    std::vector<Line> m_lines;
    std::function<CTime()> m_now;
    QTabBar* m_tabs;
    QLabel* m_texts[6];
    QPushButton* m_hangUp;
    QPushButton* m_reset;
    QPushButton* m_close;
    QGroupBox* m_portGroup;
    QComboBox* m_port;
    QCheckBox* m_onPort;
    PortMarks m_marks;
    bool m_busy = false;
    ModemStateTexts m_shown;
};
