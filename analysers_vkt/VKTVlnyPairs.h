#pragma once

#include <QStringList>

#include <array>
#include <cstdint>

namespace analysers_vkt {

// The channel pairs of the waveform window and what the window asks the
// measurement side for. Channel masks: bits 0-3 voltages U1..U4, bits 4-7
// currents I1..I4; 255 shows the four pairs in four panes.
struct VKTWavePair {
    const char* name;
    std::uint8_t mask;
    std::uint32_t request;
};

inline constexpr std::array<VKTWavePair, 7> kWavePairs{{{"U1-I1", 0x11, 0x1111},
                                                        {"U2-I2", 0x22, 0x2212},
                                                        {"U3-I3", 0x44, 0x4414},
                                                        {"U4-I4", 0x88, 0x8818},
                                                        {"U1-Un", 0x0F, 0x0F1F},
                                                        {"I1-In", 0xF0, 0xF01F},
                                                        {"Ui-Ii", 0xFF, 0xFF1F}}};

// All channels: the request of a window just bound or showing a file.
inline constexpr std::uint32_t kWaveRequestAll = 0xFF1F;
// The request of a closed window.
inline constexpr std::uint32_t kWaveRequestNone = 0;

// The pairs a connection type (0..5) offers, in list order.
QStringList WavePairNames(int connection);
// The pair of a list text; null for an unknown text.
const VKTWavePair* WavePairOf(const QString& name);
// The channel masks of the panes shown for a pair mask (255: four panes).
std::array<std::uint8_t, 4> WavePaneMasks(std::uint8_t pairMask, int& paneCount);

} // namespace analysers_vkt
