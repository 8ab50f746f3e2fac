#include "charts/ProfileChoiceDlg.h"

#include "charts/GraphPainter.h"
#include "platform/WindowMessage.h"
#include "platform/ui/Artwork.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace {

// A colour swatch: the quantity's colour outlined in black.
class CSwatch : public QWidget {
public:
    CSwatch(const std::uint32_t* colour, QWidget* parent) : QWidget(parent), m_colour(colour)
    {
        setFixedSize(14, 12);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(Qt::black);
        p.setBrush(ColorFromRef(*m_colour));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    const std::uint32_t* m_colour;
};

} // namespace

CProfileChoiceDlg::CProfileChoiceDlg(QWidget* parent) : QWidget(parent)
{
    // Room for every quantity up front: the swatches keep pointers to their
    // colours.
    m_quantities.reserve(32);
}

QLineEdit* CProfileChoiceDlg::MakeEdit(int id)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(56);
    edit->setMaximumHeight(18);
    if (id == kTimeId)
        m_time = edit;
    return edit;
}

QPushButton* CProfileChoiceDlg::MakePrintButton()
{
    m_print = new QPushButton(this);
    m_print->setObjectName(QString::number(kPrintId));
    m_print->setIcon(ui::PrintIcon());
    m_print->setToolTip(QStringLiteral("Tisknout zobrazené údaje."));
    m_print->setFixedSize(24, 24);
    connect(m_print, &QPushButton::clicked, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        platform::SendMessageTo(parentWidget(), platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
        QApplication::restoreOverrideCursor();
    });
    return m_print;
}

void CProfileChoiceDlg::AddQuantity(QGridLayout* grid, int row, int column, const QString& label, int editId,
                                    int swatchId, int checkId)
{
    Quantity q;
    q.check = new QCheckBox(this);
    q.check->setObjectName(QString::number(checkId));
    q.edit = MakeEdit(editId);
    m_quantities.push_back(q);
    Quantity& stored = m_quantities.back();
    stored.swatch = new CSwatch(&stored.colour, this);
    stored.swatch->setObjectName(QString::number(swatchId));
    grid->addWidget(new QLabel(label, this), row, column);
    grid->addWidget(stored.check, row, column + 1);
    grid->addWidget(stored.swatch, row, column + 2);
    grid->addWidget(stored.edit, row, column + 3);
    connect(stored.check, &QCheckBox::clicked, this, &CProfileChoiceDlg::OnChecked);
}

QWidget* CProfileChoiceDlg::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

void CProfileChoiceDlg::SetColour(int i, std::uint32_t colour)
{
    m_quantities[std::size_t(i)].colour = colour;
    m_quantities[std::size_t(i)].swatch->update();
}

void CProfileChoiceDlg::SetValueText(int i, const QString& text) { m_quantities[std::size_t(i)].edit->setText(text); }

QString CProfileChoiceDlg::ValueText(int i) const { return m_quantities[std::size_t(i)].edit->text(); }

void CProfileChoiceDlg::SetTimeText(const QString& text)
{
    if (m_time)
        m_time->setText(text);
}

QString CProfileChoiceDlg::TimeText() const { return m_time ? m_time->text() : QString(); }

void CProfileChoiceDlg::LoadFlags()
{
    for (Quantity& q : m_quantities)
        q.check->setChecked(q.shown != 0);
    update();
}

void CProfileChoiceDlg::OnChecked()
{
    bool any = false;
    for (Quantity& q : m_quantities) {
        q.shown = q.check->isChecked() ? 1 : 0;
        any = any || q.shown;
    }
    // The graph never goes empty: the first voltage stays.
    if (!any && !m_quantities.empty()) {
        m_quantities.front().shown = 1;
        m_quantities.front().check->setChecked(true);
    }
    platform::SendMessageTo(parentWidget(), platform::WM_ARCHIVE_WINDOW_MOVED, 0, 0);
}
