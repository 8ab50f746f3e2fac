#pragma once

#include "controllers/settings/ControllerIo.h"
#include "controllers/settings/SettingsSheetBase.h"

#include <QRect>

namespace controllers {

// What the two editable controller settings sheets share: "Přijmi" reads
// again, "Vyšli" sends, and the remembered page and place across the read
// loop.
class CDetailSheetBase : public CSettingsSheetBase {
    Q_OBJECT
public:
    CDetailSheetBase(const QString& title, QWidget* parent);

    // Fills the sheet from the instrument; false when there is nothing to
    // show. The caller shows the sheet while this returns true and the sheet
    // ends with IdOk.
    virtual BOOL ReadFromInstrument(IControllerIo& io, int previousResult) = 0;

    void SendToInstrument();
    // True when a file was loaded.
    bool OnLoad() override;
    void OnSave() override;
    void OnPrint() override;
    // "Přijmi": asks, then ends the modal run with IdOk.
    void AskReread();

    BOOL m_loadedFromFile = FALSE;
    QString m_folder;
    float m_ctRatio = 1.0f;

    // The report the print command prints (after the pages were stored).
    CSettingsReport BuildReport();

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

    // The instrument did not answer: offers its settings from a file
    // instead; true when one was loaded.
    bool OfferSettingsFile();
    void OnOK() override { AskReread(); }
    void OnApplyNow() override { SendToInstrument(); }
    void showEvent(QShowEvent* event) override;

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
};

} // namespace controllers
