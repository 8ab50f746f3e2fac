#include "charts/VKTPanelHodnotyDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Edit, swatch and check box of each quantity, in quantity order.
struct Ids {
    int edit, swatch, check;
};
constexpr Ids kVoltage[3] = {{1015, 1019, 1025}, {1016, 1020, 1026}, {1017, 1021, 1027}};
constexpr Ids kCurrent[4] = {{1050, 1054, 1028}, {1051, 1055, 1029}, {1052, 1056, 1030}, {1053, 1057, 1031}};
constexpr Ids kPowerFactor[4] = {{1245, 1102, 1320}, {1246, 1103, 1321}, {1247, 1104, 1322}, {1248, 1105, 1035}};
constexpr Ids kActive[4] = {{1071, 1507, 1036}, {1072, 1508, 1037}, {1073, 1509, 1038}, {1074, 1510, 1039}};
constexpr Ids kReactive[4] = {{1082, 1087, 1040}, {1083, 1088, 1041}, {1084, 1089, 1042}, {1085, 1090, 1043}};
constexpr Ids kApparent[4] = {{1092, 1097, 1044}, {1093, 1098, 1045}, {1094, 1099, 1046}, {1095, 1100, 1047}};

} // namespace

CVKTPanelHodnotyDlg::CVKTPanelHodnotyDlg(QWidget* parent)
    : CProfileChoiceDlg(parent), m_outages(nullptr), m_file(new QLabel(this))
{
    setObjectName(QStringLiteral("32045"));
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(4, 2, 4, 2);
    top->setSpacing(2);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(3);
    top->addLayout(grid);

    const char* captions[6] = {"U L-N[V]", "I[A]", "PF", "P [W] ", "Q [var] ", "S [VA] "};
    const int groupIds[6] = {1323, 1324, 0, 1325, 1326, 1327};
    int button = 0;
    for (int g = 0; g < 6; ++g) {
        QWidget* caption = nullptr;
        if (groupIds[g] == 0) {
            caption = new QLabel(QString::fromUtf8(captions[g]), this);
        } else {
            auto* b = new QPushButton(QString::fromUtf8(captions[g]), this);
            b->setFlat(true);
            b->setObjectName(QString::number(groupIds[g]));
            m_groups[button++] = b;
            caption = b;
        }
        grid->addWidget(caption, 0, g * 5, 1, 4);
        if (g > 0)
            grid->setColumnMinimumWidth(g * 5 - 1, 8);
    }
    const auto add = [&](const Ids* ids, int count, int group, bool total) {
        for (int k = 0; k < count; ++k) {
            const bool last = k == 3;
            const QString label =
                last ? (total ? QStringLiteral("3F") : QStringLiteral("1+2+3")) : QString::number(k + 1);
            AddQuantity(grid, k + 1, group * 5, label, ids[k].edit, ids[k].swatch, ids[k].check);
        }
    };
    add(kVoltage, 3, 0, false);
    add(kCurrent, 4, 1, false);
    add(kPowerFactor, 4, 2, true);
    add(kActive, 4, 3, true);
    add(kReactive, 4, 4, true);
    add(kApparent, 4, 5, true);

    auto* bottom = new QGridLayout;
    bottom->setHorizontalSpacing(6);
    bottom->addWidget(new QLabel(QStringLiteral("Čas"), this), 0, 0);
    QLineEdit* time = MakeEdit(kTimeId);
    time->setMinimumWidth(110);
    bottom->addWidget(time, 0, 1);
    bottom->addWidget(new QLabel(QStringLiteral("Výpadků:"), this), 0, 2);
    m_outages = MakeEdit(1022);
    bottom->addWidget(m_outages, 0, 3);
    bottom->addWidget(new QLabel(QStringLiteral("Soubor:"), this), 0, 4);
    m_file->setObjectName(QStringLiteral("1515"));
    bottom->addWidget(m_file, 0, 5);
    bottom->setColumnStretch(5, 1);
    bottom->addWidget(MakePrintButton(), 0, 6);
    top->addLayout(bottom);
    top->addStretch();
}

void CVKTPanelHodnotyDlg::SetCaptions(const QString& voltage, const QString& current, const QString& active,
                                      const QString& reactive, const QString& apparent)
{
    const QString texts[5] = {voltage, current, active, reactive, apparent};
    for (int i = 0; i < 5; ++i)
        m_groups[i]->setText(texts[i]);
}

QString CVKTPanelHodnotyDlg::Caption(int group) const
{
    return group >= 0 && group < 5 ? m_groups[group]->text() : QString();
}

void CVKTPanelHodnotyDlg::SetOutagesText(const QString& text) { m_outages->setText(text); }
QString CVKTPanelHodnotyDlg::OutagesText() const { return m_outages->text(); }
void CVKTPanelHodnotyDlg::SetFileText(const QString& text) { m_file->setText(text); }
QString CVKTPanelHodnotyDlg::FileText() const { return m_file->text(); }
