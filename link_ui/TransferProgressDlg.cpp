#include "link_ui/TransferProgressDlg.h"

#include "link/LinkManager.h"
#include "link/ModemLine.h"
#include "link/PortList.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

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
    : QDialog(parent), m_lines(std::move(lines)), m_now(std::move(now)), m_tabs(new QTabBar)
{
    setWindowTitle(QStringLiteral("Modemy"));
    m_tabs->setObjectName(QString::number(IdTabs));
    for (const Line& line : m_lines)
        m_tabs->addTab(line.name);
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
    auto* close = new QPushButton(QStringLiteral("Zavřít"));
    buttons->addWidget(close);
    top->addLayout(buttons);

    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { Refresh(); });
    connect(m_hangUp, &QPushButton::clicked, this, [this] {
        const int index = m_tabs->currentIndex();
        if (index >= 0 && m_lines[std::size_t(index)].hangUp)
            m_lines[std::size_t(index)].hangUp();
        Refresh();
    });
    connect(m_reset, &QPushButton::clicked, this, [this] {
        const int index = m_tabs->currentIndex();
        if (index >= 0 && m_lines[std::size_t(index)].resetCounters)
            m_lines[std::size_t(index)].resetCounters();
        Refresh();
    });
    Refresh();
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
    m_hangUp->setEnabled(state.lineState == 1);
    m_reset->setEnabled(true);
}
