// The archive lists and printed pages: the value list over an archive
// recorded by the store, the statistics grid, the event list and a printed
// page of values as the print preview shows it.
#include "tools/screens/Screens.h"
#include "tools/screens/ScreensArchive.h"

#include "archive_docs/ArchivDocData.h"
#include "archive/store/VKArchivData.h"
#include "charts/ArchivValueLists.h"
#include "charts/GridCtrl.h"
#include "charts/PanelEventList.h"
#include "charts/ReportPrinter.h"
#include "platform/Cp1250.h"

#include <QPrintPreviewWidget>
#include <QPrinter>

namespace {

using platform::CTime;

constexpr std::uint32_t kStart = 1233478800; // 2009-02-01 10:00 local

CArchivEventItem Event(int type, const char* text, int sample)
{
    return {kStart + std::uint32_t(sample) * 60, std::uint8_t(type), platform::ToCp1250(QString::fromUtf8(text)),
            sample};
}

} // namespace

QORIN_SCREENS(ChartsLists)
{
    const QString path = screens::WriteVKArchive(shot.scratchDir(), QStringLiteral("rozvodna"), QStringLiteral(".vk"),
                                                 QStringLiteral("Rozvodna R1"), CTime(kStart), 90);
    if (path.isEmpty()) {
        shot.fail(QStringLiteral("no VK archive for the value list"));
        return;
    }
    TArchivDocData<CVKArchivData> data;
    if (!data.Open(path) || !data.OpenAtEnd()) {
        shot.fail(QStringLiteral("VK archive cannot be opened"));
        return;
    }
    CTime first;
    CTime last;
    data.GetFileRange(first, last);
    data.SetWindow(first, last);
    data.SetMode(archive::kModeList);
    charts::VKCsvColumns columns;
    for (int c : {0, 1, 2, 3, 4, 5, 9, 10, 11})
        columns.flags[std::size_t(c)] = 1;

    {
        charts::CVKValueList list;
        list.resize(820, 420);
        list.SetArchivData(&data);
        list.SetNavigator(&data);
        list.SetColumns(columns);
        list.Fill();
        list.selectRow(2);
        shot.save(&list, QStringLiteral("CVKValueList"));
        list.SetReady(0);
        shot.save(&list, QStringLiteral("CVKValueList-settingtime"));
    }
    {
        // A printed page of the same values as the preview shows it.
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));
        charts::CVKValueList list;
        list.SetArchivData(&data);
        list.SetColumns(columns);
        QPrintPreviewWidget preview(&printer);
        QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, &preview,
                         [&list](QPrinter* target) { list.Print(target); });
        preview.resize(700, 990);
        preview.setZoomMode(QPrintPreviewWidget::FitToWidth);
        preview.updatePreview();
        shot.save(&preview, QStringLiteral("CReportPrinter-values"));
    }
    {
        CGridCtrl grid;
        grid.resize(820, 300);
        const QStringList columnsTitles = {QStringLiteral("U1 [V]"), QStringLiteral("U2 [V]"), QStringLiteral("U3 [V]"),
                                           QStringLiteral("I1 [A]")};
        const QStringList rows = {QStringLiteral("Minimum"), QStringLiteral("Maximum"), QStringLiteral("Průměr"),
                                  QStringLiteral("Počet překročení"), QStringLiteral("95 % hodnot pod")};
        grid.FillTable(columnsTitles, rows, {4});
        const char* values[5][4] = {{"228,4", "229,1", "227,9", "31,2"},
                                    {"236,0", "235,7", "237,2", "48,8"},
                                    {"231,2", "231,9", "230,8", "40,1"},
                                    {"0", "0", "2", "0"},
                                    {"234,8", "234,1", "235,5", "46,0"}};
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 4; ++c)
                grid.SetItemText(r + 1, c + 1, QString::fromUtf8(values[r][c]));
        shot.save(&grid, QStringLiteral("CGridCtrl"));
    }
    {
        CPanelEventList panel;
        panel.resize(640, 220);
        panel.Entries() = {Event(7, "Výpadek napájení", 2),    Event(5, "Přepětí fáze L1", 10),
                           Event(5, "Přepětí fáze L1", 11),    Event(5, "Přepětí fáze L1", 12),
                           Event(4, "Chyba komunikace", 15),   Event(6, "Nízký účiník", 18),
                           Event(6, "Nízký účiník", 19),       {kStart + 20 * 60, 0, QByteArray(1, '\0'), 19},
                           Event(11, "Zahájen záznam do archivu", 20)};
        panel.Rebuild();
        shot.save(&panel, QStringLiteral("CPanelEventList"));
    }
    data.Close();
}
