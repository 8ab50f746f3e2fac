#pragma once

#include <QWidget>

class QListWidget;

namespace controls {
class CPanelControl;
}

namespace analysers_vk {

// The front-panel control of the floating panel with its scenario list.
// A missing control plugin leaves the message in its place.
class CVKSeznamDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinControlSize = 250;

    explicit CVKSeznamDlg(QWidget* parent = nullptr);

    controls::CPanelControl* Control() const { return m_control; }
    QListWidget* ScenarioList() const { return m_list; }
    QSize ControlSize() const { return m_controlSize; }
    void SetScenarioOffset(int offset) { m_offset = offset; }

    void ShowScenarioList();
    void ChooseScenario(int item);

signals:
    void scenarioChanged();
    void settingsRequested();
    void menuRequested(QPoint globalPos);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PlaceList();

    controls::CPanelControl* m_control = nullptr;
    QWidget* m_error = nullptr;
    QListWidget* m_list = nullptr;
    QSize m_controlSize{kMinControlSize, kMinControlSize};
    int m_offset = 0;
};

} // namespace analysers_vk
