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
    // "Otevřít předchozí soubor" over the ".vkt" files.
    void OnOpenPreviousVKTFile(QWidget* parent);
    static QString FindPreviousVKTArchive(const QString& folder, const QString& current, std::int64_t reference);
};

} // namespace analysers_vkt
