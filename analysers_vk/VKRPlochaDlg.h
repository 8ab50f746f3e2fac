#pragma once

#include <QWidget>

namespace controls {
class CPanelControl;
}

namespace analysers_vk {

// The VKR front-panel control in the floating panel, at (1, 1) with the
// panel's size; without the control's plugin it says why it is empty.
class CVKRPlochaDlg : public QWidget {
    Q_OBJECT
public:
    explicit CVKRPlochaDlg(QWidget* parent = nullptr);

    controls::CPanelControl* Control() const { return m_control; }
    QSize ControlSize() const { return m_controlSize; }

signals:
    void screenChanged();
    void menuRequested(QPoint globalPos);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    controls::CPanelControl* m_control = nullptr;
    QWidget* m_error = nullptr;
    QSize m_controlSize;
};

} // namespace analysers_vk
