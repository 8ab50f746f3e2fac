#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QCheckBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

// The part that the profile view's two value panels share: per quantity a
// value edit, a colour swatch and a check box that shows or hides its
// curve, a time edit and a print button. The view writes the texts, colours
// and shown flags and reads the flags back after the parent was told
// (WM_ARCHIVE_WINDOW_MOVED); the print button asks the parent to print the
// graph (WM_ARCHIVE_PRINT_GRAPH).
class CProfileChoiceDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr std::uint32_t kUnsetColour = 0xD2D2D2;
    static constexpr int kPrintId = 1293;
    static constexpr int kTimeId = 1292;

    int QuantityCount() const { return int(m_quantities.size()); }
    std::uint32_t Colour(int i) const { return m_quantities[std::size_t(i)].colour; }
    void SetColour(int i, std::uint32_t colour);
    int Shown(int i) const { return m_quantities[std::size_t(i)].shown; }
    void SetShown(int i, int shown) { m_quantities[std::size_t(i)].shown = shown ? 1 : 0; }
    void SetValueText(int i, const QString& text);
    QString ValueText(int i) const;
    void SetTimeText(const QString& text);
    QString TimeText() const;
    // Copies the shown flags into the check boxes.
    void LoadFlags();

    QCheckBox* CheckBox(int i) const { return m_quantities[std::size_t(i)].check; }
    QWidget* Swatch(int i) const { return m_quantities[std::size_t(i)].swatch; }
    QPushButton* PrintButton() const { return m_print; }
    QWidget* Control(int id) const;

protected:
    explicit CProfileChoiceDlg(QWidget* parent);

    // Adds quantity i (in index order) with its controls at the row of the
    // grid, starting at `column`: label, check box, swatch, value edit.
    void AddQuantity(QGridLayout* grid, int row, int column, const QString& label, int editId, int swatchId,
                     int checkId);
    QLineEdit* MakeEdit(int id);
    QPushButton* MakePrintButton();

private:
    void OnChecked();

    struct Quantity {
        std::uint32_t colour = kUnsetColour;
        int shown = 0;
        QLineEdit* edit = nullptr;
        QWidget* swatch = nullptr;
        QCheckBox* check = nullptr;
    };
    std::vector<Quantity> m_quantities;
    QLineEdit* m_time = nullptr;
    QPushButton* m_print = nullptr;
};
