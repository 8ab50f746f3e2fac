#pragma once

#include "analysers_vkt/VKTVlny.h"
#include "platform/WindowMessage.h"

#include <QObject>

#include <functional>

class CPristroj;

namespace analysers_vkt {

class CVKTHodnotyDlg;

// The waveform window's source over an instrument entry: the newest record
// of the entry's live data, the value texts and colours of the live
// window's values dialog, and the request word of the live data.
class CPristrojVKTWaveSource final : public IVKTWaveSource {
public:
    CPristrojVKTWaveSource(CPristroj& entry, const CVKTHodnotyDlg* values);

    QString Name() const override;
    bool Latest(VKTWaveChannels& channels, VKTWaveValues& values, int& connection) override;
    void SetRequest(std::uint32_t word) override;
    QString Folder() const override;
    bool Colours(std::array<QColor, 8>& colours) const override;

private:
    CPristroj& m_entry;
    const CVKTHodnotyDlg* m_values;
};

// Takes the application's new-data relay for an open waveform window.
class CVKTWaveRelay : public QObject, public platform::MessageDispatcher {
    Q_OBJECT
public:
    explicit CVKTWaveRelay(std::function<void()> onNewData, QObject* parent = nullptr);

protected:
    bool event(QEvent* event) override;
};

// The live view's "Vlny ...": the waveform window on the entry, fed by the
// application's relay while it is up.
void OpenVKTVlny(QWidget* parent, CPristroj& entry, const CVKTHodnotyDlg* values);

} // namespace analysers_vkt
