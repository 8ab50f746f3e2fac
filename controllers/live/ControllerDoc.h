#pragma once

#include "platform/ui/Document.h"

#include <QPointer>

#include <cstdint>

class CPristroj;
class QDialog;
class QWidget;

namespace controllers {

// The document behind the live window of one controller. It holds no
// measured data: it refers to the configured instrument entry (owned by the
// application's device list) and carries the instrument commands.
class CControllerDoc : public ui::CDocument {
    Q_OBJECT
public:
    // The update hint on which the live view reads its stored layout.
    static constexpr std::intptr_t kHintEntryBound = 4;

    explicit CControllerDoc(bool duskar) : m_duskar(duskar) {}
    ~CControllerDoc() override;

    bool IsDuskar() const { return m_duskar; }
    void SetPristroj(CPristroj* entry);
    CPristroj* GetPristroj() const { return m_pristroj; }

    void OnSettings(QWidget* parent);
    void OnSwitchStatistics(QWidget* parent);
    void OnSpecialFunctions(QWidget* parent);
    void OnInfo(QWidget* parent);
    void OnOpenCurrentFile();
    bool OpenCurrentFileEnabled() const;
    void OnOpenPreviousFile(QWidget* parent);
    // "Otevři soubor dle přístroje ...": the open-archive dialog with this
    // instrument chosen.
    void OnOpenByInstrument(QWidget* parent);
    void OnHide() { OnCloseDocument(); }
    // Closed by the user (the menu, the frame's close box, the instrument
    // list): the instrument stops showing it.
    void OnCloseDocument() override;

    // The newest archive file of `pattern` (a path prefix and "*.qor") whose
    // first record is earlier than `reference`, other than `current`; empty
    // when none.
    static QString PreviousFile(const QString& prefix, const QString& ending, const QString& current,
                                std::int64_t reference);

private:
    bool m_duskar;
    CPristroj* m_pristroj = nullptr;
};

class CQorin01Doc : public CControllerDoc {
    Q_OBJECT
public:
    CQorin01Doc() : CControllerDoc(false) {}
    static QString DocString();
};

class CDuskarDoc : public CControllerDoc {
    Q_OBJECT
public:
    CDuskarDoc() : CControllerDoc(true) {}
    static QString DocString();
};

} // namespace controllers
