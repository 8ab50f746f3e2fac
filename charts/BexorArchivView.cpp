#include "charts/BexorArchivView.h"

#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/MeterArchivDoc.h"
#include "charts/BexorDisplayDlg.h"
#include "charts/ExportDlg.h"
#include "charts/ReportPrinter.h"
#include "platform/Settings.h"
#include "platform/ui/Artwork.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>

namespace {

const char* const kDisplayKeys[charts::CMeterDisplay::kCount] = {
    "interval", "hodnotyPrirustkem", "isAaI", "isAaE", "isArC", "isArL", "isPF",
    "isT1",     "isT2",              "isT3",  "isCelkem", "isF1", "isF2", "isF3"};

// The settings in registry order, with the quantities' own order of the
// table (AaI, AaE, ArL, ArC, PF) and the sub-columns (T1, T2, T3, C, L1-L3).
std::array<int*, charts::CMeterDisplay::kCount> Fields(charts::CMeterDisplay& d)
{
    return {&d.interval,      &d.increments,    &d.quantities[0], &d.quantities[1], &d.quantities[3],
            &d.quantities[2], &d.quantities[4], &d.subColumns[0], &d.subColumns[1], &d.subColumns[2],
            &d.subColumns[3], &d.subColumns[4], &d.subColumns[5], &d.subColumns[6]};
}

platform::SettingsSection SectionOf(bool vkt)
{
    return platform::SettingsSection(vkt ? QStringLiteral("VKTBexor") : QStringLiteral("Bexor"));
}

QPushButton* IconButton(const QIcon& icon, int id, const QString& tip, QWidget* parent)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::number(id));
    b->setIcon(icon);
    b->setToolTip(tip);
    b->resize(24, 24);
    return b;
}

} // namespace

CMeterArchivView::CMeterArchivView(bool vkt, QWidget* parent)
    : ui::CView(parent),
      m_vkt(vkt),
      m_display(LoadDisplay(vkt)),
      m_tabs(new QTabBar(this)),
      m_list(new QTableWidget(this)),
      m_print(IconButton(ui::PrintIcon(), IdPrint, QStringLiteral("Tisk"), this)),
      m_export(IconButton(style()->standardIcon(QStyle::SP_DialogSaveButton), IdExport,
                          QStringLiteral("Export do souboru"), this)),
      m_settings(IconButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), IdSettings,
                            QStringLiteral("Nastavení"), this)),
      m_timer(new QTimer(this)),
      m_clock([] { return platform::CTime::GetCurrentTime(); })
{
    m_tabs->setObjectName(QString::number(IdTabs));
    m_tabs->hide();
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);
    m_list->setObjectName(QString::number(IdTable));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_nextRefresh = FirstRefresh(m_clock());
    connect(m_print, &QPushButton::clicked, this, [this] { Print(); });
    connect(m_export, &QPushButton::clicked, this, [this] { Export(); });
    connect(m_timer, &QTimer::timeout, this, &CMeterArchivView::OnTimerTick);
    connect(m_settings, &QPushButton::clicked, this, &CMeterArchivView::EditSettings);
    connect(m_tabs, &QTabBar::currentChanged, this, &CMeterArchivView::OnTabChanged);
    m_timer->start(kTimerMs);
}

platform::CTime CMeterArchivView::FirstRefresh(platform::CTime now)
{
    platform::CTime next(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour(), 1, 0);
    while (next.GetTime() <= now.GetTime())
        next = next + CTimeSpan(kRefreshStep);
    return next;
}

void CMeterArchivView::SetClock(Clock clock)
{
    m_clock = std::move(clock);
    m_nextRefresh = FirstRefresh(m_clock());
}

void CMeterArchivView::OnTimerTick()
{
    if (m_clock().GetTime() <= m_nextRefresh.GetTime())
        return;
    m_nextRefresh = m_nextRefresh + CTimeSpan(kRefreshStep);
    Refresh();
}

void CMeterArchivView::Refresh()
{
    ++m_refreshes;
    if (CMeterArchivDocBase* doc = MeterDocument())
        doc->ReadRange(0);
    RebuildTable();
}

CMeterArchivDocBase* CMeterArchivView::MeterDocument() const
{
    return qobject_cast<CMeterArchivDocBase*>(GetDocument());
}

QString CMeterArchivView::GetArchiveName() const
{
    // The archive's own name, as the archive windows title it.
    CMeterArchivDocBase* doc = MeterDocument();
    if (!doc)
        return QString();
    const CArchivData& archive = doc->GetArchiv();
    const QString path = archive.GetFilePath();
    const QString title = archive.GetBaseTitle(QLatin1Char('.') + QFileInfo(path).suffix());
    return title.isEmpty() ? QFileInfo(path).completeBaseName() : title;
}

QString CMeterArchivView::ResetTimeText() const
{
    // A meter block begins where the meter was reset, and is named by it.
    return MeterName();
}

QString CMeterArchivView::MeterName() const
{
    const QStringList names = MeterNames();
    const CMeterArchivDocBase* doc = MeterDocument();
    const int current = doc ? doc->GetCurrentBlockIndex() : 0;
    // Without a meter there is no reset to name.
    return current >= 0 && current < names.size() ? names[current] : QString();
}

QWidget* CMeterArchivView::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

charts::CMeterDisplay CMeterArchivView::LoadDisplay(bool vkt)
{
    charts::CMeterDisplay d;
    const platform::Settings settings;
    const auto fields = Fields(d);
    for (int i = 0; i < charts::CMeterDisplay::kCount; ++i)
        *fields[std::size_t(i)] =
            settings.GetProfileInt(SectionOf(vkt), QString::fromLatin1(kDisplayKeys[i]), *fields[std::size_t(i)]);
    d.interval = std::clamp(d.interval, 0, 4);
    return d;
}

void CMeterArchivView::SaveDisplay(bool vkt, const charts::CMeterDisplay& display)
{
    charts::CMeterDisplay d = display;
    platform::Settings settings;
    const auto fields = Fields(d);
    for (int i = 0; i < charts::CMeterDisplay::kCount; ++i)
        settings.WriteProfileInt(SectionOf(vkt), QString::fromLatin1(kDisplayKeys[i]), *fields[std::size_t(i)]);
}

void CMeterArchivView::SetDisplay(const charts::CMeterDisplay& display)
{
    m_display = display;
    SaveDisplay(m_vkt, display);
    RebuildTable();
}

void CMeterArchivView::EditSettings()
{
    CBexorDisplayDlg dialog(m_display, m_vkt, Tariffs(), ResetTimeText(), this);
    // Tests answer the dialog through the documents' hook.
    const auto& hooks = CArchivDocHooks::Instance();
    if ((hooks.runDialog ? hooks.runDialog(dialog) : dialog.exec()) == QDialog::Accepted)
        SetDisplay(dialog.Settings());
}

void CMeterArchivView::OnUpdate(ui::CView*, std::intptr_t hint, void*)
{
    // Bit 0: the number of meters changed; a first update fills them too.
    const CMeterArchivDocBase* doc = MeterDocument();
    if ((hint & 1) || m_tabs->count() != MeterNames().size()) {
        FillTabs();
    } else if (doc && m_tabs->currentIndex() != doc->GetCurrentBlockIndex()) {
        const QSignalBlocker quiet(m_tabs);
        m_tabs->setCurrentIndex(doc->GetCurrentBlockIndex());
    }
    RebuildTable();
}

void CMeterArchivView::FillTabs()
{
    const QStringList names = MeterNames();
    {
        const QSignalBlocker quiet(m_tabs);
        while (m_tabs->count() > 0)
            m_tabs->removeTab(m_tabs->count() - 1);
        for (const QString& name : names)
            m_tabs->addTab(name);
        if (const CMeterArchivDocBase* doc = MeterDocument())
            m_tabs->setCurrentIndex(std::clamp(doc->GetCurrentBlockIndex(), 0, std::max(0, int(names.size()) - 1)));
    }
    m_tabs->setVisible(names.size() >= 2);
    LayoutChildren();
}

void CMeterArchivView::OnTabChanged(int index)
{
    CMeterArchivDocBase* doc = MeterDocument();
    if (!doc || index < 0 || index == doc->GetCurrentBlockIndex())
        return;
    doc->SetCurrentBlockIndex(index);
    // The document reads the chosen meter and updates every view.
    doc->ReadRange(4);
}

void CMeterArchivView::RebuildTable()
{
    m_table.Build(Samples(), m_display, m_vkt);
    m_list->clear();
    m_list->setColumnCount(m_table.ColumnCount());
    m_list->setRowCount(m_table.RowCount());
    QStringList captions;
    for (int c = 0; c < m_table.ColumnCount(); ++c)
        captions << m_table.Caption(c);
    m_list->setHorizontalHeaderLabels(captions);
    const QColor odd(255, 255, 223);
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (int r = 0; r < m_table.RowCount(); ++r) {
        const bool onTime = m_table.OnTime(r);
        for (int c = 0; c < m_table.ColumnCount(); ++c) {
            auto* item = new QTableWidgetItem(m_table.Cell(r, c));
            item->setTextAlignment(Qt::AlignCenter);
            if (r % 2)
                item->setBackground(odd);
            if (!onTime)
                item->setForeground(grey);
            m_list->setItem(r, c, item);
        }
    }
    // Captions and dates wider than the usual widths get room.
    m_list->resizeColumnsToContents();
    for (int c = 0; c < m_table.ColumnCount(); ++c)
        m_list->setColumnWidth(c, std::max(m_list->columnWidth(c), c == 0 ? (m_table.IncrementMode() ? 200 : 100) : 70));
    m_export->setEnabled(!m_table.IncrementMode());
}

bool CMeterArchivView::Export()
{
    if (m_table.ColumnCount() < 2 || m_table.RowCount() < 1)
        return false;
    charts::CExportDlg dialog(this);
    dialog.SetDefaultName(GetArchiveName());
    if (charts::RunExportDialog(dialog) != QDialog::Accepted)
        return false;
    QString error;
    if (!charts::WriteMeterCsv(dialog.Path(), m_table, dialog.DecimalIndex(), GetArchiveName(), error)) {
        charts::ReportExportFailure(this, error);
        return false;
    }
    return true;
}

bool CMeterArchivView::Print(QPrinter* printer)
{
    if (m_table.ColumnCount() < 2 || m_table.RowCount() < 1)
        return false;
    // The job and the headings name the meter; the page header, the archive.
    const QString name = MeterName();
    charts::CReportPrinter report(printer, 2, 2, false);
    report.SetParent(this);
    if (!report.BeginPrint(QStringLiteral("%1 - Elektroměr").arg(name), GetArchiveName(), QString()))
        return false;
    // Column pages: the time and as many value columns as the page width
    // takes at a readable size, each page of them under its heading.
    const int timeChars = m_table.IncrementMode() ? 44 : 26;
    constexpr int kValueChars = 24;
    const int line = int(report.GetFieldsPerLine(1));
    const int perPage = std::max(1, (line - timeChars) / kValueChars);
    for (int first = 1; first < m_table.ColumnCount(); first += perPage) {
        const int last = std::min(m_table.ColumnCount(), first + perPage);
        if (first > 1)
            report.BreakPage();
        report.PrintText(QStringLiteral("Hodnoty elektroměru %1").arg(name), 0, 2);
        QStringList captions{m_table.Caption(0)};
        std::vector<int> widths{timeChars};
        for (int c = first; c < last; ++c) {
            captions << m_table.Caption(c);
            widths.push_back(kValueChars);
        }
        report.BeginTable(1, captions, widths, 100);
        for (int r = 0; r < m_table.RowCount(); ++r) {
            QStringList row{m_table.Cell(r, 0)};
            for (int c = first; c < last; ++c)
                row << m_table.Cell(r, c);
            report.PrintTableRow(row);
        }
        report.EndTable();
    }
    report.PrintText(QString());
    report.PrintText(QStringLiteral("Nastavení elektroměru %1").arg(name), 0, 2);
    report.PrintText(QStringLiteral("Odběrový tarif"));
    QStringList hours{QStringLiteral("Hodina")};
    QStringList codes{QStringLiteral("Tarif")};
    const std::array<int, 24> tariffs = Tariffs();
    for (int h = 0; h < 24; ++h) {
        hours << QString::number(h + 1);
        codes << QString::number(tariffs[std::size_t(h)]);
    }
    // One grid of 25 cells: the hours over their tariffs.
    report.BeginTable(2, hours, 25, 3, 100);
    report.PrintTableRow(codes);
    report.EndTable();
    report.PrintText(QStringLiteral("Čas nulování: ") + ResetTimeText());
    static const char* const kIntervals[5] = {"15 min", "1 hod", "8 hod", "1 den", "1 týden"};
    report.PrintText(QStringLiteral("Interval: ") + QString::fromUtf8(kIntervals[std::clamp(m_display.interval, 0, 4)]));
    report.PrintText(QStringLiteral("Hodnota: ")
                     + (m_table.IncrementMode() ? QStringLiteral("relativně") : QStringLiteral("absolutně")));
    report.PrintText(QStringLiteral("Zobrazovat"));
    static const char* const kLongNames[5] = {"Činná práce import (AaI)", "Činná práce export (AaE)",
                                              "Jalová práce Import (ArL)", "Jalová práce Export (ArC)",
                                              "Účiník (PF)"};
    static const char* const kUnits[5] = {"[kWh]", "[kWh]", "[kvarh]", "[kvarh]", "[]"};
    for (int q = 0; q < 5; ++q)
        if (m_display.quantities[std::size_t(q)])
            report.PrintText(QString::fromUtf8(kLongNames[q]) + QLatin1Char(' ') + QString::fromLatin1(kUnits[q]), 1);
    report.EndPrint();
    return !report.Failed();
}

QSize CMeterArchivView::sizeHint() const
{
    // Inside the margins the layout keeps around the table.
    const int frame = 2 * m_list->frameWidth();
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int tableWidth =
        m_list->verticalHeader()->sizeHint().width() + m_list->horizontalHeader()->length() + frame + scroll;
    const int tableHeight = m_list->horizontalHeader()->sizeHint().height() +
                            12 * m_list->verticalHeader()->defaultSectionSize() + frame + scroll;
    return QSize(std::max(tableWidth, 400) + 30, tableHeight + 53);
}

void CMeterArchivView::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    LayoutChildren();
}

void CMeterArchivView::LayoutChildren()
{
    const int w = width();
    const int h = height();
    // The tabs stand on the table's top edge.
    const int tabHeight = std::min(26, m_tabs->sizeHint().height());
    m_tabs->setGeometry(15, 38 - tabHeight, std::max(0, w - 30 - 95), tabHeight);
    m_list->setGeometry(15, 38, std::max(0, w - 30), std::max(0, h - 53));
    m_print->setGeometry(w - 33, 5, 24, 24);
    m_settings->setGeometry(w - 62, 5, 24, 24);
    m_export->setGeometry(w - 91, 5, 24, 24);
}

std::vector<charts::CMeterSample> CBexorArchivView::Samples() const
{
    const auto* doc = qobject_cast<const CBexorArchivDoc*>(GetDocument());
    return doc ? charts::MeterSamples(doc->GetBlock()) : std::vector<charts::CMeterSample>();
}

QStringList CBexorArchivView::MeterNames() const
{
    QStringList names;
    if (const auto* doc = qobject_cast<const CBexorArchivDoc*>(GetDocument()))
        for (int i = 0; i < doc->GetIndex().GetBlockCount(); ++i)
            names << doc->GetIndex().FormatBlockTime(i);
    return names;
}

QStringList CVKTBexorArchivView::MeterNames() const
{
    QStringList names;
    if (const auto* doc = qobject_cast<const CVKTBexorArchivDoc*>(GetDocument()))
        for (int i = 0; i < doc->GetIndex().GetBlockCount(); ++i)
            names << doc->GetIndex().GetKey(i).Format(QStringLiteral("%d.%m.%y %H:%M:%S"));
    return names;
}

namespace {

template <class Tariff>
std::array<int, 24> TariffNumbers(const Tariff& tariff)
{
    std::array<int, 24> numbers{};
    for (int h = 0; h < 24; ++h)
        numbers[std::size_t(h)] = tariff.GetCode(h) + 1;
    return numbers;
}

} // namespace

std::array<int, 24> CBexorArchivView::Tariffs() const
{
    const auto* doc = qobject_cast<const CBexorArchivDoc*>(GetDocument());
    return doc ? TariffNumbers(doc->GetBlock().GetTarif()) : std::array<int, 24>{};
}

std::array<int, 24> CVKTBexorArchivView::Tariffs() const
{
    const auto* doc = qobject_cast<const CVKTBexorArchivDoc*>(GetDocument());
    return doc ? TariffNumbers(doc->GetBlock().GetTarif()) : std::array<int, 24>{};
}

std::vector<charts::CMeterSample> CVKTBexorArchivView::Samples() const
{
    const auto* doc = qobject_cast<const CVKTBexorArchivDoc*>(GetDocument());
    return doc ? charts::MeterSamples(doc->GetBlock()) : std::vector<charts::CMeterSample>();
}

void AddBexorTemplate(ui::CDocManager& manager, int resourceId)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CBexorArchivDoc, ui::CChildFrame, CBexorArchivView>(resourceId, CBexorArchivDoc::DocString()));
}

void AddVKTBexorTemplate(ui::CDocManager& manager, int resourceId)
{
    manager.AddTemplate(ui::MakeDocTemplate<CVKTBexorArchivDoc, ui::CChildFrame, CVKTBexorArchivView>(
        resourceId, CVKTBexorArchivDoc::DocString()));
}
