#pragma once

#include "controllers/settings/ControllerIo.h"
#include "controllers/settings/SettingsReport.h"
#include "platform/ui/PropertySheet.h"

#include <QDateTime>
#include <QRect>

class QPushButton;

namespace controllers {

// What the two editable controller settings sheets share: "Přijmi" reads
// again, "Vyšli" sends, the load, save and print buttons and their context
// menu, and the remembered page and place across the read loop.
class CDetailSheetBase : public ui::CPropertySheet {
    Q_OBJECT
public:
    static constexpr int IdLoad = 128;
    static constexpr int IdSave = 129;
    static constexpr int IdPrint = 130;

    CDetailSheetBase(const QString& title, QWidget* parent);

    // Fills the sheet from the instrument; false when there is nothing to
    // show. The caller shows the sheet while this returns true and the sheet
    // ends with IdOk.
    virtual BOOL ReadFromInstrument(IControllerIo& io, int previousResult) = 0;

    void SendToInstrument();
    // True when a file was loaded.
    bool LoadFromFile();
    void SaveToFile();
    void PrintSettings();
    // "Přijmi": asks, then ends the modal run with IdOk.
    void AskReread();

    BOOL m_loadedFromFile = FALSE;
    QString m_folder;
    float m_ctRatio = 1.0f;

    // The report the print command prints (after the pages were stored).
    CSettingsReport BuildReport();
    // The time the printout is stamped with (local time); tests fix it.
    static void SetPrintClock(std::function<QDateTime()> clock);

protected:
    // Every page's values into the record; false when a page refused.
    virtual bool StorePages() = 0;
    // Writes a copy of the record (worker thread) and queues the archive
    // records after success (GUI thread).
    virtual BOOL WriteRecord(IControllerIo& io) = 0;
    virtual void QueueSentRecords(CArchivData* archive) = 0;
    // Loads the file into temporaries and, only when all of it was read,
    // into the sheet and its pages.
    virtual bool LoadFile(const QString& path, QString& error) = 0;
    virtual QByteArray FileBytes() const = 0;
    virtual void AddReportPages(CSettingsReport& report) = 0;

    // Activates every page once so that all exist, then the active one.
    void CreateAllPages();
    void OnOK() override { AskReread(); }
    void OnApplyNow() override { SendToInstrument(); }
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // After a good send: the sent settings and the text record go to the
    // instrument's archive store, written at the next hand-over.
    template <class Store, class Config>
    static void QueueSent(CArchivData* archive, const Config& sent)
    {
        if (auto* store = dynamic_cast<Store*>(archive)) {
            store->AddConfigRecord(sent);
            store->AddRecord(SentText(), 7);
        }
    }
    static QString SentText();

    IControllerIo* m_io = nullptr;
    int m_savedPage = 0;
    QRect m_savedRect;

private:
    void PlaceIconButtons();
    QPushButton* m_load;
    QPushButton* m_save;
    QPushButton* m_print;
};

} // namespace controllers
