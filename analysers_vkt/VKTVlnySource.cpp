#include "analysers_vkt/VKTVlnySource.h"

#include "analysers_vkt/VKTHodnotyDlg.h"
#include "archive/store/VKTArchivData.h"
#include "archive/store/VKTDisplayValues.h"
#include "link/Pristroj.h"
#include "shell/MavexApp.h"

#include <QFileInfo>

#include <algorithm>

namespace analysers_vkt {

namespace {

CVKTArchivData* LiveData(CPristroj& entry)
{
    return dynamic_cast<CVKTArchivData*>(entry.GetArchivData());
}

QColor FromColorRef(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

constexpr int kAverage = CAktData::Average;
constexpr int kLineToLine = 4;

} // namespace

CPristrojVKTWaveSource::CPristrojVKTWaveSource(CPristroj& entry, const CVKTHodnotyDlg* values)
    : m_entry(entry), m_values(values)
{
}

QString CPristrojVKTWaveSource::Name() const
{
    return m_entry.m_nazev;
}

QString CPristrojVKTWaveSource::Folder() const
{
    return m_entry.m_soubor.isEmpty() ? QString() : QFileInfo(m_entry.m_soubor).absolutePath();
}

void CPristrojVKTWaveSource::SetRequest(std::uint32_t word)
{
    if (CVKTArchivData* data = LiveData(m_entry))
        data->SetWaveRequest(word);
}

bool CPristrojVKTWaveSource::Colours(std::array<QColor, 8>& colours) const
{
    if (!m_values)
        return false;
    for (std::size_t k = 0; k < colours.size(); ++k)
        if (const std::uint32_t colour = m_values->Colours()[k])
            colours[k] = FromColorRef(colour);
    return true;
}

bool CPristrojVKTWaveSource::Latest(VKTWaveChannels& channels, VKTWaveValues& shown, int& connection)
{
    CVKTArchivData* data = LiveData(m_entry);
    if (!data)
        return false;
    CAktData values;
    int fresh = 0;
    data->GetLatestData(values, fresh);
    if (!fresh || (values.GetFaultState() & 0x03) != 0)
        return false;
    bool any = false;
    for (int k = 0; k < 8; ++k) {
        const CAktWave* wave = values.GetWave(k);
        if (wave) {
            VKTVlnyFileData::Wave samples{};
            std::copy(wave->samples.begin(), wave->samples.end(), samples.begin());
            channels.waves[std::size_t(k)] = samples;
            any = true;
        } else {
            channels.waves[std::size_t(k)].reset();
        }
    }
    if (!any)
        return false;

    float u = 1, u4 = 1, i = 1, i4 = 1;
    data->GetScaleU(u, u4, channels.voltageUnit, shown.voltageMultiplier);
    data->GetScaleI(i, i4, channels.currentUnit, shown.currentMultiplier);
    channels.scale = {u, u, u, u4, i, i, i, i4};
    connection = data->GetConnectionType();
    const BYTE flagged = values.GetStatusB();
    for (int p = 0; p < 4; ++p) {
        if (!values.GetPhase(p))
            continue;
        double voltage = 0;
        if (!(flagged >> p & 1)) {
            if (connection == kLineToLine)
                voltage = (p == 1 || p == 3) ? 0.0 : values.GetLineVoltage(p, kAverage) * u;
            else
                voltage = values.GetVoltage(p, kAverage) * (p == 3 ? u4 : u);
        }
        const double current = (flagged >> (p + 4) & 1) ? 0.0 : values.GetCurrent(p, kAverage) * (p == 3 ? i4 : i);
        channels.rms[std::size_t(p)] = float(voltage);
        channels.rms[std::size_t(p + 4)] = float(current);
    }

    const CVKTValueTexts t = archive::vkt::FillValuesDialog(*data, {true, true, true, true}, 0);
    for (std::size_t k = 0; k < 4; ++k) {
        shown.texts[k] = t.u[k];
        shown.texts[k + 4] = t.i[k];
    }
    if (connection == kLineToLine) {
        shown.texts[0] = t.uLine[0];
        shown.texts[2] = t.uLine[2];
    }
    return true;
}

CVKTWaveRelay::CVKTWaveRelay(std::function<void()> onNewData, QObject* parent) : QObject(parent)
{
    SetMessageHandler(platform::WM_NEW_DATA, [onNewData = std::move(onNewData)](std::uintptr_t, std::intptr_t) {
        onNewData();
        return std::intptr_t(0);
    });
}

bool CVKTWaveRelay::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QObject::event(event);
}

void OpenVKTVlny(QWidget* parent, CPristroj& entry, const CVKTHodnotyDlg* values)
{
    CPristrojVKTWaveSource source(entry, values);
    CVKTVlny window(source, parent);
    CVKTWaveRelay relay([&window] { window.OnNewData(); });
    auto* app = dynamic_cast<CMavexApp*>(&entry.Host());
    if (app)
        app->SetUpdateWindow(&relay);
    window.exec();
    if (app)
        app->SetUpdateWindow(nullptr);
}

} // namespace analysers_vkt
