#include "controllers/values/ValuesDlgBase.h"

#include "charts/GraphPainter.h"
#include "link/Pristroj.h"
#include "model/Iden.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/ProgramFonts.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>

namespace controllers {

CValuesDlgBase::CValuesDlgBase(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QFont dialogFont(QString::fromLatin1(ui::kDialogFace));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
}

QWidget* CValuesDlgBase::Make(int id, QWidget* widget)
{
    widget->setParent(this);
    widget->setObjectName(QString::number(id));
    widget->hide();
    m_controls[id] = widget;
    return widget;
}

QWidget* CValuesDlgBase::Control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QLineEdit* CValuesDlgBase::ReadOnlyEdit(bool right)
{
    auto* edit = new QLineEdit;
    edit->setReadOnly(true);
    edit->setFrame(false);
    edit->setAlignment(right ? Qt::AlignRight : Qt::AlignLeft);
    return edit;
}

void CValuesDlgBase::MakeProgress(int id)
{
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    Make(id, m_progress);
}

void CValuesDlgBase::MakeStages(int buttonId, int labelId, int count)
{
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton;
        button->setAutoExclusive(false);
        // Indicators only: the controller switches its stages.
        button->setAttribute(Qt::WA_TransparentForMouseEvents);
        button->setFocusPolicy(Qt::NoFocus);
        Make(buttonId + i, button);
        auto* label = new QLabel(QString::number(i + 1));
        label->setAlignment(Qt::AlignCenter);
        Make(labelId + i, label);
    }
}

void CValuesDlgBase::SetStages(int buttonId, const int* states, int count)
{
    for (int i = 0; i < count; ++i)
        if (auto* button = qobject_cast<QRadioButton*>(Control(buttonId + i)))
            button->setChecked(states[i] != 0);
}

void CValuesDlgBase::Place(int id, int x0, int y0, int left, int top, int right, int bottom)
{
    QWidget* w = Control(id);
    if (!w)
        return;
    const QFont& f = font();
    w->setGeometry(QRect(QPoint(ui::DluToPixelsX(x0 + left, f), ui::DluToPixelsY(y0 + top, f)),
                         QPoint(ui::DluToPixelsX(x0 + right, f) - 1, ui::DluToPixelsY(y0 + bottom, f) - 1)));
}

void CValuesDlgBase::SetText(int id, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(Control(id))) {
        edit->setText(text);
        // A text longer than its field shows its start, as the fields did.
        edit->setCursorPosition(0);
    }
    else if (auto* label = qobject_cast<QLabel*>(Control(id)))
        label->setText(text);
}

QSize CValuesDlgBase::sizeHint() const
{
    return ui::DluToPixels(m_readableDlu, font());
}

QSize CValuesDlgBase::MeasureDlu()
{
    const QFont& f = font();
    m_dluSize = QSize(width() * 100 / std::max(1, ui::DluToPixelsX(100, f)),
                      height() * 100 / std::max(1, ui::DluToPixelsY(100, f)));
    return m_dluSize;
}

void CValuesDlgBase::SetHeaderFont(int id)
{
    m_headerFont = font();
    m_headerFont.setBold(true);
    m_headerFont.setUnderline(true);
    if (QWidget* w = Control(id))
        w->setFont(m_headerFont);
}

void CValuesDlgBase::ShowState(int id, const QString& text)
{
    auto* state = qobject_cast<QLabel*>(Control(id));
    if (!state)
        return;
    state->setText(text);
    QPalette palette = this->palette();
    if (!text.isEmpty()) {
        palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
        palette.setColor(QPalette::Window, QColor(255, 255, 128));
    }
    state->setPalette(palette);
    state->setAutoFillBackground(!text.isEmpty());
}

void CValuesDlgBase::PaintSwatch(QWidget* swatch, std::uint32_t colour)
{
    QPainter p(swatch);
    p.fillRect(swatch->rect(), ColorFromRef(colour));
    p.setPen(Qt::black);
    p.drawRect(swatch->rect().adjusted(0, 0, -1, -1));
}

void CValuesDlgBase::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (m_progress)
        m_progress->setRange(0, 100);
}

QString CValuesDlgBase::ModelName(int code)
{
    if (code == 0)
        return QString();
    const QString name = CIden::GetControllerModelText(code);
    return name.isEmpty() ? QStringLiteral("--") : name;
}

void CValuesDlgBase::FillHeader(int modelCode, const CPristrojStatusTexts* status)
{
    if (modelCode >= 0)
        m_model = ModelName(modelCode);
    if (status) {
        m_time = status->newest;
        m_recordStart = status->ringStart;
        m_recordEnd = status->ringFull;
        m_file = status->archive;
    }
}

void CValuesDlgBase::AddPanelCommands(QMenu& menu)
{
    menu.addSeparator();
    QAction* settings = menu.addAction(QStringLiteral("Nastavení ..."), this, [this] { OnCommand(kCmdSettings); });
    settings->setData(kCmdSettings);
}

void CValuesDlgBase::OnCommand(int id)
{
    if (id == kCmdSettings)
        UpdateControls();
}

void CValuesDlgBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        emit PanelMenu(event->globalPosition().toPoint());
    QFrame::mousePressEvent(event);
}

void CValuesDlgBase::contextMenuEvent(QContextMenuEvent* event)
{
    // The right button's press has shown the menu already; the context event
    // that follows it must not reach the host, which would show it again.
    if (event->reason() != QContextMenuEvent::Mouse)
        emit PanelMenu(mapToGlobal(event->pos()));
    event->accept();
}

} // namespace controllers
