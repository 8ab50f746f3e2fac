#include "charts/ProfileValuesDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CProfileValuesDlg::CProfileValuesDlg(QWidget* parent)
    : CProfileChoiceDlg(parent),
      m_voltageGroup(new QPushButton(QStringLiteral("U L-N[V]"), this)),
      m_currentGroup(new QPushButton(QStringLiteral("I[A]"), this))
{
    setObjectName(QStringLiteral("32044"));
    m_voltageGroup->setObjectName(QStringLiteral("1323"));
    m_currentGroup->setObjectName(QStringLiteral("1324"));
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(4, 2, 4, 2);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(3);
    top->addLayout(grid);
    for (QPushButton* group : {m_voltageGroup, m_currentGroup})
        group->setFlat(true);
    grid->addWidget(m_voltageGroup, 0, 0, 1, 4);
    grid->addWidget(m_currentGroup, 0, 5, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("PF"), this), 0, 10, 1, 4);
    const int u[3][3] = {{1015, 1019, 1025}, {1016, 1020, 1026}, {1017, 1021, 1027}};
    for (int k = 0; k < 3; ++k)
        AddQuantity(grid, k + 1, 0, QString::number(k + 1), u[k][0], u[k][1], u[k][2]);
    const int i[4][3] = {{1050, 1054, 1028}, {1051, 1055, 1029}, {1052, 1056, 1030}, {1053, 1057, 1031}};
    for (int k = 0; k < 4; ++k)
        AddQuantity(grid, k + 1, 5, k < 3 ? QString::number(k + 1) : QStringLiteral("1+2+3"), i[k][0], i[k][1],
                    i[k][2]);
    const int pf[3][3] = {{1245, 1102, 1320}, {1246, 1103, 1321}, {1247, 1104, 1322}};
    for (int k = 0; k < 3; ++k)
        AddQuantity(grid, k + 1, 10, QString::number(k + 1), pf[k][0], pf[k][1], pf[k][2]);
    grid->setColumnMinimumWidth(4, 12);
    grid->setColumnMinimumWidth(9, 12);

    auto* side = new QGridLayout;
    side->addWidget(new QLabel(QStringLiteral("Čas"), this), 0, 0);
    QLineEdit* time = MakeEdit(kTimeId);
    time->setMinimumWidth(110);
    side->addWidget(time, 0, 1);
    side->addWidget(MakePrintButton(), 1, 1, Qt::AlignRight);
    top->addSpacing(12);
    top->addLayout(side);
    top->addStretch();
}

void CProfileValuesDlg::SetCaptions(const QString& voltage, const QString& current)
{
    m_voltageGroup->setText(voltage);
    m_currentGroup->setText(current);
}

QString CProfileValuesDlg::VoltageCaption() const { return m_voltageGroup->text(); }
QString CProfileValuesDlg::CurrentCaption() const { return m_currentGroup->text(); }
