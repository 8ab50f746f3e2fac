#pragma once

#include "platform/WindowMessage.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace ui {

class CPropertySheet;

// One tab of a property sheet. Its hooks run on the GUI thread in the order
// of a classic property sheet: OnInitDialog once, when the page is first
// shown; OnSetActive each time it is shown; OnKillActive when it is left or
// before the sheet applies (false keeps the page); OnApply for every page
// that was shown, on Apply and OK (false stops the sheet on that page);
// OnCancel for every page that was shown, on Cancel.
class CPropertyPage : public QWidget, public platform::MessageDispatcher {
    Q_OBJECT
public:
    explicit CPropertyPage(const QString& caption, QWidget* parent = nullptr);

    const QString& Caption() const { return m_caption; }
    CPropertySheet* GetSheet() const { return m_sheet; }
    bool IsInitialised() const { return m_initialised; }

    // A modified page enables the sheet's Apply button.
    void SetModified(bool modified = true);
    bool IsModified() const { return m_modified; }

    virtual void OnInitDialog() {}
    virtual bool OnSetActive() { return true; }
    virtual bool OnKillActive() { return true; }
    // By default OnOK, and the page is no longer modified.
    virtual bool OnApply();
    virtual void OnOK() {}
    virtual void OnCancel() {}

protected:
    bool event(QEvent* event) override;

private:
    friend class CPropertySheet;
    CPropertySheet* m_sheet = nullptr;
    QString m_caption;
    bool m_initialised = false;
    bool m_modified = false;
};

// A dialog with a tab per page and the buttons OK, Cancel and Apply (the
// classic ids, so that sheets can relabel, move or hide them).
class CPropertySheet : public QDialog, public platform::MessageDispatcher {
    Q_OBJECT
public:
    static constexpr int IdOk = 1;
    static constexpr int IdCancel = 2;
    static constexpr int IdApplyNow = 12321;

    explicit CPropertySheet(const QString& caption, QWidget* parent = nullptr);
    ~CPropertySheet() override;

    // A page that someone else owns (a member of the derived sheet, or of the
    // caller): the sheet lets it go when it is destroyed first.
    void AddPage(CPropertyPage* page);
    // A page that the sheet owns.
    void AddPage(std::unique_ptr<CPropertyPage> page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetActiveIndex() const { return m_active; }
    CPropertyPage* GetActivePage() const { return GetPage(m_active); }
    // Leaves the active page (it may refuse) and shows the other; before the
    // sheet is shown it only chooses the first page.
    bool SetActivePage(int index);

    QPushButton* Button(int id) const;
    QTabWidget* Tabs() const { return m_tabs; }

    // Runs the sheet; IdOk or IdCancel.
    int DoModal();

    // The active page's OnKillActive, then OnApply of every shown page; true
    // when all agreed (the Apply button is then disabled again).
    bool ApplyPages();
    void UpdateApplyButton();

    void reject() override;

protected:
    // The buttons' handlers; sheets that give a button another meaning
    // override them.
    virtual void OnApplyNow() { ApplyPages(); }
    virtual void OnOK();
    // Every shown page's OnCancel, then the sheet closes with IdCancel.
    virtual void OnCancel();

    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool Activate(int index);
    void OnTabChanged(int index);

    QTabWidget* m_tabs;
    QDialogButtonBox* m_buttons;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QPushButton* m_apply;
    std::vector<CPropertyPage*> m_pages;
    std::vector<QPointer<CPropertyPage>> m_borrowedPages;
    int m_active = -1;
    int m_startPage = 0;
    bool m_switching = false;
    bool m_cancelling = false;
};

} // namespace ui
