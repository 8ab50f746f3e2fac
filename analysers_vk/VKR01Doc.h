#pragma once

#include "analysers_vk/VK01Doc.h"

namespace analysers_vk {

// The document behind the live window of one VKR analyser: the VK live
// document with the VKR's settings dialog; the VK's time, energy-meter and
// statistics commands are not offered.
class CVKR01Doc : public CVK01Doc {
    Q_OBJECT
public:
    static QString DocString();

    CVKR01Doc() = default;
    ~CVKR01Doc() override;

    // "Nastavení přístroje...": the VKR settings dialog, with the entry's own
    // link when the measurement does not hold one.
    void OnInstrumentSettings(QWidget* parent);
    QDialog* OpenDialog() const { return m_dialog.data(); }

protected:
    int ArchiveFamily() const override { return CPristroj::kVKR; }

private:
    QPointer<QDialog> m_dialog;
};

} // namespace analysers_vk
