#pragma once

#include "archive/store/VKArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "model/VKBexor.h"
#include "model/VKTBexor.h"
#include "platform/ui/Document.h"

#include <array>
#include <cstdint>

// A meter archive document: the blocks of an archive's "bexor" stream, one
// at a time, for the meter views. It has no file of its own: the opener
// hands it the archive whose meter data it shows, and it opens that file
// through an archive object of its own. Each read opens the stream afresh,
// so blocks added meanwhile show up.
class CMeterArchivDocBase : public ui::CDocument {
    Q_OBJECT
public:
    // Hints sent after a read of the current block.
    static constexpr std::intptr_t kHintBlockRead = 2;
    static constexpr std::intptr_t kHintBlockCountChanged = 3;

    CMeterArchivDocBase() = default;

    // Opening by name makes an empty document.
    bool OnOpenDocument(const QString& path) override;
    void SetPathName(const QString& path, bool addToRecent = true) override;

    // Opens the file that `source` has open; 0 when that fails (the caller
    // closes the document).
    int OpenArchive(CArchivData& source);
    // Non-zero when a block was read; the views get hint 2, or 3 when the
    // block count changed since the last read.
    int ReadCurrentBlock();
    // Reads again; the views get `hint`, with 1 added when the block count
    // changed and 4 when the current block's entries or time did.
    int ReadRange(std::intptr_t hint);

    int GetState() const { return m_state; }
    void SetState(int state) { m_state = state; }
    int GetCurrentBlockIndex() const { return m_currentIndex; }
    void SetCurrentBlockIndex(int index) { m_currentIndex = index; }
    std::array<int, 11>& DisplaySettings() { return m_display; }

    virtual CArchivData& GetArchiv() = 0;

protected:
    virtual QString ArchivExtension() const = 0;
    virtual bool IsVKT() const = 0;
    // Opens the stream and reads the index and the block at the current
    // index (0 when beyond the last block); false, with the block emptied,
    // when either cannot be read.
    virtual bool ReadIndexAndBlock() = 0;
    virtual int BlockCount() const = 0;
    virtual DWORD EntryCountAt(int block) const = 0;
    virtual std::uint32_t KeyAt(int block) const = 0;

    int& CurrentIndexRef() { return m_currentIndex; }

private:
    int ReadBlockGuarded(const std::function<int()>& read);
    void LoadDisplaySettings();

    int m_state = 0;
    int m_currentIndex = 0;
    int m_lastCount = -1;
    std::array<int, 11> m_display{};
};

// Meter data of a VK archive.
class CBexorArchivDoc : public CMeterArchivDocBase {
    Q_OBJECT
public:
    static QString DocString() { return QStringLiteral("Bexor Archiv\nArchiv\n\n\n\nBexorArchiv.Document\nBexor Archiv"); }
    CBexorArchivDoc();
    ~CBexorArchivDoc() override;

    CArchivData& GetArchiv() override { return m_archiv; }
    const CBexorBlock& GetBlock() const { return m_block; }
    const CBexorIndex& GetIndex() const { return m_index; }

protected:
    QString ArchivExtension() const override { return QStringLiteral(".vk"); }
    bool IsVKT() const override { return false; }
    bool ReadIndexAndBlock() override;
    int BlockCount() const override { return m_index.GetBlockCount(); }
    DWORD EntryCountAt(int block) const override { return m_index.GetEntryCount(block); }
    std::uint32_t KeyAt(int block) const override { return m_index.GetBlockTime(block).GetTime(); }

private:
    CBexorBlock m_block;
    CBexorIndex m_index;
    CVKArchivData m_archiv;
};

// Meter data of a VKT archive.
class CVKTBexorArchivDoc : public CMeterArchivDocBase {
    Q_OBJECT
public:
    static QString DocString()
    {
        return QStringLiteral("VKTBexor Archiv\nArchiv\n\n\n\nVKTBexorArchiv.Document\nVKTBexor Archiv");
    }
    CVKTBexorArchivDoc();
    ~CVKTBexorArchivDoc() override;

    CArchivData& GetArchiv() override { return m_archiv; }
    const CVKTBexorBlock& GetBlock() const { return m_block; }
    const CVKTBexorIndex& GetIndex() const { return m_index; }

protected:
    QString ArchivExtension() const override { return CVKTArchivData::Extension(); }
    bool IsVKT() const override { return true; }
    bool ReadIndexAndBlock() override;
    int BlockCount() const override { return m_index.GetBlockCount(); }
    DWORD EntryCountAt(int block) const override { return m_index.GetEntryCount(block); }
    std::uint32_t KeyAt(int block) const override { return m_index.GetKey(block).GetTime(); }

private:
    CVKTBexorBlock m_block;
    CVKTBexorIndex m_index;
    CVKTArchivData m_archiv;
};
