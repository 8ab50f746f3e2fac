#pragma once

#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/ArchivDocData.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"

// The archive documents of the five instrument families. Each holds its
// family's archive object with the document's window over it.

// Qorin archives (".qor").
class CArchivDoc : public CArchivDocBase {
    Q_OBJECT
public:
    static constexpr int kOpenByInstrument = 32226;
    static QString DocString();

    CArchivDoc();
    ~CArchivDoc() override;

    CArchivData& GetArchiv() override { return m_archiv; }
    CArchivNavigator& Navigator() override { return m_archiv; }
    CQorinArchivData& GetFamilyArchiv() { return m_archiv; }

private:
    TArchivDocData<CQorinArchivData> m_archiv;
};

// Duskar archives (".dsk").
class CDuskarArchivDoc : public CArchivDocBase {
    Q_OBJECT
public:
    static constexpr int kOpenByInstrument = 32226;
    static QString DocString();

    CDuskarArchivDoc();
    ~CDuskarArchivDoc() override;

    CArchivData& GetArchiv() override { return m_archiv; }
    CArchivNavigator& Navigator() override { return m_archiv; }
    CDuskarArchivData& GetFamilyArchiv() { return m_archiv; }

private:
    TArchivDocData<CDuskarArchivData> m_archiv;
};

// VK archives (".vk"), with their meter data.
class CVKArchivDoc : public CArchivDocBase {
    Q_OBJECT
public:
    static constexpr int kOpenByInstrument = 32228;
    static QString DocString();

    CVKArchivDoc();
    ~CVKArchivDoc() override;

    CArchivData& GetArchiv() override { return m_archiv; }
    CArchivNavigator& Navigator() override { return m_archiv; }
    CVKArchivData& GetFamilyArchiv() { return m_archiv; }

    bool OnCommand(int id) override;
    void AppendCommands(std::vector<ui::CommandItem>& items) override;
    // The meter data only for an instrument whose identification in force
    // says it keeps them.
    bool IsCommandEnabled(int id) override;

private:
    TArchivDocData<CVKArchivData> m_archiv;
};

// VKR archives (".vkr").
class CVKRArchivDoc : public CArchivDocBase {
    Q_OBJECT
public:
    static constexpr int kOpenByInstrument = 32229;
    static QString DocString();

    CVKRArchivDoc();
    ~CVKRArchivDoc() override;

    CArchivData& GetArchiv() override { return m_archiv; }
    CArchivNavigator& Navigator() override { return m_archiv; }
    CVKRArchivData& GetFamilyArchiv() { return m_archiv; }

private:
    TArchivDocData<CVKRArchivData> m_archiv;
};

// VKT archives (".vkt"), with their meter data.
class CVKTArchivDoc : public CArchivDocBase {
    Q_OBJECT
public:
    static constexpr int kOpenByInstrument = 40007;
    static QString DocString();

    CVKTArchivDoc();
    ~CVKTArchivDoc() override;

    CArchivData& GetArchiv() override { return m_archiv; }
    CArchivNavigator& Navigator() override { return m_archiv; }
    CVKTArchivData& GetFamilyArchiv() { return m_archiv; }

    bool OnCommand(int id) override;
    void AppendCommands(std::vector<ui::CommandItem>& items) override;

private:
    TArchivDocData<CVKTArchivData> m_archiv;
};

namespace archive {
// Opens the meter document of the template named `typeName` over `source`;
// null when there is no such template or the archive cannot be opened.
ui::CDocument* OpenMeterDocument(const QString& typeName, CArchivData& source);
} // namespace archive
