#pragma once

#include "analysers_vkt/VKTVlnyFile.h"
#include "analysers_vkt/VKTVlnyZobrazeni.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace analysers_vkt {

// The values table's texts as the live values dialog shows them, with the
// unit multipliers (1, 1000, 1 000 000) they are divided by.
struct VKTWaveValues {
    std::array<QString, 8> texts; // U1..U4, I1..I4
    int voltageMultiplier = 1;
    int currentMultiplier = 1;
};

// Where the waveform window gets its data and sends its request to.
class IVKTWaveSource {
public:
    virtual ~IVKTWaveSource() = default;
    virtual QString Name() const = 0;
    // The newest waveforms with their RMS values and input factors, the
    // value texts and the connection type; false when there is no usable
    // waveform.
    virtual bool Latest(VKTWaveChannels& channels, VKTWaveValues& values, int& connection) = 0;
    // The channels the measurement side is to send (0: none).
    virtual void SetRequest(std::uint32_t word) = 0;
    virtual QString Folder() const = 0;
    // The curves' colours of the live values (U1..U4, I1..I4); false when
    // the source has none.
    virtual bool Colours(std::array<QColor, 8>& colours) const
    {
        (void)colours;
        return false;
    }
};

// The waveform window: one period of the chosen channel pair, or the four
// pairs at once, frozen on request, saved to and loaded from ".vln" files.
class CVKTVlny : public QDialog {
    Q_OBJECT
public:
    explicit CVKTVlny(IVKTWaveSource& source, QWidget* parent = nullptr);
    ~CVKTVlny() override;

    // New data from the measurement side (ignored while frozen).
    void OnNewData();
    void ChoosePair(const QString& name);
    bool Save(const QString& path);
    bool Load(const QString& path);
    void OnPrint();

    std::uint8_t Pair() const { return m_pair; }
    int PaneCount() const { return m_pair == 0xFF ? 4 : 1; }
    QComboBox* PairList() const { return m_pairs; }
    QCheckBox* StopBox() const { return m_stop; }
    QString ValueText(int channel) const;
    QString VoltageTitle() const;
    QString CurrentTitle() const;
    // The colour of a channel's swatch in the values table.
    QColor SwatchColour(int channel) const;
    QString TimeText() const;
    const VKTVlnyFileData& Data() const { return m_file; }
    const CVKTVlnyZobrazeni& Pane(int index) const { return m_panes[std::size_t(index)]; }
    QRect PlotRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void FillPairs(int connection);
    void Arrange(const QRect& area, int unit, bool printing = false);
    void ShowValues();
    void ShowSwatches();
    void SwapAxesAt(const QPoint& point);

    IVKTWaveSource& m_source;
    VKTVlnyFileData m_file;
    VKTWaveChannels m_channels;
    std::array<CVKTVlnyZobrazeni, 4> m_panes;
    std::uint8_t m_pair = 0x11;
    int m_connection = -1;
    // The type the instrument last sent, whatever file is shown.
    int m_liveConnection = -1;
    QComboBox* m_pairs;
    QCheckBox* m_stop;
    QCheckBox* m_grid;
    QLabel* m_time;
    std::array<QLabel*, 8> m_values{};
    std::array<QLabel*, 8> m_swatches{};
    QLabel* m_voltageTitle;
    QLabel* m_currentTitle;
    QPushButton* m_save;
    QPushButton* m_load;
    QPushButton* m_print;
};

} // namespace analysers_vkt
