#include "charts/BexorDisplayDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CBexorDisplayDlg::CBexorDisplayDlg(const charts::CMeterDisplay& display, bool vkt, const std::array<int, 24>& tariffs,
                                   const QString& resetTime, QWidget* parent)
    : QDialog(parent),
      m_display(display),
      m_quantities(new QListWidget(this)),
      m_subColumns(new QListWidget(this)),
      m_interval(new QComboBox(this)),
      m_value(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Elektroměr"));
    m_quantities->setObjectName(QStringLiteral("1378"));
    m_subColumns->setObjectName(QStringLiteral("1379"));
    m_interval->setObjectName(QStringLiteral("1376"));
    m_value->setObjectName(QStringLiteral("1377"));
    for (QListWidget* list : {m_quantities, m_subColumns}) {
        list->setSelectionMode(QAbstractItemView::MultiSelection);
        list->setMinimumWidth(190);
    }
    const char* const quantities[5] = {"Činná práce import (AaI)", "Činná práce export (AaE)",
                                       "Jalová práce Import (ArL)", "Jalová práce Export (ArC)", "Účiník (PF)"};
    for (int q = 0; q < 5; ++q) {
        m_quantities->addItem(QString::fromUtf8(quantities[q]));
        m_quantities->item(q)->setSelected(display.quantities[std::size_t(q)] != 0);
    }
    const char* const subs[7] = {"Tarif1 (T1)", "Tarif2 (T2)", "Tarif3 (T3)", "Celkem (C)",
                                 "Fáze 1 (L1)", "Fáze 2 (L2)", "Fáze 3 (L3)"};
    for (int s = 0; s < (vkt ? 7 : 4); ++s) {
        m_subColumns->addItem(QString::fromUtf8(subs[s]));
        m_subColumns->item(s)->setSelected(display.subColumns[std::size_t(s)] != 0);
    }
    m_interval->addItems({QStringLiteral("15 min"), QStringLiteral("1 hod"), QStringLiteral("8 hod"),
                          QStringLiteral("1 den"), QStringLiteral("1 týden")});
    m_interval->setCurrentIndex(std::clamp(display.interval, 0, 4));
    m_value->addItems({QStringLiteral("absolutně"), QStringLiteral("relativně")});
    m_value->setCurrentIndex(display.increments ? 1 : 0);

    auto* top = new QVBoxLayout(this);
    auto* shown = new QGroupBox(QStringLiteral("Zobrazovat:"), this);
    auto* lists = new QHBoxLayout(shown);
    lists->addWidget(m_quantities);
    lists->addWidget(m_subColumns);
    top->addWidget(shown);
    auto* choices = new QGridLayout;
    choices->addWidget(new QLabel(QStringLiteral("Interval:"), this), 0, 0);
    choices->addWidget(m_interval, 0, 1);
    choices->addWidget(new QLabel(QStringLiteral("Hodnota:"), this), 1, 0);
    choices->addWidget(m_value, 1, 1);
    top->addLayout(choices);

    auto* tariffBox = new QGroupBox(QStringLiteral("Odběrový tarif"), this);
    auto* grid = new QGridLayout(tariffBox);
    for (int h = 0; h < 24; ++h) {
        auto* edit = new QLineEdit(QString::number(tariffs[std::size_t(h)]), tariffBox);
        edit->setReadOnly(true);
        edit->setMaximumWidth(28);
        edit->setObjectName(QString::number(h < 15 ? 1017 + h : 1036 + h - 15));
        grid->addWidget(new QLabel(QString::number(h + 1), tariffBox), (h / 12) * 2, h % 12, Qt::AlignCenter);
        grid->addWidget(edit, (h / 12) * 2 + 1, h % 12);
    }
    grid->addWidget(new QLabel(QStringLiteral("Čas nulování:"), tariffBox), 4, 0, 1, 4);
    auto* reset = new QLineEdit(resetTime, tariffBox);
    reset->setObjectName(QStringLiteral("1315"));
    reset->setReadOnly(true);
    grid->addWidget(reset, 4, 4, 1, 8);
    top->addWidget(tariffBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Storno"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
}

charts::CMeterDisplay CBexorDisplayDlg::Settings() const
{
    charts::CMeterDisplay d = m_display;
    for (int q = 0; q < m_quantities->count(); ++q)
        d.quantities[std::size_t(q)] = m_quantities->item(q)->isSelected() ? 1 : 0;
    for (int s = 0; s < m_subColumns->count(); ++s)
        d.subColumns[std::size_t(s)] = m_subColumns->item(s)->isSelected() ? 1 : 0;
    d.interval = m_interval->currentIndex();
    d.increments = m_value->currentIndex() == 1 ? 1 : 0;
    return d;
}
