#pragma once

#include "platform/ThreadMessages.h"
#include "platform/ui/PropertySheet.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QString>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QRadioButton;

namespace controllers {

class CSettingsReport;

// A small vertical scroll bar used as an up/down stepper: the upper arrow
// is a line up, the lower one a line down.
class CStepBar : public QScrollBar {
    Q_OBJECT
public:
    explicit CStepBar(QWidget* parent = nullptr);
signals:
    void lineUp();
    void lineDown();
};

// An edit that tells when it loses the focus (the pages check typed values
// then).
class CCheckedEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void focusLeft();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// Base of the settings pages: controls carry their dialog id as object name
// (the printout and the tests find them by it); a read-only page (the
// archive twins) shows its values and lets nothing change them.
class CSettingsPage : public ui::CPropertyPage {
    Q_OBJECT
public:
    CSettingsPage(const QString& caption, bool readOnly, QWidget* parent = nullptr);

    bool IsReadOnly() const { return m_readOnly; }

    // The control of a dialog id, or null.
    QWidget* Control(int id) const;
    template <class T>
    T* Ctl(int id) const
    {
        return qobject_cast<T*>(Control(id));
    }
    // The text a control shows (label, edit, check box, radio, selected item).
    QString ControlText(int id) const;
    bool IsChecked(int id) const;
    bool IsEnabledCtl(int id) const;

protected:
    QLabel* Label(int id, const QString& text);
    CCheckedEdit* Edit(int id, int width = 60);
    QCheckBox* Check(int id, const QString& text = QString());
    QRadioButton* Radio(int id, const QString& text);
    QComboBox* Combo(int id, const QStringList& items);
    CStepBar* Bar(int id);
    // An edit with its stepper beside it, in one cell.
    QWidget* EditWithBar(CCheckedEdit* edit, CStepBar* bar);
    QWidget* Row(std::initializer_list<QWidget*> widgets);

    // Makes the page's controls unchangeable: edits read-only, steppers
    // hidden, lists and check boxes deaf to the mouse and the keys.
    void MakeReadOnly();

    static void SetComboIndex(QComboBox* combo, int index);
    static void RebuildComboItems(QComboBox* combo, const QStringList& items);
    // Edit texts of numbers.
    static QString FloatText(double value);
    // The shortest plain text that reads back as the same single float, so
    // that a stored value is shown whole.
    static QString ExactFloatText(float value);
    static QString PowerFactorText(double value);
    static bool ParseFloat(const QString& text, double& value);
    static bool ParseInt(const QString& text, int& value);

    // The framework's range check of a typed number: a Czech warning, the
    // focus back into the edit, and false.
    bool CheckRange(int id, double value, double low, double high, bool integer);
    void Beep();

    void SendRatioChanged();
    // The current-transformer controls of the data pages: the primary edit
    // 1027, the secondary edit 1028 (1 or 5 A only) and its toggle 1029;
    // each change goes to the sheet.
    void ConnectCurrentTransformer(int& secondary, std::function<bool(bool)> exchange);
    // The current transformer's edits read back into `primary` and
    // `secondary`; false (with the range warning) when one is out of range.
    bool ReadCurrentTransformer(int& primary, int& secondary);
    // A stored primary of 6 to 9950 A stays; anything else reads as 5 / 5.
    static void CheckStoredTransformer(int& primary, int& secondary);

    // The rows the controllers' data pages share, from `row` on (which they
    // leave on the next free row): the two tariffs and their target power
    // factor; their regulation times under and over compensation with the
    // linear choice; and the current transformer.
    void AddTargetRows(QGridLayout* grid, int& row);
    void AddRegulationRows(QGridLayout* grid, int& row, const QString& timeLabel, const QStringList& times);
    void AddTransformerRow(QGridLayout* grid, int& row);
    // "from" ... "to" as list items.
    static QStringList NumberItems(int from, int to);

private:
    bool m_readOnly;
};

// The simple beep of a page; tests count them.
int BeepCount();

// The printed lines of one tariff of a data page: its target power factor
// and its regulation times under and over compensation, each with
// "lineární" when that is chosen and offered.
void AddTariffReport(CSettingsReport& report, const CSettingsPage& data, int target, int under, int underCheck,
                     int over, int overCheck);

} // namespace controllers
