#include "link/Pristroj.h"

#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"

namespace {

QString Text(int id)
{
    return platform::LoadString(id);
}

} // namespace

BOOL CPristroj::ApplyChanges(QObject* parent, const CPristroj& edited)
{
    IPristrojHost& host = Host();
    auto copy = std::make_unique<CPristroj>(edited);
    const QString oldName = m_nazev;
    const QString newName = copy->m_nazev;

    for (CPristroj* other : host.Instruments()) {
        if (!other || other == this)
            continue;
        if (other->m_nazev == copy->m_nazev) {
            host.ShowError(parent, Text(platform::IDS_NAME_COLLISION), Text(platform::IDS_CAPTION_ERROR));
            return 0;
        }
        if (other->IsSameLink(*copy)) {
            host.ShowError(parent, Text(platform::IDS_ADDRESS_COLLISION), Text(platform::IDS_CAPTION_ERROR));
            copy->m_merit = 0;
        }
        if (const QString shared = copy->SharedArchiveWith(*other); !shared.isEmpty()) {
            host.ShowError(parent, shared, Text(platform::IDS_CAPTION_ERROR));
            return 0;
        }
    }

    const bool typeChanges = copy->m_type != m_type;
    if (!typeChanges && SettingsEqual(*copy)) {
        m_onp = copy->m_onp;
        return 1;
    }

    if (!host.AskYesNo(parent, QString::fromUtf8(pristroj_texts::kAskChange), Text(platform::IDS_CAPTION_INFO)))
        return 0;

    // The folder the instrument will record into is the edited one.
    const bool recordingStarts = (copy->m_zaznamenavat && !m_zaznamenavat) ||
                                 (copy->m_merit && !m_merit && copy->m_zaznamenavat);
    if (recordingStarts && !CheckDataDirectory(parent, copy->m_soubor, copy->m_type - 1, TRUE, &host))
        return 0;

    if (typeChanges) {
        if (host.IsPanelOpen(*this))
            host.ClosePanel(*this);
        if (m_zobrazovat)
            host.CloseLiveDocument(*this);
        StopThreadForTypeChange();
    }

    // A thread that ended on its own (an instrument refused for its
    // firmware) is let go: the next activation starts a new one.
    if (m_pMereni && !m_pMereni->IsRunning())
        EndThread(kThreadEndWaitMs);

    const BOOL copyMeasures = copy->m_merit;
    // A thread too busy to take a new name within the wait leaves this entry
    // its old name and settings until it does: what is kept for the next
    // start is then what the thread will take, under the new name, and the
    // old name gets no key again.
    std::unique_ptr<CPristroj> untaken;
    if (copyMeasures && !m_pMereni) {
        *this = *copy;
        if (!StartThread(platform::WM_DEVICE_ACTIVATE))
            host.ShowError(parent, Text(platform::IDS_CANNOT_PROCESS_DATA), Text(platform::IDS_CAPTION_ERROR));
    } else if (m_pMereni) {
        auto sent = newName != oldName ? std::make_unique<CPristroj>(*copy) : nullptr;
        if (!SendSettings(std::move(copy), host.IsModemPort(m_com) ? kModemSettingsWaitMs : kThreadWaitMs))
            untaken = std::move(sent);
    } else {
        *this = *copy;
    }

    if (!copyMeasures) {
        if (m_pMereni) {
            PostToThread(platform::WM_THREAD_END);
            AbandonThread();
        }
        m_merit = 0;
    }

    // Everything the program keeps under the instrument's name goes with it,
    // so that one key stays, under the new name.
    if (newName != oldName)
        host.RenameDevice(*this, oldName, newName);
    host.SaveDeviceSettings(untaken ? *untaken : *this);
    return 1;
}
