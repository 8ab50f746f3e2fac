#include "shell/PristrojeDlg.h"

#include "link/Pristroj.h"
#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/WindowMessage.h"
#include "platform/ui/MessageBox.h"
#include "shell/DeviceListCtrl.h"
#include "shell/WaitCursor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

CPristrojeDlg::CPristrojeDlg(IPristrojeDlgHost& host, platform::Settings& settings, QWidget* parent)
    : QDialog(parent), m_host(host), m_settings(settings), m_list(new CDeviceListCtrl(this))
{
    ui::SetHelpId(this, 132);
    setWindowTitle(QString::fromUtf8("Seznam přístrojů"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    const struct {
        int id;
        const char* text;
        void (CPristrojeDlg::*handler)();
    } kButtons[] = {
        {IdAdd, "Přidat přístroj", &CPristrojeDlg::OnAdd},
        {IdRemove, "Odstranit přístroj", &CPristrojeDlg::OnRemove},
        {IdProperties, "Vlastnosti", &CPristrojeDlg::OnProperties},
        {IdSettings, "Nastavení", &CPristrojeDlg::OnSettings},
        {IdReceive, "Přijmout data", &CPristrojeDlg::OnReceiveData},
    };
    for (const auto& b : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.text));
        button->setObjectName(QString::number(b.id));
        const auto handler = b.handler;
        connect(button, &QPushButton::clicked, this, [this, handler] {
            (this->*handler)();
            UpdateButtons();
        });
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* end = new QPushButton(QString::fromUtf8("Konec"));
    end->setObjectName(QString::number(IdEnd));
    connect(end, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(end);
    layout->addLayout(buttons);

    m_list->CreateColumns();
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &CPristrojeDlg::UpdateButtons);
    SetMessageHandler(platform::WM_DEVICE_LIST_CHECK, [this](std::uintptr_t row, std::intptr_t column) {
        OnListClick(static_cast<int>(row), static_cast<int>(column));
        return 0;
    });
    UpdateButtons();
}

bool CPristrojeDlg::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QDialog::event(event);
}

void CPristrojeDlg::SetList(CDeviceRegistry::InstrumentList* list)
{
    m_instruments = list;
    FormatItem();
    UpdateButtons();
}

QPushButton* CPristrojeDlg::Button(int id) const
{
    return findChild<QPushButton*>(QString::number(id));
}

void CPristrojeDlg::FormatItem()
{
    const int selected = m_list->SelectedRow();
    m_list->setRowCount(0);
    if (!m_instruments)
        return;
    int row = 0;
    for (const auto& entry : *m_instruments) {
        const CPristroj& e = *entry;
        m_list->InsertDevice(row, CDeviceListCtrl::RowText(e.m_nazev, e.m_com, static_cast<unsigned short>(e.m_adresa)),
                             e.m_merit, e.m_zobrazovat, e.m_zaznamenavat, e.m_onp);
        m_list->SetMeasuring(row, e.m_merit != 0);
        ++row;
    }
    if (selected >= 0 && selected < row)
        m_list->selectRow(selected);
}

void CPristrojeDlg::UpdateButtons()
{
    const int row = m_list->SelectedRow();
    const bool any = row >= 0 && m_instruments && row < static_cast<int>(m_instruments->size());
    for (int id : {IdProperties, IdRemove, IdSettings})
        Button(id)->setEnabled(any);
    Button(IdReceive)->setEnabled(any && m_host.CanReceiveData(*(*m_instruments)[static_cast<std::size_t>(row)]));
}

CPristroj* CPristrojeDlg::Selected()
{
    const int row = m_list->SelectedRow();
    if (!m_instruments || row < 0 || row >= static_cast<int>(m_instruments->size())) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_NO_ITEM_SELECTED));
        return nullptr;
    }
    return (*m_instruments)[static_cast<std::size_t>(row)].get();
}

// A measuring instrument with "ONP" set has its panel open; any other none.
void CPristrojeDlg::SyncPanel(CPristroj& entry)
{
    IPristrojHost& host = entry.Host();
    const bool open = host.IsPanelOpen(entry);
    if (entry.m_onp && entry.m_merit) {
        if (!open)
            m_host.OpenPanel(entry);
    } else if (open) {
        host.ClosePanel(entry);
    }
}

void CPristrojeDlg::OnListClick(int row, int column)
{
    UpdateButtons();
    if (!m_instruments || row < 0 || column < 1 || column > 4 || row >= static_cast<int>(m_instruments->size()))
        return;
    CPristroj& entry = *(*m_instruments)[static_cast<std::size_t>(row)];
    if (!entry.m_merit && column != 1)
        return;
    {
        CWaitCursor wait;
        if (column == 4) {
            IPristrojHost& host = entry.Host();
            if (host.IsPanelOpen(entry)) {
                host.ClosePanel(entry);
                entry.m_onp = 0;
            } else {
                m_host.OpenPanel(entry);
                entry.m_onp = 1;
            }
        } else {
            CPristroj copy(entry);
            if (column == 1) {
                copy.m_merit = !copy.m_merit;
            } else {
                BOOL& flag = column == 2 ? copy.m_zobrazovat : copy.m_zaznamenavat;
                flag = !flag;
            }
            entry.ApplyChanges(this, copy);
            if (column == 1)
                SyncPanel(entry);
        }
    }
    FormatItem();
    UpdateButtons();
}

void CPristrojeDlg::OnAdd()
{
    m_host.AddInstrument(this);
    FormatItem();
    UpdateButtons();
}

void CPristrojeDlg::OnRemove()
{
    CWaitCursor wait;
    CPristroj* entry = Selected();
    if (!entry)
        return;
    if (ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_REMOVE_DEVICE), ui::MsgButtons::OkCancel,
                    ui::MsgIcon::Question) != ui::MsgAnswer::Ok)
        return;
    IPristrojHost& host = entry->Host();
    if (host.IsPanelOpen(*entry))
        host.ClosePanel(*entry);
    if (entry->m_merit && entry->GetThread()) {
        if (entry->m_zobrazovat)
            host.CloseLiveDocument(*entry);
        // The entry's own event: it outlives a thread that answers late.
        platform::Event& done = entry->ThreadEvent();
        done.Reset();
        if (entry->PostToThread(platform::WM_DEVICE_DEACTIVATED, reinterpret_cast<std::uintptr_t>(&done)))
            host.WaitEvent(done, CPristroj::kThreadWaitMs);
    }
    const QString name = entry->m_nazev;
    m_host.RemoveInstrumentTasks(name);
    for (auto it = m_instruments->begin(); it != m_instruments->end(); ++it) {
        if (it->get() == entry) {
            std::unique_ptr<CPristroj> removed = std::move(*it);
            m_instruments->erase(it);
            // A thread that does not end in time keeps the entry until it does.
            CPristroj::Dispose(std::move(removed), CPristroj::kThreadWaitMs);
            break;
        }
    }
    m_settings.DeleteSection(CDeviceRegistry::Key(name));
    CDeviceRegistry::SaveOrder(m_settings, *m_instruments);
    FormatItem();
    UpdateButtons();
}

void CPristrojeDlg::OnProperties()
{
    CPristroj* entry = Selected();
    if (!entry)
        return;
    CPristroj copy(*entry);
    if (!m_host.EditInstrument(this, copy, *entry))
        return;
    CWaitCursor wait;
    if (entry->ApplyChanges(this, copy))
        SyncPanel(*entry);
    FormatItem();
    UpdateButtons();
}

void CPristrojeDlg::OnSettings()
{
    if (CPristroj* entry = Selected())
        m_host.OpenSettings(this, *entry, m_sheet);
}

void CPristrojeDlg::OnReceiveData()
{
    CPristroj* entry = Selected();
    if (!entry)
        return;
    if (ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_START_RECEIVE), ui::MsgButtons::OkCancel) ==
        ui::MsgAnswer::Ok)
        m_host.ReceiveData(*entry);
}
