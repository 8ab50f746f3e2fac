// The VKT waveform panes: one pair, and the four pairs side by side.
#include "Screens.h"

#include "analysers_vkt/VKTVlnyPairs.h"
#include "analysers_vkt/VKTVlnyZobrazeni.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <numbers>

namespace {

using namespace analysers_vkt;

VKTWaveChannels HeldWaves()
{
    VKTWaveChannels ch;
    const double rms[8] = {231.2, 229.8, 230.5, 0.0, 112.0, 98.5, 105.1, 3.2};
    for (int k = 0; k < 8; ++k) {
        if (rms[k] <= 0.0)
            continue;
        VKTVlnyFileData::Wave w{};
        const double shift = (k % 4) * 2.0 * std::numbers::pi / 3.0 + (k >= 4 ? 0.5 : 0.0);
        for (int n = 0; n < 64; ++n) {
            const double a = 2.0 * std::numbers::pi * n / 64.0 - shift;
            w[std::size_t(n)] = std::int16_t(std::lround(12000.0 * (std::sin(a) + 0.12 * std::sin(5.0 * a))));
        }
        ch.waves[std::size_t(k)] = w;
        ch.rms[std::size_t(k)] = float(rms[k]);
    }
    // Direct voltage inputs, current transformers 100/5 on I1..I3.
    ch.scale = {1, 1, 1, 1, 20, 20, 20, 1};
    return ch;
}

} // namespace

QORIN_SCREENS(VKTWaves)
{
    const VKTWaveChannels ch = HeldWaves();
    {
        QImage image(620, 420, QImage::Format_RGB32);
        image.fill(Qt::lightGray);
        QPainter p(&image);
        CVKTVlnyZobrazeni pane;
        pane.SetChannels(0x11, ch.scale);
        pane.SetRect(QRect(3, 3, 614, 414), 16);
        pane.Draw(p, ch, 16);
        p.end();
        shot.saveImage(image, QStringLiteral("CVKTVlnyZobrazeni-U1-I1"));
    }
    QImage image(620, 420, QImage::Format_RGB32);
    image.fill(Qt::lightGray);
    QPainter p(&image);
    int panes = 0;
    const auto masks = WavePaneMasks(0xFF, panes);
    const int cx = 310, cy = 210;
    const QRect rects[4] = {QRect(QPoint(0, 0), QPoint(cx - 1, cy - 1)), QRect(QPoint(cx, 0), QPoint(619, cy - 1)),
                            QRect(QPoint(0, cy), QPoint(cx - 1, 419)), QRect(QPoint(cx, cy), QPoint(619, 419))};
    for (int i = 0; i < panes; ++i) {
        CVKTVlnyZobrazeni pane;
        pane.SetChannels(masks[std::size_t(i)], ch.scale);
        pane.SetRect(rects[i], 12);
        pane.Draw(p, ch, 12);
    }
    p.end();
    shot.saveImage(image, QStringLiteral("CVKTVlnyZobrazeni-Ui-Ii"));
}

#include "analysers_vkt/VKTVlny.h"

namespace {

class HeldSource : public IVKTWaveSource {
public:
    QString Name() const override { return QStringLiteral("Rozvodna Jih"); }
    bool Latest(VKTWaveChannels& ch, VKTWaveValues& values, int& connection) override
    {
        const VKTWaveChannels held = HeldWaves();
        ch.waves = held.waves;
        ch.rms = held.rms;
        ch.scale = held.scale;
        values.texts = {"231.2", "229.8", "230.5", "---", "112.0", "98.5", "105.1", "3.2"};
        connection = 5;
        return true;
    }
    void SetRequest(std::uint32_t) override {}
    QString Folder() const override { return QString(); }
};

} // namespace

QORIN_SCREENS(VKTWaveWindow)
{
    HeldSource source;
    CVKTVlny window(source);
    window.resize(750, 550);
    window.OnNewData();
    shot.save(&window, QStringLiteral("CVKTVlny-U1-I1"));
    window.ChoosePair(QStringLiteral("Ui-Ii"));
    shot.save(&window, QStringLiteral("CVKTVlny-Ui-Ii"));
}
