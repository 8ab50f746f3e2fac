#pragma once

#include "analysers_vk/VK01Doc.h"

#include <cstdint>

class CPristroj;

namespace analysers_vkt {

// The document behind the live window of one VKT analyser. It is the VK
// live document with the VKT instrument commands: its settings sheet,
// electricity meter and data download; clock, information and the current
// file are the VK document's.
class CVKT01Doc : public analysers_vk::CVK01Doc {
    Q_OBJECT
public:
    static QString DocString();

    CVKT01Doc() = default;

    // "Nastavení přístroje": the VKT settings sheet, read again and shown
    // again for as long as it ends with OK.
    void OnInstrumentSettings(QWidget* parent);
    // "Elektroměr ...".
    void OnElectricityMeter(QWidget* parent);
    // "Přijmout data": after the question, the download window of the
    // instrument.
    void OnReceiveData(QWidget* parent);
    // "Otevři soubor dle přístroje ...": the application's open-archive
    // dialog; offered while the application knows instruments.
    void OnOpenByInstrument(QWidget* parent);
    bool OpenByInstrumentEnabled() const;
    // "Otevřít předchozí soubor" over the ".vkt" files.
    void OnOpenPreviousVKTFile(QWidget* parent);
    static QString FindPreviousVKTArchive(const QString& folder, const QString& current, std::int64_t reference);
};

} // namespace analysers_vkt
