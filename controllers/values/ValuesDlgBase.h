#pragma once

#include <QFont>
#include <QFrame>
#include <QSize>
#include <QString>

#include <cstdint>
#include <map>

struct CPristrojStatusTexts;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;

namespace controllers {

// What the two controller values displays share: controls kept by their
// dialog ids and placed in dialog units of the dialog font, the size
// measured in dialog units, the state text's warning colours, the legend
// swatches and the right click that asks the host for its panel menu.
class CValuesDlgBase : public QFrame {
    Q_OBJECT
public:
    // The command of the dialog's own menu item "Nastavení ...".
    static constexpr int kCmdSettings = 1016;

    QWidget* Control(int id) const;
    QProgressBar* Progress() const { return m_progress; }
    // Copies the members into the controls.
    virtual void UpdateControls() = 0;
    // The dialog's own items at the end of the host's panel menu:
    // "Nastavení ..." shows the members again.
    void AddPanelCommands(QMenu& menu);
    // The model-name table of the values displays, by the controller's
    // model code: entry 0 empty, an unknown code "--".
    static QString ModelName(int code);

    // The header's and the record group's texts the host fills.
    QString m_time;
    QString m_model = QStringLiteral("--");
    QString m_recordEnd;
    QString m_recordStart;
    QString m_file;
    void OnCommand(int id);
    // The size in dialog units the last layout measured.
    QSize SizeInDlu() const { return m_dluSize; }
    // Large enough for the header and the values to be read whole.
    QSize sizeHint() const override;

signals:
    // A right click: the host shows its panel menu.
    void PanelMenu(const QPoint& globalPos);

protected:
    explicit CValuesDlgBase(QWidget* parent);
    // The smallest size in dialog units whose layout shows the header and
    // the values.
    QSize m_readableDlu;

    // The model's name by its code (-1: no valid record, the name shown
    // stays) and, when given, the instrument's time, record and file texts.
    void FillHeader(int modelCode, const CPristrojStatusTexts* status);

    QWidget* Make(int id, QWidget* widget);
    static QLineEdit* ReadOnlyEdit(bool right = true);
    void MakeProgress(int id);
    // Stage indicators: radio buttons `buttonId` + i the user cannot switch,
    // labels `labelId` + i.
    void MakeStages(int buttonId, int labelId, int count);
    void SetStages(int buttonId, const int* states, int count);
    // Control `id` at (left, top)-(right, bottom) from the origin (x0, y0).
    void Place(int id, int x0, int y0, int left, int top, int right, int bottom);
    void SetText(int id, const QString& text);
    QSize MeasureDlu();
    // The model name's bold, underlined font, made again at each layout.
    void SetHeaderFont(int id);
    // Red on light yellow while the state text is not empty.
    void ShowState(int id, const QString& text);
    static void PaintSwatch(QWidget* swatch, std::uint32_t colour);

    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    QProgressBar* m_progress = nullptr;
    QFont m_headerFont;
    QSize m_dluSize;

private:
    std::map<int, QWidget*> m_controls;
};

} // namespace controllers
