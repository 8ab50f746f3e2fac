#pragma once

#include "charts_data/MeterTable.h"

#include <QDialog>

#include <array>

class QComboBox;
class QListWidget;

// "Elektroměr": which energies and which tariffs or phases the meter view
// shows, its interval and whether it shows readings or increments, beside
// the meter's hourly tariff table.
class CBexorDisplayDlg : public QDialog {
    Q_OBJECT
public:
    // `tariffs`: the tariff number (1..) of each hour.
    CBexorDisplayDlg(const charts::CMeterDisplay& display, bool vkt, const std::array<int, 24>& tariffs,
                     const QString& resetTime, QWidget* parent = nullptr);

    // The choices as they stand in the controls.
    charts::CMeterDisplay Settings() const;

    QListWidget* Quantities() const { return m_quantities; }
    QListWidget* SubColumns() const { return m_subColumns; }
    QComboBox* Interval() const { return m_interval; }
    QComboBox* ValueMode() const { return m_value; }

private:
    charts::CMeterDisplay m_display;
    QListWidget* m_quantities;
    QListWidget* m_subColumns;
    QComboBox* m_interval;
    QComboBox* m_value;
};
