#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace analysers_vkt {

// One pane of the waveform window as the file holds it. The channel values
// are shared by all panes of the program; every pane writes them.
struct VKTVlnyPaneBlock {
    std::array<float, 8> rms{};
    std::array<float, 8> scale{1, 1, 1, 1, 1, 1, 1, 1};
    QString currentUnit = QStringLiteral("%s");
    QString voltageUnit = QStringLiteral("%s");
    std::int32_t voltageAxisInner = 1;
    std::int32_t currentRange = -1;
    std::int32_t voltageRange = -1;
    std::uint8_t mask = 0;
};

// The values table beside the picture. The titles carry the unit of the
// texts: the live values are already divided by their multiplier.
struct VKTVlnyValuesBlock {
    std::array<QString, 4> voltages; // U1..U4
    std::array<QString, 4> currents; // I1..I4
    QString voltageTitle = QStringLiteral("U L-N[V]");
    QString currentTitle = QStringLiteral("I [A]");

    // Multipliers 1, 1000 or 1 000 000; line to line for a connection
    // without the neutral.
    void SetTitles(int voltageMultiplier, int currentMultiplier, bool lineToLine);
};

// A waveform file (".vln"): the signature 01 FE, the capture time, the
// colour flag, the connection type, the eight channels (U1..U4, I1..I4) of
// 64 samples each when present, four panes and the values table.
struct VKTVlnyFileData {
    static constexpr int kSamples = 64;
    using Wave = std::array<std::int16_t, kSamples>;

    std::uint32_t time = 0; // seconds since 1970 UTC
    std::int32_t coloursTaken = 0;
    std::int32_t connection = 0;
    std::array<std::optional<Wave>, 8> waves;
    std::array<VKTVlnyPaneBlock, 4> panes;
    VKTVlnyValuesBlock values;
};

QByteArray VKTVlnyBytes(const VKTVlnyFileData& data);
// Only a file with the signature 01 FE read to its last field is taken;
// otherwise `data` is untouched and `error` says why.
bool ParseVKTVlny(const QByteArray& bytes, VKTVlnyFileData& data, QString& error);
bool LoadVKTVlnyFile(const QString& path, VKTVlnyFileData& data, QString& error);
// Through a temporary file and a rename: a failed save leaves an existing
// file whole.
bool SaveVKTVlnyFile(const QString& path, const VKTVlnyFileData& data, QString& error);

} // namespace analysers_vkt
