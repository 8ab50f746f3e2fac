#include "link/Pristroj.h"

#include "model/Iden.h"
#include "model/VKNoteBook.h"
#include "model/VKTNoteBook.h"
#include "platform/Cp1250.h"

#include <array>
#include <functional>

namespace {

using Read = std::function<BOOL()>;

// Three passes over the reads; each pass repeats only the reads that have
// not succeeded yet, in the order of `order[pass]`. A failure pauses
// `pauses[pass]` ms.
template <std::size_t N>
BOOL RetryPasses(ILinkClock& clock, const std::array<Read, N>& reads, const std::array<std::array<int, N>, 3>& order,
                 const std::array<DWORD, 3>& pauses)
{
    std::array<bool, N> done{};
    for (int pass = 0; pass < 3; ++pass) {
        for (int index : order[std::size_t(pass)]) {
            if (done[std::size_t(index)])
                continue;
            done[std::size_t(index)] = reads[std::size_t(index)]() != 0;
            if (!done[std::size_t(index)])
                clock.Sleep(pauses[std::size_t(pass)]);
        }
    }
    for (bool d : done) {
        if (!d)
            return FALSE;
    }
    return TRUE;
}

// Up to three tries of `read` (success when it returns true), pausing
// `pauses[k]` ms after failed try k while a try remains.
BOOL RetryTries(ILinkClock& clock, const std::function<bool()>& read, const std::array<DWORD, 2>& pauses)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (read())
            return TRUE;
        if (attempt < 2)
            clock.Sleep(pauses[std::size_t(attempt)]);
    }
    return FALSE;
}

QString NoteText(const CVKTNoteBook::Text& text)
{
    qsizetype length = 0;
    while (length < qsizetype(text.size()) && text[std::size_t(length)] != 0)
        ++length;
    return platform::FromCp1250(reinterpret_cast<const char*>(text.data()), length);
}

constexpr std::array<std::array<int, 3>, 3> kSettingsOrder{{{0, 1, 2}, {0, 1, 2}, {0, 2, 1}}};

} // namespace

BOOL RetryReadVKSettings(CPristroj& entry, CVKConfig& config, CVKNoteBook& notebook, CIden& iden)
{
    const std::array<Read, 3> reads{[&] { return entry.ReadVKConfig(config); },
                                    [&] { return entry.ReadVKNoteBook(notebook); },
                                    [&] { return entry.ReadIdentification(iden); }};
    return RetryPasses(entry.Clock(), reads, kSettingsOrder, {0, 0, 0});
}

BOOL RetryReadVKTSettings(CPristroj& entry, CVKTConfig& config, CVKTNoteBook& notebook, CIden& iden)
{
    const std::array<Read, 3> reads{[&] { return entry.ReadVKTConfig(config); },
                                    [&] { return entry.ReadVKTNoteBook(notebook); },
                                    [&] { return entry.ReadIdentification(iden); }};
    return RetryPasses(entry.Clock(), reads, kSettingsOrder, {0, 300, 300});
}

BOOL RetryReadDuskarSettings(CPristroj& entry, CIden& iden, CDuskarConfig& config)
{
    const std::array<Read, 2> reads{[&] { return entry.ReadDuskarConfig(config); },
                                    [&] { return entry.ReadIdentification(iden); }};
    return RetryPasses(entry.Clock(), reads, {{{0, 1}, {0, 1}, {0, 1}}}, {0, 300, 300});
}

BOOL RetrySendVKArchiveControl(CPristroj& entry)
{
    return RetryTries(entry.Clock(), [&] { return entry.SendVKArchiveControl(FALSE) != 0; }, {0, 0});
}

BOOL RetrySyncVKClock(CPristroj& entry)
{
    return RetryTries(entry.Clock(), [&] { return entry.SyncVKClock() == 0; }, {100, 500});
}

BOOL RetrySyncVKTClock(CPristroj& entry)
{
    return RetryTries(entry.Clock(), [&] { return entry.SyncVKTClock() == 0; }, {100, 500});
}

BOOL RetryReadVKTStatus(CPristroj& entry, CVKTStatus& status)
{
    return RetryTries(entry.Clock(), [&] { return entry.ReadVKTStatus(status) != 0; }, {0, 500});
}

BOOL RetryPrepareVKArchiveRead(CPristroj& entry, CVKStatus& status)
{
    bool on = false;
    bool read = false;
    for (int attempt = 0; attempt < 3 && !read; ++attempt) {
        if (!on) {
            on = entry.SendVKArchiveControl(TRUE) != 0;
            if (!on) {
                entry.Clock().Sleep(0);
                continue;
            }
        }
        read = entry.ReadVKStatus(status) != 0;
        if (!read)
            entry.Clock().Sleep(0);
    }
    // Left on, the instrument would stop recording for good.
    if (on && !read)
        RetrySendVKArchiveControl(entry);
    return read ? TRUE : FALSE;
}

BOOL CPristroj::ReadNoteBook(QString& text1, QString& text2)
{
    static constexpr DWORD kPauses[] = {200, 1000};
    const QString none = QStringLiteral("---");
    text1 = none;
    text2 = none;
    if (m_type != kVKT && m_type != kVK)
        return FALSE;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_type == kVKT) {
            CVKTNoteBook notebook;
            if (ReadVKTNoteBook(notebook)) {
                text1 = NoteText(notebook.GetText1());
                text2 = NoteText(notebook.GetText2());
                return TRUE;
            }
        } else {
            CVKNoteBook notebook;
            if (ReadVKNoteBook(notebook)) {
                // A VK notebook names only the recording.
                text2 = notebook.GetRecordName();
                return TRUE;
            }
        }
        if (attempt < 2)
            Clock().Sleep(kPauses[attempt]);
    }
    return FALSE;
}

BOOL CPristroj::IdentifyInstrument(CLinkManager* manager, CIden& iden, const QString& port, WORD address,
                                   const QString& number, QString& errorText, int& probe)
{
    if (!manager)
        return FALSE;
    const DWORD id = manager->Register(port, address);
    BOOL result = FALSE;
    if (!manager->Open(id, port, address, number)) {
        errorText = manager->GetErrorText(id);
    } else {
        result = manager->ReadIdentificationProbe(id, iden, probe);
        for (int attempt = 0; attempt < 3 && !result; ++attempt)
            result = manager->Request(id, &CLink::ReadIdentification, iden);
        if (!result)
            errorText = manager->GetErrorText(id);
    }
    manager->Close(id);
    manager->Unregister(id);
    return result;
}
