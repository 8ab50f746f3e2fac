#include "analysers_vk/VKValuesBase.h"

#include "link/Pristroj.h"
#include "platform/ui/DialogUnits.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QTabBar>

namespace analysers_vk {

CVKValuesBase::CVKValuesBase(QSize fullestDlu, QWidget* parent) : QWidget(parent), m_fullestDlu(fullestDlu) {}

QSize CVKValuesBase::sizeHint() const
{
    const QFont& f = font();
    QSize pixels = ui::DluToPixels(m_fullestDlu, f);
    // The arrangement is chosen from the size read back in dialog units,
    // which must not round below the fullest one's.
    while (ui::PixelsToDluX(pixels.width(), f) < m_fullestDlu.width())
        pixels.rwidth() += 1;
    while (ui::PixelsToDluY(pixels.height(), f) < m_fullestDlu.height())
        pixels.rheight() += 1;
    return pixels;
}

QLabel* CVKValuesBase::Field(int id) const
{
    const auto it = m_fields.find(id);
    return it == m_fields.end() ? nullptr : it->second;
}

QString CVKValuesBase::FieldText(int id) const
{
    const QLabel* label = Field(id);
    return label ? label->text() : QString();
}

void CVKValuesBase::SetField(int id, const QString& text)
{
    if (QLabel* label = Field(id))
        label->setText(text);
}

void CVKValuesBase::SetStatusTexts(const CPristrojStatusTexts& texts)
{
    SetField(1044, texts.ringStart);
    SetField(1045, texts.ringFull);
    SetField(1046, texts.archive);
    if (m_newest)
        m_newest->setText(texts.newest);
}

void CVKValuesBase::MakeHeader(QLabel*& name, QLabel*& time)
{
    name = new QLabel(this);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setUnderline(true);
    name->setFont(bold);
    time = new QLabel(this);
    SetNewestLabel(time);
}

void CVKValuesBase::FillStrip(QTabBar* bar, const QStringList& captions, const QRect& area)
{
    const QSignalBlocker block(bar);
    while (bar->count() > 0)
        bar->removeTab(0);
    for (const QString& caption : captions)
        bar->addTab(caption);
    const QRect pixels = Dlu(area.x(), area.y(), area.width(), area.height());
    bar->setGeometry(pixels.x(), pixels.y(), pixels.width(), bar->sizeHint().height());
    bar->setCurrentIndex(0);
    bar->show();
}

QRect CVKValuesBase::Dlu(int x, int y, int w, int h) const
{
    return ui::DluToPixels(QRect(x, y, w, h), font());
}

void CVKValuesBase::ShowCurrentPage(QTabBar* bar, int gap, int height, const std::function<QWidget*(int)>& pageOf,
                                    bool raise)
{
    const QRect barRect = bar->geometry();
    const QRect pageRect(barRect.x() + 2, barRect.bottom() + gap, barRect.width() - 4, height);
    for (int p = 0; p < bar->count(); ++p) {
        QWidget* page = pageOf(p);
        if (!page)
            continue;
        if (p == bar->currentIndex()) {
            page->setGeometry(pageRect);
            page->show();
            if (raise)
                page->raise();
        } else {
            page->hide();
        }
    }
    update();
}

void CVKValuesBase::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout(false);
}

} // namespace analysers_vk
