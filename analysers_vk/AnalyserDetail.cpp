#include "analysers_vk/AnalyserDetail.h"

#include "platform/ui/MessageBox.h"

#include <QPushButton>

namespace analysers_vk {

namespace {

const QString kNoAnswer = QStringLiteral("Přístroj neodpovídá !");
const QString kFileFailed = QStringLiteral("Soubor se nepodařilo otevřít.");

} // namespace

QString CAnalyserDetail::TitleFor(const QString& instrumentName)
{
    return QStringLiteral("Nastavení přístroje (%1)").arg(instrumentName);
}

CAnalyserDetail::CAnalyserDetail(const QString& title, QWidget* parent, const IconTips& tips,
                                 const QString& fileEnding)
    : CSettingsSheetBase(title, parent, tips), m_fileEnding(fileEnding)
{
    Button(IdApplyNow)->setText(QStringLiteral("Přijmi vše"));
    Button(IdOk)->hide();
    Button(IdCancel)->setText(QStringLiteral("Storno"));
    SetIconButtonsBeside(IdCancel, 1);
}

BOOL CAnalyserDetail::ReadOrOfferFile(const QString& name, const QString& folder)
{
    m_name = name;
    m_folder = folder;
    if (!ReadAll()) {
        if (ui::ErrorBox(parentWidget(),
                         QStringLiteral("Nastavení nelze zobrazit ,protože přístroj neodpovídá !\n Chcete načíst "
                                        "nastavení ze souboru?"),
                         ui::MsgButtons::YesNo, ui::MsgIcon::Warning)
            != ui::MsgAnswer::Yes)
            return FALSE;
        OnLoad();
        if (!m_loadedFromFile)
            return FALSE;
    }
    RefreshPages();
    return TRUE;
}

void CAnalyserDetail::OnReceiveAll()
{
    if (ui::InfoBox(this, QStringLiteral("Opravdu načíst nastavení přístroje?"), ui::MsgButtons::YesNo,
                    ui::MsgIcon::Question)
        != ui::MsgAnswer::Yes)
        return;
    if (!ReadAll())
        ui::ErrorBox(this, kNoAnswer, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
    RefreshPages();
}

bool CAnalyserDetail::OnLoad()
{
    m_loadedFromFile = FALSE;
    const QString path = controllers::ChooseSettingsFile(this, false, QStringLiteral("Načíst nastavení ze souboru"),
                                                         m_folder, m_name, controllers::SettingsFileKind(m_fileEnding));
    if (path.isEmpty())
        return false;
    m_loadedFromFile = TRUE;
    QString error;
    if (!LoadFile(path, &error)) {
        // Nothing of a file that did not read whole reaches the records.
        ui::ErrorBox(isVisible() ? this : parentWidget(), kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok,
                     ui::MsgIcon::Warning);
        m_loadedFromFile = FALSE;
    }
    RefreshPages();
    return true;
}

void CAnalyserDetail::OnSave()
{
    StorePages();
    const QString path = controllers::ChooseSettingsFile(this, true, QStringLiteral("Uložit nastavení do souboru"),
                                                         m_folder, m_name + m_fileEnding,
                                                         controllers::SettingsFileKind(m_fileEnding));
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveFile(path, QString(), &error))
        ui::ErrorBox(this, kFileFailed + QLatin1Char('\n') + error, ui::MsgButtons::Ok, ui::MsgIcon::Warning);
}

controllers::CSettingsReport CAnalyserDetail::BuildReport()
{
    StorePages();
    CreateAllPages();
    controllers::CSettingsReport report = StartReport();
    AddReportPages(report);
    return report;
}

void CAnalyserDetail::OnPrint()
{
    StorePages();
    PrintReport(m_name, [this] { return BuildReport(); });
}

void CAnalyserDetail::showEvent(QShowEvent* event)
{
    CSettingsSheetBase::showEvent(event);
    Button(IdOk)->hide();
}

} // namespace analysers_vk
