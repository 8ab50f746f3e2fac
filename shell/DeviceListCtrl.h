#pragma once

#include <QString>
#include <QTableWidget>

// The instrument list of the instrument list dialog: the row text and four
// check columns drawn from the row's flag bits. A click on a cell reports
// the row and column to the parent as WM_DEVICE_LIST_CHECK.
class CDeviceListCtrl : public QTableWidget {
    Q_OBJECT
public:
    enum Flag { kMeasure = 1, kShow = 2, kRecord = 4, kPanel = 8 };
    static constexpr int kFlagsRole = Qt::UserRole;
    static constexpr int kMeasuringRole = Qt::UserRole + 1;

    explicit CDeviceListCtrl(QWidget* parent = nullptr);

    void CreateColumns();
    static constexpr int kNameWidth = 290;
    static constexpr int kCheckWidth = 50;
    void InsertDevice(int row, const QString& text, bool measure, bool show, bool record, bool panel);
    // Whether the row's instrument is measuring (draws the boxes black).
    void SetMeasuring(int row, bool measuring);
    int Flags(int row) const;
    int SelectedRow() const;

    // The row's text: name, port and bus address.
    static QString RowText(const QString& name, const QString& port, int address);

private:
    void OnClick(int row, int column);
};
