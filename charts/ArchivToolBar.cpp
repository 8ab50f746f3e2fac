#include "charts/ArchivToolBar.h"

#include "platform/StringTable.h"
#include "platform/WindowMessage.h"

#include <QAction>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>

namespace {

// Button artwork, drawn here: a bar and arrows pointing left or right.
// kind: 0 to the start, 1 page back, 2 record back, 3 record on, 4 page on,
// 5 to the end.
QIcon NavigationIcon(int kind)
{
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    const bool right = kind >= 3;
    auto arrow = [&](double x) {
        // A triangle 5 wide with its point at x.
        const double back = right ? x - 5 : x + 5;
        p.drawPolygon(QPolygonF({QPointF(x, 7.5), QPointF(back, 2.5), QPointF(back, 12.5)}));
    };
    const int arrows = kind == 1 || kind == 4 ? 2 : 1;
    const bool bar = kind == 0 || kind == 5;
    double x = right ? 8 + 2.5 * arrows : 8 - 2.5 * arrows;
    for (int i = 0; i < arrows; ++i, x += right ? -5 : 5)
        arrow(x);
    if (bar)
        p.drawRect(right ? QRectF(11.5, 2.5, 2, 10) : QRectF(2.5, 2.5, 2, 10));
    return QIcon(pixmap);
}

class RightAlignedItems : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    }
};

} // namespace

CPosuvnik::CPosuvnik(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("CPosuvnik"));
    // Only where the user lets go does the window move.
    setTracking(false);
    connect(this, &QSlider::valueChanged, this, [this](int v) {
        m_position = v;
        emit Changed(v, v + m_page);
    });
}

void CPosuvnik::SetValues(int position, int page, int range)
{
    m_position = position;
    m_page = std::max(page, 0);
    m_range = std::max(range, 1);
    Apply();
}

void CPosuvnik::SetShownEnd(int end)
{
    m_page = std::max(end - m_position, 0);
    Apply();
}

void CPosuvnik::Apply()
{
    const QSignalBlocker block(this);
    const int last = std::max(0, m_range - m_page);
    setRange(0, last);
    setPageStep(std::max(1, m_page));
    setSingleStep(1);
    setValue(std::clamp(m_position, 0, last));
    update();
}

CArchivCombo::CArchivCombo(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new RightAlignedItems(this));
}

void CArchivCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.textAlignment = Qt::AlignRight | Qt::AlignVCenter;
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void CArchivCombo::showPopup()
{
    emit PopupShowing();
    QComboBox::showPopup();
}

void CArchivCombo::hidePopup()
{
    QComboBox::hidePopup();
    emit PopupHidden();
}

CArchivToolBar::CArchivToolBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("CArchivToolBar"));
    setIconSize(QSize(16, 15));
    for (int i = 0; i < 6; ++i) {
        const int id = kButtons[i];
        QAction* action = addAction(NavigationIcon(i), platform::LoadString(id));
        action->setData(id);
        action->setObjectName(QString::number(id));
        action->setStatusTip(platform::LoadString(id));
        connect(action, &QAction::triggered, this, [this, id] { emit Command(id); });
    }
    m_font = font();
    m_font.setPointSize(8);
    const int charWidth = std::max(1, QFontMetrics(m_font).averageCharWidth());

    auto combo = [&](int id) {
        auto* c = new CArchivCombo(this);
        c->setObjectName(QString::number(id));
        c->setFont(m_font);
        c->setMaxVisibleItems(20);
        c->setFixedWidth(15 * charWidth + 24);
        return c;
    };
    m_timeCombo = combo(kTimeComboId);
    m_zoomCombo = combo(kZoomComboId);
    m_slider = new CPosuvnik(this);
    m_slider->setFixedWidth(35 * charWidth);

    addSeparator();
    addWidget(m_timeCombo);
    addSeparator();
    addWidget(m_zoomCombo);
    addSeparator();
    addWidget(m_slider);

    HookExtra(m_timeCombo, m_timeExtra);
    HookExtra(m_zoomCombo, m_zoomExtra);
    connect(m_timeCombo, &QComboBox::activated, this, [this] { SendChoice(); });
    connect(m_zoomCombo, &QComboBox::activated, this, [this] { SendChoice(); });
    connect(m_slider, &CPosuvnik::Changed, this, &CArchivToolBar::OnSliderChanged);
}

QAction* CArchivToolBar::Button(int id) const
{
    for (QAction* a : actions())
        if (a->data().toInt() == id)
            return a;
    return nullptr;
}

QObject* CArchivToolBar::Target() const
{
    if (m_mainWindow)
        return m_mainWindow.data();
    return window();
}

void CArchivToolBar::Fill(CArchivCombo* combo, Extra& extra, const QStringList& texts, const QString& current)
{
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(texts);
    const int found = int(texts.indexOf(current));
    if (found >= 0) {
        extra = Extra{};
        combo->setCurrentIndex(found);
    } else {
        combo->addItem(current);
        extra.index = combo->count() - 1;
        extra.text = current;
        combo->setCurrentIndex(extra.index);
    }
}

void CArchivToolBar::FillZoomCombo(const QStringList& texts, const QString& current)
{
    Fill(m_zoomCombo, m_zoomExtra, texts, current);
}

void CArchivToolBar::FillTimeCombo(const QStringList& texts, const QString& current)
{
    Fill(m_timeCombo, m_timeExtra, texts, current);
}

void CArchivToolBar::HookExtra(CArchivCombo* combo, Extra& extra)
{
    // While the list is open it offers only the document's choices.
    connect(combo, &CArchivCombo::PopupShowing, this, [combo, &extra] {
        if (extra.index >= 0 && combo->currentIndex() == extra.index) {
            const QSignalBlocker block(combo);
            combo->removeItem(extra.index);
            combo->setCurrentIndex(-1);
        }
    });
    connect(combo, &CArchivCombo::PopupHidden, this, [combo, &extra] {
        if (combo->currentIndex() < 0 && !extra.text.isEmpty()) {
            const QSignalBlocker block(combo);
            combo->addItem(extra.text);
            extra.index = combo->count() - 1;
            combo->setCurrentIndex(extra.index);
        }
    });
}

void CArchivToolBar::SendChoice()
{
    auto chosen = [](const QComboBox* combo, const Extra& extra) {
        const int index = combo->currentIndex();
        return index < 0 || index == extra.index ? -1 : index;
    };
    platform::SendMessageTo(Target(), platform::WM_ARCHIVE_DOC_CMD,
                            std::uintptr_t(std::intptr_t(chosen(m_timeCombo, m_timeExtra))),
                            chosen(m_zoomCombo, m_zoomExtra));
}

void CArchivToolBar::SetSlider(int position, int page, int range)
{
    m_slider->SetValues(position, page, range);
}

void CArchivToolBar::OnSliderChanged(int start, int end)
{
    platform::SendMessageTo(Target(), platform::WM_ARCHIVE_SLIDER, std::uintptr_t(start), end);
}
