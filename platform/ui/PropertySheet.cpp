#include "platform/ui/PropertySheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ui {

CPropertyPage::CPropertyPage(const QString& caption, QWidget* parent) : QWidget(parent), m_caption(caption) {}

void CPropertyPage::SetModified(bool modified)
{
    m_modified = modified;
    if (m_sheet)
        m_sheet->UpdateApplyButton();
}

bool CPropertyPage::OnApply()
{
    OnOK();
    return true;
}

bool CPropertyPage::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QWidget::event(event);
}

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)), m_buttons(new QDialogButtonBox(this))
{
    setWindowTitle(caption);
    m_ok = m_buttons->addButton(QDialogButtonBox::Ok);
    m_cancel = m_buttons->addButton(QDialogButtonBox::Cancel);
    m_apply = m_buttons->addButton(QDialogButtonBox::Apply);
    m_apply->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);

    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_apply, &QPushButton::clicked, this, [this] { OnApplyNow(); });
    connect(m_tabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnTabChanged);
}

CPropertySheet::~CPropertySheet()
{
    // The children go after this body: none of them may reach the sheet then.
    disconnect(m_tabs, nullptr, this, nullptr);
    for (CPropertyPage* page : m_pages)
        disconnect(page, &QObject::destroyed, this, nullptr);
    for (const QPointer<CPropertyPage>& page : m_borrowedPages) {
        if (page) {
            page->m_sheet = nullptr;
            page->setParent(nullptr);
        }
    }
}

void CPropertySheet::AddPage(std::unique_ptr<CPropertyPage> page)
{
    // The tab widget makes the page a child of the sheet: it goes with it.
    CPropertyPage* owned = page.release();
    AddPage(owned);
    m_borrowedPages.pop_back();
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    m_borrowedPages.emplace_back(page);
    page->m_sheet = this;
    m_pages.push_back(page);
    // Pages that are members of a derived sheet go before the sheet does,
    // and the tab widget moves to another tab as each leaves: from then on
    // no page is activated or left any more.
    connect(page, &QObject::destroyed, this, [this, page] {
        m_pages.erase(std::remove(m_pages.begin(), m_pages.end(), page), m_pages.end());
        m_active = -1;
        m_startPage = 0;
    });
    m_switching = true;
    m_tabs->addTab(page, page->Caption());
    m_switching = false;
}

CPropertyPage* CPropertySheet::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

bool CPropertySheet::SetActivePage(int index)
{
    if (!GetPage(index))
        return false;
    if (m_active < 0) {
        m_startPage = index;
        return true;
    }
    if (index == m_active)
        return true;
    if (!m_pages[static_cast<size_t>(m_active)]->OnKillActive())
        return false;
    return Activate(index);
}

bool CPropertySheet::Activate(int index)
{
    CPropertyPage* page = m_pages[static_cast<size_t>(index)];
    const int previous = m_active;
    m_switching = true;
    m_tabs->setCurrentIndex(index);
    m_switching = false;
    if (!page->m_initialised) {
        page->m_initialised = true;
        page->OnInitDialog();
    }
    if (!page->OnSetActive() && previous >= 0) {
        m_switching = true;
        m_tabs->setCurrentIndex(previous);
        m_switching = false;
        return false;
    }
    m_active = index;
    return true;
}

void CPropertySheet::OnTabChanged(int index)
{
    if (m_switching || m_active < 0 || index == m_active)
        return;
    const int previous = m_active;
    if (!SetActivePage(index)) {
        m_switching = true;
        m_tabs->setCurrentIndex(previous);
        m_switching = false;
    }
}

QPushButton* CPropertySheet::Button(int id) const
{
    switch (id) {
    case IdOk: return m_ok;
    case IdCancel: return m_cancel;
    case IdApplyNow: return m_apply;
    default: return nullptr;
    }
}

int CPropertySheet::DoModal()
{
    return exec() == QDialog::Accepted ? IdOk : IdCancel;
}

bool CPropertySheet::ApplyPages()
{
    if (CPropertyPage* active = GetActivePage(); active && !active->OnKillActive())
        return false;
    for (int i = 0; i < GetPageCount(); ++i) {
        CPropertyPage* page = m_pages[static_cast<size_t>(i)];
        if (!page->m_initialised)
            continue;
        if (!page->OnApply()) {
            if (i != m_active)
                Activate(i);
            return false;
        }
        page->m_modified = false;
    }
    UpdateApplyButton();
    return true;
}

void CPropertySheet::UpdateApplyButton()
{
    bool modified = false;
    for (const CPropertyPage* page : m_pages)
        modified = modified || page->m_modified;
    m_apply->setEnabled(modified);
}

void CPropertySheet::OnOK()
{
    if (ApplyPages())
        accept();
}

void CPropertySheet::OnCancel()
{
    for (CPropertyPage* page : m_pages) {
        if (page->m_initialised)
            page->OnCancel();
    }
    QDialog::reject();
}

void CPropertySheet::reject()
{
    // Escape, the close box and the Cancel button all end here.
    if (m_cancelling)
        return;
    m_cancelling = true;
    OnCancel();
    m_cancelling = false;
}

void CPropertySheet::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_active < 0 && GetPage(m_startPage))
        Activate(m_startPage);
}

bool CPropertySheet::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QDialog::event(event);
}

} // namespace ui
