#pragma once

#include "archive_docs/ArchivDocHooks.h"

#include <QComboBox>
#include <QFont>
#include <QPointer>
#include <QSlider>
#include <QToolBar>

// The position slider of the archive tool bar: a track over the whole file
// in quarter hours whose handle is the shown window. Its three values are
// the window start, the window length and the file length; the user moving
// it reports the new window start and end.
class CPosuvnik : public QSlider {
    Q_OBJECT
public:
    explicit CPosuvnik(QWidget* parent = nullptr);

    // Window start, window length, file length (quarter hours).
    void SetValues(int position, int page, int range);
    // The window's end alone; the start stays.
    void SetShownEnd(int end);
    int Position() const { return value(); }
    int Page() const { return m_page; }
    int Range() const { return m_range; }

signals:
    // The user moved the window to start..end.
    void Changed(int start, int end);

private:
    void Apply();

    int m_position = 0;
    int m_page = 0;
    int m_range = 1;
};

// A combo box of the tool bar that tells when its list opens and closes.
// Its texts stand right-aligned, in the box and in its list, so the times and
// spans line up on their last digit.
class CArchivCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CArchivCombo(QWidget* parent = nullptr);
    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;

signals:
    void PopupShowing();
    void PopupHidden();
};

// The navigation bar of the archive windows: six buttons that move through
// the file, the time and zoom choices of the active archive document and the
// position slider. It decides nothing: the active document fills it
// (IArchivToolBar), the buttons come out as commands, and the choices go to
// the main window as WM_ARCHIVE_DOC_CMD (time index, zoom index; -1 for none
// or for a text that is not one of the document's choices) and
// WM_ARCHIVE_SLIDER (window start, window end).
class CArchivToolBar : public QToolBar, public IArchivToolBar {
    Q_OBJECT
public:
    static constexpr int kTimeComboId = 118;
    static constexpr int kZoomComboId = 119;
    static constexpr int kSliderId = 126;
    // The buttons in bar order.
    static constexpr int kButtons[6] = {32193, 32194, 32195, 32165, 32167, 32169};

    explicit CArchivToolBar(QWidget* parent = nullptr);

    // Where the choices go; the bar's own window when not set.
    void SetMainWindow(QObject* mainWindow) { m_mainWindow = mainWindow; }

    void FillZoomCombo(const QStringList& texts, const QString& current) override;
    void FillTimeCombo(const QStringList& texts, const QString& current) override;
    void SetSlider(int position, int page, int range) override;

    CArchivCombo* ZoomCombo() const { return m_zoomCombo; }
    CArchivCombo* TimeCombo() const { return m_timeCombo; }
    CPosuvnik* Slider() const { return m_slider; }
    QAction* Button(int id) const;

signals:
    // A navigation button was pressed.
    void Command(int id);

private:
    struct Extra {
        int index = -1;
        QString text;
    };
    void Fill(CArchivCombo* combo, Extra& extra, const QStringList& texts, const QString& current);
    void HookExtra(CArchivCombo* combo, Extra& extra);
    void SendChoice();
    void OnSliderChanged(int start, int end);
    QObject* Target() const;

    CArchivCombo* m_zoomCombo = nullptr;
    CArchivCombo* m_timeCombo = nullptr;
    CPosuvnik* m_slider = nullptr;
    Extra m_zoomExtra;
    Extra m_timeExtra;
    QFont m_font;
    QPointer<QObject> m_mainWindow;
};
