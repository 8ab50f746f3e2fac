#include "link_ui/TransferProgressDlg.h"

#include "link/LinkManager.h"
#include "link/ModemLine.h"
#include "link/PortList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <atomic>
#include <initializer_list>
#include <thread>

std::vector<CTransferProgressDlg::Line> CTransferProgressDlg::LinesOf(const CPortList& ports, CLinkManager& manager)
{
    std::vector<Line> lines;
    for (const CPortEntry& entry : ports.Entries()) {
        auto* modem = dynamic_cast<CModemPort*>(entry.modem);
        if (entry.kind != kPortKindModem || !modem)
            continue;
        lines.push_back({entry.name, [&manager, modem] { return manager.GetModemState(*modem); },
                         [&manager, modem] { manager.HangUpModem(*modem); },
                         [&manager, modem] { manager.ResetModemCounters(*modem); }});
    }
    return lines;
}

CTransferProgressDlg::CTransferProgressDlg(std::vector<Line> lines, QWidget* parent, std::function<CTime()> now)
    : QDialog(parent), m_now(std::move(now)), m_tabs(new QTabBar)
{
    setWindowTitle(QStringLiteral("Modemy"));
    m_tabs->setObjectName(QString::number(IdTabs));
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_tabs);
    auto* form = new QFormLayout;
    const char* const labels[6] = {"Stav:",          "Přijato (spojení):",  "Doba spojení:",
                                   "Přijato celkem:", "Doba spojení celkem:", "Počet připojených přístrojů:"};
    for (int i = 0; i < 6; ++i) {
        m_texts[i] = new QLabel;
        m_texts[i]->setObjectName(QStringLiteral("text%1").arg(i));
        form->addRow(QString::fromUtf8(labels[i]), m_texts[i]);
    }
    top->addLayout(form);
    auto* buttons = new QHBoxLayout;
    m_hangUp = new QPushButton(QStringLiteral("Ukončit spojení"));
    m_hangUp->setObjectName(QString::number(IdHangUp));
    m_reset = new QPushButton(QStringLiteral("Vynulovat počítadla"));
    m_reset->setObjectName(QString::number(IdResetCounters));
    buttons->addWidget(m_hangUp);
    buttons->addWidget(m_reset);
    buttons->addStretch();
    top->addLayout(buttons);

    m_portGroup = new QGroupBox(QString::fromUtf8("Modem na sériovém portu"));
    m_portGroup->setObjectName(QString::number(IdModemPorts));
    auto* portRow = new QHBoxLayout(m_portGroup);
    m_port = new QComboBox;
    m_port->setObjectName(QString::number(IdModemPort));
    // A device path that no enumeration lists is typed in.
    m_port->setEditable(true);
    m_port->setInsertPolicy(QComboBox::NoInsert);
    m_port->setMinimumContentsLength(24);
    m_onPort = new QCheckBox(QString::fromUtf8("Na portu je modem"));
    m_onPort->setObjectName(QString::number(IdModemOnPort));
    portRow->addWidget(new QLabel(QStringLiteral("Port:")));
    portRow->addWidget(m_port, 1);
    portRow->addWidget(m_onPort);
    m_portGroup->setEnabled(false);
    top->addWidget(m_portGroup);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    m_close = new QPushButton(QStringLiteral("Zavřít"));
    closeRow->addWidget(m_close);
    top->addLayout(closeRow);

    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { Refresh(); });
    connect(m_hangUp, &QPushButton::clicked, this, [this] {
        const int index = m_tabs->currentIndex();
        if (index >= 0 && m_lines[std::size_t(index)].hangUp)
            RunAside(m_lines[std::size_t(index)].hangUp);
        Refresh();
    });
    connect(m_reset, &QPushButton::clicked, this, [this] {
        const int index = m_tabs->currentIndex();
        if (index >= 0 && m_lines[std::size_t(index)].resetCounters)
            m_lines[std::size_t(index)].resetCounters();
        Refresh();
    });
    connect(m_port, &QComboBox::currentTextChanged, this, [this] { ShowPortMark(); });
    connect(m_onPort, &QCheckBox::clicked, this, [this](bool checked) { OnPortMark(checked); });
    SetLines(std::move(lines));
}

void CTransferProgressDlg::SetLines(std::vector<Line> lines)
{
    const QString shown = m_tabs->currentIndex() >= 0 ? m_tabs->tabText(m_tabs->currentIndex()) : QString();
    m_lines = std::move(lines);
    m_tabs->blockSignals(true);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    int current = 0;
    for (const Line& line : m_lines) {
        if (line.name == shown)
            current = m_tabs->count();
        m_tabs->addTab(line.name);
    }
    m_tabs->setCurrentIndex(m_lines.empty() ? -1 : current);
    m_tabs->blockSignals(false);
    Refresh();
}

void CTransferProgressDlg::SetPortMarks(PortMarks marks)
{
    m_marks = std::move(marks);
    m_port->blockSignals(true);
    m_port->clear();
    for (const PortMarks::Port& port : m_marks.ports) {
        m_port->addItem(port.description.isEmpty() || port.description == port.name
                            ? port.name
                            : port.name + QStringLiteral(" ( ") + port.description + QStringLiteral(" )"),
                        port.name);
    }
    m_port->blockSignals(false);
    m_portGroup->setEnabled(m_marks.isModem && m_marks.mark);
    ShowPortMark();
}

CTransferProgressDlg::PortMarks::Port CTransferProgressDlg::ChosenPort() const
{
    const QString text = m_port->currentText().trimmed();
    const int listed = m_port->findText(text);
    if (listed >= 0)
        return m_marks.ports[std::size_t(listed)];
    for (const PortMarks::Port& port : m_marks.ports) {
        if (port.name == text)
            return port;
    }
    return {text, QString()};
}

void CTransferProgressDlg::ShowPortMark()
{
    const PortMarks::Port port = ChosenPort();
    const bool known = !port.name.isEmpty() && m_marks.isModem;
    m_onPort->setEnabled(known && !m_busy);
    m_onPort->setChecked(known && m_marks.isModem(port.name, port.description));
}

void CTransferProgressDlg::OnPortMark(bool modem)
{
    const PortMarks::Port port = ChosenPort();
    if (port.name.isEmpty() || !m_marks.mark)
        return;
    SetLines(m_marks.mark(port.name, port.description, modem));
    ShowPortMark();
}

void CTransferProgressDlg::RunAside(const std::function<void()>& work)
{
    m_busy = true;
    for (QWidget* control : std::initializer_list<QWidget*>{m_tabs, m_hangUp, m_reset, m_close, m_portGroup})
        control->setEnabled(false);
    std::atomic<bool> done{false};
    QEventLoop loop;
    std::thread worker([&] {
        work();
        done.store(true);
        // By name: no functor made on this thread is freed on another.
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    if (!done.load())
        loop.exec();
    worker.join();
    m_busy = false;
    for (QWidget* control : std::initializer_list<QWidget*>{m_tabs, m_close})
        control->setEnabled(true);
    m_portGroup->setEnabled(m_marks.isModem && m_marks.mark);
    ShowPortMark();
}

void CTransferProgressDlg::reject()
{
    // The dialog of the ending call may still ask the line's work about it.
    if (!m_busy)
        QDialog::reject();
}

void CTransferProgressDlg::Refresh()
{
    const int index = m_tabs->currentIndex();
    if (index < 0 || std::size_t(index) >= m_lines.size()) {
        m_shown = ModemStateTexts();
        for (QLabel* label : m_texts)
            label->clear();
        m_hangUp->setEnabled(false);
        m_reset->setEnabled(false);
        return;
    }
    const ModemLineState state = m_lines[std::size_t(index)].state ? m_lines[std::size_t(index)].state() : ModemLineState();
    m_shown = DescribeModemState(state, m_now());
    const QString texts[6] = {m_shown.state,       m_shown.callAmount,    m_shown.callDuration,
                              m_shown.totalAmount, m_shown.totalDuration, m_shown.links};
    for (int i = 0; i < 6; ++i)
        m_texts[i]->setText(texts[i]);
    m_hangUp->setEnabled(state.lineState == 1 && !m_busy);
    m_reset->setEnabled(!m_busy);
}
