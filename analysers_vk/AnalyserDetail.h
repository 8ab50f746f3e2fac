#pragma once

#include "controllers/settings/SettingsSheetBase.h"
#include "model/PrevodTyp.h"

namespace analysers_vk {

// What the VK and VKT settings sheets share: the three groups read at
// opening (with a file offered in their place when the instrument does not
// answer), "Přijmi vše", and the file and print commands over the family's
// records and file.
class CAnalyserDetail : public controllers::CSettingsSheetBase {
    Q_OBJECT
public:
    // "Nastavení přístroje (name)".
    static QString TitleFor(const QString& instrumentName);

    void OnReceiveAll();
    bool OnLoad() override;
    void OnSave() override;
    void OnPrint() override;
    controllers::CSettingsReport BuildReport();

    // Loads into temporaries and takes the file only when all of it was
    // read; `error` says why not.
    virtual BOOL LoadFile(const QString& path, QString* error = nullptr) = 0;
    virtual BOOL SaveFile(const QString& path, const QString& folder, QString* error = nullptr) = 0;
    // Every page's values into the records.
    virtual void StorePages() = 0;
    // The pages from the records, with their rules applied again.
    virtual void RefreshPages() = 0;

    BOOL LoadedFromFile() const { return m_loadedFromFile; }
    const QString& Folder() const { return m_folder; }

protected:
    // `fileEnding`: the settings files' ending, with its dot.
    CAnalyserDetail(const QString& title, QWidget* parent, const IconTips& tips, const QString& fileEnding);

    // Reads all groups from the instrument named `name`; false when the
    // sheet is not to be shown (no answer and no file loaded in its place).
    BOOL ReadOrOfferFile(const QString& name, const QString& folder);
    virtual bool ReadAll() = 0;
    virtual void AddReportPages(controllers::CSettingsReport& report) = 0;

    void OnApplyNow() override { OnReceiveAll(); }
    void showEvent(QShowEvent* event) override;

private:
    QString m_fileEnding;
    QString m_name;
    QString m_folder;
    BOOL m_loadedFromFile = FALSE;
};

} // namespace analysers_vk
