#pragma once

#include "controllers/settings/PageBase.h"

#include "model/PrevodTyp.h"

#include <QColor>

class CConfig;
class QComboBox;
class QGridLayout;
class QPushButton;

namespace controllers {

// What the stage pages of both controller families share: 14 stage buttons
// (fixed on, fixed off, regulated), 14 size edits in a display unit (A, or
// kvar on Duskar), the switching program, C/k and the capacitor count. The
// record holds sizes in secondary amperes; the display factor converts.
class CStagePageBase : public CSettingsPage {
    Q_OBJECT
public:
    static constexpr int kStages = 14;

    // Print states of a stage (GetStageState): -1 regulated without a size,
    // 1 regulated choke, 2 regulated capacitor, 3 capacitor off, 4 capacitor
    // on, 5 choke off, 6 choke on; Duskar adds 7 cooling and 8 heating.
    virtual int GetStageState(int stage) const;

    // Controls -> members; false when a typed value is refused.
    virtual bool UpdateData(bool save);
    void RefreshControls(int mask);
    // A size edit was left.
    virtual void OnStageValueChanged(int stage);
    // A stage button was clicked.
    virtual void OnStageButton(int stage);
    void OnProgramChanged();

    int m_stageCount = kStages;
    BOOL m_reg[kStages] = {};
    BOOL m_off[kStages] = {};
    double m_size[kStages] = {};
    int m_program = -1;
    int m_capIndex = -1;
    double m_ck = 0;
    int m_auto = 0; // 0 off
    BOOL m_sixStage = FALSE;
    int m_first = 0;
    double m_factor = 1.0;

    bool OnSetActive() override;
    bool OnKillActive() override { return UpdateData(true); }

    // The icon resource a button shows, for tests and the printout.
    int ButtonIcon(int stage) const;
    double NoStage() const;
    bool WithinBound(double size) const;

protected:
    CStagePageBase(const QString& caption, bool readOnly, QWidget* parent);

    // Builds the common controls; `grid` gets the 14 stage rows from `row`.
    void BuildStageRows(QGridLayout* grid, int row, int column);
    void ConnectStageControls();

    virtual int FirstProgrammed() const { return m_first; }
    virtual bool RejectsChoke(int /*stage*/) const { return false; }
    virtual int StageIcon(int stage) const;
    virtual QColor SizeBackground(int stage, QColor& text) const;
    virtual void ExchangeExtras(bool /*save*/) {}
    virtual void RefreshExtras(int /*mask*/) {}
    virtual bool AutoOff() const { return m_auto == 0; }

    void ApplyProgram(int stage);
    // C/k from its edit; false, with the range message, when the record
    // could not hold it.
    bool TakeCk();
    // `ck` (primary amperes) as the record will hold it.
    double HeldCk(double ck) const;
    // Attach/store of the stage fields both families' records share (sizes
    // in secondary A). `off` may differ from the record's mask (Duskar
    // temperature outputs); null takes the record's.
    void AttachStages(const CConfig& config, const BOOL* off = nullptr);
    // Stores them and takes back the sizes the record now holds.
    void StoreStages(CConfig& config);
    void RebuildCountList();
    void PaintSizeEdits();
    void ShowSizes();

private:
    QPushButton* m_buttons[kStages] = {};
};

} // namespace controllers
