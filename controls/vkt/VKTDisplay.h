#pragma once
// The VKT's four display windows of four digit cells each (three upper
// windows and a lower one), their blink lists, and the formatting of the
// host's values by the group of the current screen.
#include <array>
#include <cstdint>
#include <vector>

namespace controls::vkt {

enum Glyph : int { GlyphMinus = 10, GlyphC = 11, GlyphPoint = 13, GlyphBlank = 14 };
enum CellState : int { Steady = 0, BlinkLit = 1, BlinkDark = 2 };

struct Cell {
    int code = GlyphBlank;
    bool point = false;
    int digitState = Steady;
    int pointState = Steady;
    bool dirty = true; // drawn state differs from this
};

struct Multipliers {
    int upper = 1;
    int lower = 1;
};

class Display {
public:
    static constexpr int Windows = 4; // 0-2 upper, 3 lower
    static constexpr int LowerWindow = 3;

    const Cell& cell(int window, int position) const { return m_cells[index(window, position)]; }
    Cell& cell(int window, int position) { return m_cells[index(window, position)]; }
    const std::vector<int>& blinkList(int window) const { return m_blink[static_cast<std::size_t>(window)]; }

    // The window's digit codes as shown now (blank for a dark blinking digit).
    std::array<int, 4> shownCodes(int window) const;

    struct Flags {
        bool blink = false;
        bool dashes = false;
        bool blank = false;
        bool negative = false;
    };
    // v shown with d decimals.
    void showValue(int window, double v, int decimals, Flags flags);
    // n is the value times 10^decimals, already rounded.
    void showNumber(int window, long long n, int decimals, Flags flags);
    // A whole number right-aligned, a minus before its first digit; 0 shows nothing.
    void showWhole(int window, long long n, Flags flags);
    void blankWindow(int window) { showValue(window, 0, 0, {false, false, true, false}); }

    // Every listed cell back to steady, lists emptied.
    void stopBlinking();
    // Swaps lit and dark of every listed cell.
    void toggleBlinking();

    // SetUdaje: formats by the screen's group and returns the multipliers.
    Multipliers format(int screen, const std::array<float, 4>& values, std::uint32_t priznaky);

    void markAllDirty();
    template <typename F>
    void forEachDirty(F&& draw)
    {
        for (int i = 0; i < static_cast<int>(m_cells.size()); ++i) {
            if (m_cells[static_cast<std::size_t>(i)].dirty) {
                draw(i / 4, i % 4, m_cells[static_cast<std::size_t>(i)]);
                m_cells[static_cast<std::size_t>(i)].dirty = false;
            }
        }
    }

private:
    static std::size_t index(int window, int position) { return static_cast<std::size_t>(window * 4 + position); }
    void joinBlink(int window, int position);

    std::array<Cell, 16> m_cells{};
    std::array<std::vector<int>, Windows> m_blink{};
};

// The nibble of a window in the flag word.
inline Display::Flags flagsOf(std::uint32_t priznaky, int window)
{
    const unsigned nibble = (priznaky >> (4 * window)) & 0xFU;
    return {(nibble & 1U) != 0, (nibble & 8U) != 0, (nibble & 4U) != 0, false};
}

} // namespace controls::vkt
