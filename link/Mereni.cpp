#include "link/Mereni.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivHost.h"
#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivSettingsCheck.h"
#include "link/LinkLog.h"
#include "link/Pristroj.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <cmath>
#include <utility>

using platform::CTime;
using platform::Event;
using platform::ThreadMessage;

namespace {

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

constexpr int kActivationAdds[] = {1, 3, 5};
constexpr int kControlAdds[] = {1, 5, 10};

// Changes of the settings that the recording control reacts to.
int ChangeMask(const CPristroj& now, const CPristroj& next)
{
    int mask = 0;
    auto differs = [](BOOL a, BOOL b) { return !a != !b; };
    if (now.m_nazev != next.m_nazev)
        mask |= 0x1;
    if (now.m_adresa != next.m_adresa)
        mask |= 0x2;
    if (now.m_com != next.m_com || now.m_telCislo != next.m_telCislo)
        mask |= 0x4;
    if (now.m_intervalPrepisovani != next.m_intervalPrepisovani)
        mask |= 0x10;
    if (now.m_intervalMereni != next.m_intervalMereni)
        mask |= 0x20;
    if (differs(now.m_zobrazovat, next.m_zobrazovat))
        mask |= 0x40;
    if (differs(now.m_merit, next.m_merit))
        mask |= 0x80;
    if (differs(now.m_prepisovat, next.m_prepisovat))
        mask |= 0x100;
    if (differs(now.m_zaznamenavat, next.m_zaznamenavat))
        mask |= 0x200;
    if (now.m_soubor != next.m_soubor)
        mask |= 0x400;
    if (now.m_intervalZapisovani != next.m_intervalZapisovani)
        mask |= 0x800;
    return mask;
}

} // namespace

// ---- host

CMereniWindowHost::CMereniWindowHost(QObject* mainWindow, platform::ThreadHandle application,
                                     IPristrojHost& boxHost)
    : m_mainWindow(mainWindow), m_application(application), m_boxHost(boxHost)
{
}

// ---- life

CMereni::CMereni(float grace, std::shared_ptr<CLinkEnvironment> env)
    : m_env(env ? std::move(env) : std::make_shared<CLinkEnvironment>()), m_fGrace(grace)
{
}

CMereni::~CMereni()
{
    Stop(Event::kInfinite);
}

CArchivData* CMereni::Archiv() const
{
    return m_pPristroj ? m_pPristroj->GetArchivData() : nullptr;
}

void CMereni::Pause(int ms)
{
    WaitForMessage(Host().PauseMs(ms));
}

void CMereni::PauseUntil(std::int64_t second)
{
    const std::int64_t left = second * 1000 - Host().NowMs() + kDueMarginMs;
    Pause(int(std::clamp<std::int64_t>(left, kMinIdleTickMs, kIdleTickMs)));
}

void CMereni::EndThread()
{
    m_bStop = 1;
    RequestStop();
}

// ---- messages

void CMereni::OnMessage(const ThreadMessage& m)
{
    auto* event = reinterpret_cast<Event*>(m.wParam);
    switch (m.id) {
    case platform::WM_DEVICE_ACTIVATE:
    case platform::WM_DEVICE_ACTIVATE_RECORD:
    case platform::WM_DEVICE_ACTIVATE_RECORD_SYNC:
        Activate(reinterpret_cast<CPristroj*>(m.wParam), reinterpret_cast<Event*>(m.lParam),
                 m.id != platform::WM_DEVICE_ACTIVATE, m.id == platform::WM_DEVICE_ACTIVATE_RECORD_SYNC);
        break;
    case platform::WM_DEVICE_SETTINGS:
        OnSettings(event, reinterpret_cast<CPristroj*>(m.lParam));
        break;
    case platform::WM_THREAD_END:
        m_bStop = 1;
        break;
    case platform::WM_DEVICE_DEACTIVATED:
        OnDeactivate(event);
        break;
    case platform::WM_DEVICE_FILE_ERROR:
        OnFileError(event);
        break;
    case platform::WM_DEVICE_RESYNC:
        OnTimeHook();
        break;
    default:
        break;
    }
}

void CMereni::OnDiscardedMessage(const ThreadMessage& m)
{
    // The sender may still wait; a settings copy belongs to this thread.
    switch (m.id) {
    case platform::WM_DEVICE_ACTIVATE:
    case platform::WM_DEVICE_ACTIVATE_RECORD:
    case platform::WM_DEVICE_ACTIVATE_RECORD_SYNC:
        if (auto* event = reinterpret_cast<Event*>(m.lParam))
            event->Set();
        break;
    case platform::WM_DEVICE_SETTINGS:
        delete reinterpret_cast<CPristroj*>(m.lParam);
        [[fallthrough]];
    case platform::WM_DEVICE_DEACTIVATED:
    case platform::WM_DEVICE_FILE_ERROR:
        if (auto* event = reinterpret_cast<Event*>(m.wParam))
            event->Set();
        break;
    default:
        break;
    }
}

// ---- idle cycle

bool CMereni::OnIdle(long)
{
    // An owner that gave up waiting for the end has freed the entry.
    if (m_bStop || IsOwnerGone())
        return false;
    CPristroj* e = m_pPristroj;
    CArchivData* a = Archiv();
    if (!e || !e->m_merit || !a) {
        Pause(1000);
        return true;
    }
    const std::int64_t n = a->GetBlockRecordCount();
    const std::int64_t interval = e->m_intervalMereni;
    const std::int64_t now = Now().GetTime();
    const std::int64_t origin = m_tOrigin.GetTime();
    // A poll whose due second has just begun finds the line soonest: a
    // coarser look could lose most of the grace before the poll even asks
    // for the line, which silent instruments on it may hold for long.
    if (now <= origin + n * interval) {
        PauseUntil(origin + n * interval + 1);
        return true;
    }
    const auto slack = std::int64_t(std::trunc((double(n) + m_fGrace.load()) * double(interval) + 0.5));
    if (now > origin + slack) {
        QString text;
        if (m_nFailedPolls == 0) {
            text = Text(mereni_texts::kTimeLimit);
        } else {
            m_nFailScore += 2;
            text = Text(mereni_texts::kDataLoss) + QLatin1Char('\'') + e->GetErrorText() + QLatin1Char('\'');
        }
        qCDebug(lcMereni, "%s: poll missed (failed polls %d, score %d)", qPrintable(e->m_nazev),
                m_nFailedPolls.load(), m_nFailScore.load());
        QueueRecord(text, kRecordError);
        Poll(1);
        m_nFailedPolls = 0;
        return true;
    }

    const int s = m_nFailScore;
    if (s > 10 && m_nFailedPolls != 0) {
        // No poll until this one is missed.
        PauseUntil(origin + slack + 1);
        return true;
    }
    if (s > 25)
        Pause(500);
    if (s > 100) {
        if (++Shared().skippedPolls < 4) {
            qCDebug(lcMereni, "%s: poll skipped, score %d", qPrintable(e->m_nazev), s);
            ++m_nFailedPolls;
            m_nFailScore -= 2;
            return true;
        }
        Shared().skippedPolls = 0;
    }

    // A message that came meanwhile (a recording to resume above all) goes
    // before the poll, which a slow line makes long.
    if (WaitForMessage(0))
        return true;
    const int polled = Poll(0);
    if (IsOwnerGone())
        return false;
    if (polled) {
        m_nFailedPolls = 0;
        int score = m_nFailScore;
        if (score > 0)
            --score;
        if (score > 20)
            score = score / 3 * 2;
        if (score > 100)
            score = 99;
        m_nFailScore = score;
    } else {
        ++m_nFailedPolls;
    }
    Pause(500);
    return true;
}

int CMereni::Poll(BOOL)
{
    return 1;
}

// ---- after a poll

bool CMereni::TakeFullRecord()
{
    const bool full = m_nextFull;
    m_nextFull = false;
    return full;
}

void CMereni::FinishPoll()
{
    if (IsOwnerGone())
        return;
    CPristroj* e = m_pPristroj;
    CArchivData* a = Archiv();
    if (!e || !a)
        return;
    const int interval = e->m_intervalMereni;
    const int perBlock = e->m_intervalZapisovani;
    const std::uintptr_t entry = reinterpret_cast<std::uintptr_t>(e);
    const bool complete = (e->m_zaznamenavat && !e->m_prepisovat && a->IsPeriodDue(e->m_intervalPrepisovani, interval))
                          || unsigned(a->GetBlockRecordCount()) >= unsigned(perBlock);
    if (complete) {
        if (e->m_zaznamenavat) {
            const int action = a->EndBlock(!e->m_prepisovat, TRUE, interval);
            // A block still waiting keeps its stronger action: the store
            // writes every waiting block with the next hand-over.
            m_nBlockAction = m_bHandOverPending ? std::max(m_nBlockAction, action) : action;
            m_bHandOverPending = 1;
        } else {
            a->EndBlock(!e->m_prepisovat, FALSE, interval);
        }
        ExpectFullRecord();
        m_tOrigin = CTime(m_tOrigin.GetTime() + CTime::time_type(perBlock) * CTime::time_type(interval));
        if (e->m_zobrazovat)
            PublishLiveFrames();
        Host().PostToApplication(platform::WM_APP_NEW_DATA, entry, 0);
    } else {
        if (e->m_zobrazovat && e->m_active)
            Host().PostToApplication(platform::WM_LIVE_FRAMES, entry, 0);
        Host().PostToApplication(platform::WM_APP_NEW_DATA, entry, 0);
    }
    if (m_bHandOverPending && HandOver())
        m_bHandOverPending = 0;
}

int CMereni::HandOver()
{
    CPristroj* e = m_pPristroj;
    if (!e)
        return 0;
    // A late answer to an earlier message must not pass for this one.
    e->m_handOver->Reset();
    const bool taken = Host().SendToMainWindow(platform::WM_DATA_READY, reinterpret_cast<std::uintptr_t>(e),
                                               m_nBlockAction)
                       && Host().WaitEvent(*e->m_handOver, kHandOverWaitMs);
    if (taken) {
        Shared().failedHandOvers = 0;
        return 1;
    }
    const int count = ++Shared().failedHandOvers;
    qCDebug(lcMereni, "%s: hand-over not taken (%d in a row)", qPrintable(e->m_nazev), count);
    if (count >= kHandOverBoxThreshold && Shared().openBoxes < kMaxOpenBoxes)
        OpenErrorBox(Text(mereni_texts::kCaptionError), Text(mereni_texts::kHandOverFailed).arg(count));
    return 0;
}

void CMereni::PublishLiveFrames()
{
    CPristroj* e = m_pPristroj;
    if (!e || !e->m_active)
        return;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        e->m_handOver->Reset();
        if (Host().SendToMainWindow(platform::WM_LIVE_FRAMES, reinterpret_cast<std::uintptr_t>(e), attempt)) {
            Host().WaitEvent(*e->m_handOver, kLiveFramesWaitMs);
            return;
        }
        if (attempt == 1)
            Pause(300);
    }
}

BOOL CMereni::SendQuarterHour(std::intptr_t lParam)
{
    CPristroj* e = m_pPristroj;
    if (!e)
        return FALSE;
    e->m_handOver->Reset();
    if (!Host().SendToMainWindow(platform::WM_QUARTER_HOUR, reinterpret_cast<std::uintptr_t>(e), lParam))
        return FALSE;
    Pause(100);
    return Host().WaitEvent(*e->m_handOver, kQuarterWaitMs);
}

void CMereni::OpenErrorBox(const QString& caption, const QString& text, bool information)
{
    // The counter lives in the environment, which the box's closing may
    // outlast this thread to reach.
    std::shared_ptr<CLinkEnvironment> env = m_env;
    ++env->Shared().openBoxes;
    if (!Host().PostMessageBox(caption, text, information, [env] { --env->Shared().openBoxes; }))
        --env->Shared().openBoxes;
}

// ---- records

void CMereni::QueueRecord(const QString& text, int type)
{
    if (CArchivData* a = Archiv())
        a->AddRecord(text.left(199), type);
}

void CMereni::SetDeviceState(int state)
{
    if (CArchivData* a = Archiv())
        a->SetDeviceState(state);
}

int CMereni::StateText(BYTE s2)
{
    const int code = s2 & 0x0F;
    switch (code) {
    case 0:
    case 1:
        QueueRecord(Text(mereni_texts::kStartUp), kRecordError);
        return 0;
    case 2:
        QueueRecord(Text(mereni_texts::kRecognition), kRecordError);
        return 0;
    case 4:
        QueueRecord(Text(mereni_texts::kStageRecognition), kRecordError);
        return 0;
    case 6:
        return 1;
    default:
        break;
    }
    if (s2 & 0x40)
        QueueRecord(Text(mereni_texts::kNoVoltage), kRecordCondition);
    else if (s2 & 0x80)
        QueueRecord(Text(mereni_texts::kNoCurrent), kRecordCondition);
    else if (s2 & 0x10)
        QueueRecord(Text(mereni_texts::kNoConnection), kRecordCondition);
    else if (s2 & 0x20)
        QueueRecord(Text(mereni_texts::kNoStages), kRecordCondition);
    if (code == 15)
        QueueRecord(Text(mereni_texts::kManual), kRecordCondition);
    return 1;
}

BOOL CMereni::ReadWithTries(const std::function<BOOL()>& read, const int* adds)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0)
            Pause(100);
        if (read())
            return TRUE;
        m_nFailScore += adds[attempt];
        if (StopRequested() || IsOwnerGone())
            break;
    }
    return FALSE;
}

const int* CMereni::ControlSettingsAdds() const
{
    return kActivationAdds;
}

const int* CMereni::ControlSecondAdds() const
{
    return kActivationAdds;
}

// ---- archive

int CMereni::CreateArchive()
{
    CPristroj* e = m_pPristroj;
    CArchivData* a = Archiv();
    if (!e || !a)
        return 0;
    const int created = a->Create(e->m_intervalPrepisovani, e->m_intervalZapisovani, e->m_intervalMereni, e->m_soubor,
                                  Extension(), e->m_prepisovat, e->m_zaznamenavat, e->m_nazev);
    if (!created) {
        // Recording stops here until the user turns it on again: say so now,
        // the measuring goes on without a word otherwise.
        if (e->m_zaznamenavat)
            Notify(archive::CannotRecordNotice(e->m_nazev, e->m_soubor + Extension()));
        e->m_zaznamenavat = 0;
    }
    ExpectFullRecord();
    return created;
}

void CMereni::Notify(const QString& text) const
{
    if (IArchivHost* host = m_env->ArchivHost())
        host->Notify(text);
}

BOOL CMereni::OpenLink()
{
    CPristroj* e = m_pPristroj;
    const BOOL linked = e->OpenLink();
    if (linked || m_missingPortTold || e->GetErrorText() != platform::LoadString(platform::IDS_ERR_PORT_NOT_FOUND))
        return linked;
    m_missingPortTold = true;
    Notify(QString::fromUtf8("Přístroj %1: port \"%2\" nebyl nalezen. Přístroj zůstává aktivní; dokud se port "
                             "neobjeví, zaznamenává jen výpadky.")
               .arg(e->m_nazev, e->m_com));
    return linked;
}

void CMereni::ResetGraphTimeBase()
{
    CPristroj* e = m_pPristroj;
    if (CArchivData* a = Archiv())
        a->ResetGraphTimeBase((e->m_intervalZapisovani + 1) * e->m_intervalMereni);
}

void CMereni::PublishToGraphs()
{
    if (CArchivData* a = Archiv())
        a->PublishToGraphs();
}

void CMereni::FlushForStop(BOOL noOverwrite, BOOL recordFlag)
{
    CPristroj* e = m_pPristroj;
    CArchivData* a = Archiv();
    if (!e || !a)
        return;
    // Whoever stops the recording waits for this thread meanwhile, the main
    // thread included: a block handed over would be written only after that
    // wait, maybe into a file the waiter has changed by then (a merge), and
    // twice when it also went out with the store's next write. The blocks
    // are written here, those still waiting first.
    const bool waiting = m_bHandOverPending != 0;
    m_bHandOverPending = 0;
    const int action = a->EndBlock(noOverwrite, recordFlag, e->m_intervalMereni);
    ExpectFullRecord();
    if (recordFlag)
        m_nBlockAction = action;
    if (recordFlag || waiting)
        a->Flush(noOverwrite, std::max(m_nBlockAction, 1), e->m_nazev);
    else
        a->SignalWriter();
}

void CMereni::StartNewFile(BOOL noOverwrite, BOOL recordFlag)
{
    CPristroj* e = m_pPristroj;
    CArchivData* a = Archiv();
    FlushForStop(noOverwrite, recordFlag);
    a->AlignBlockStart(e->m_intervalZapisovani, e->m_intervalMereni);
}

// ---- activation and settings

int CMereni::Activate(CPristroj* e, Event* event, BOOL starterOpensDocument, BOOL giveUpWhenSilent)
{
    m_pPristroj = e;
    if (!QORIN_VERIFY(e)) {
        if (event)
            event->Set();
        return 0;
    }
    const BOOL linked = OpenLink();
    SetGraceForLine();
    const BOOL read = linked && ReadFamilyRecords(kActivationAdds, kActivationAdds);
    qCDebug(lcMereni, "%s: activation %s", qPrintable(e->m_nazev), read ? "read" : "without an answer");
    if (!read && giveUpWhenSilent) {
        e->CloseLink();
        e->m_merit = 0;
        if (event)
            event->Set();
        return 0;
    }
    if (read && CheckFamily() == 2) {
        if (event)
            event->Set();
        ShowRefusal();
        EndThread();
        return 0;
    }

    const int interval = e->m_intervalMereni;
    const std::uintptr_t entry = reinterpret_cast<std::uintptr_t>(e);
    if (e->m_merit) {
        if (IsAnalyser())
            ResetGraphTimeBase();
        CreateArchive();
        if (!IsAnalyser() && e->m_zobrazovat)
            ResetGraphTimeBase();
        QueueRecord(Text(mereni_texts::kActivated).arg(interval), kRecordState);
        if (e->m_zobrazovat) {
            if (!starterOpensDocument)
                Host().PostToApplication(platform::WM_APP_OPEN_DEVICE_DOC, entry, 0);
            if (e->m_active == 1)
                PublishToGraphs();
        }
    }
    if (!e->m_merit) {
        e->CloseLink();
        if (event)
            event->Set();
        EndThread();
        return 0;
    }
    if (CArchivData* a = Archiv())
        m_tOrigin = a->GetMarkerTime(interval);
    if (event)
        event->Set();
    return 1;
}

void CMereni::ShowRefusal()
{
    OpenErrorBox(Text(mereni_texts::kCaptionInfo), RefusalText(), true);
}

void CMereni::OnSettings(Event* event, CPristroj* copy)
{
    const std::unique_ptr<CPristroj> owned(copy);
    CPristroj* e = m_pPristroj;
    if (!e || !copy) {
        if (event)
            event->Set();
        return;
    }
    int mask = ChangeMask(*e, *copy);
    *e = *copy;
    // A recording stopped or started alone is a merge into its file pausing
    // and resuming it, and the merge waits each time: it is told as soon as
    // the file is closed or open again, never after the instrument is read,
    // which a slow or silent line makes last longer than the merge waits.
    // Nothing of the instrument changed, so the pause reads nothing: the
    // resumption that follows finds the thread free, and its own read comes
    // after it is confirmed.
    if (mask == 0x200 && e->m_merit) {
        const bool resumed = e->m_zaznamenavat != 0;
        if (resumed)
            StartRecording();
        else
            EndRecording();
        if (event)
            event->Set();
        if (!resumed)
            return;
        event = nullptr;
        mask = 0;
    }
    const int r = ControlRecording(mask);
    if (r == 2) {
        if (event)
            event->Set();
        ShowRefusal();
        EndThread();
        return;
    }
    if (r == 1)
        Host().PostToApplication(platform::WM_APP_UPDATE_DEVICE_VIEW, reinterpret_cast<std::uintptr_t>(e), 0);
    if (event)
        event->Set();
    if (!e->m_merit)
        EndThread();
}

int CMereni::ControlRecording(int mask)
{
    CPristroj* e = m_pPristroj;
    CArchivData* a = Archiv();
    if (!e || !a)
        return 0;
    const int interval = e->m_intervalMereni;
    const std::uintptr_t entry = reinterpret_cast<std::uintptr_t>(e);
    if (mask & 0x80) {
        e->m_merit = 0;
        QueueRecord(Text(pristroj_texts::kDeactivated), kRecordState);
        FlushForStop(!e->m_prepisovat, e->m_zaznamenavat);
        a->StopArchive(e->m_merit);
        e->CloseLink();
        return 1;
    }

    e->CloseLink();
    OpenLink();
    if (ReadFamilyRecords(ControlSettingsAdds(), ControlSecondAdds()) && CheckFamily() == 2)
        return 2;

    const BOOL oldOverwrite = (mask & 0x100) ? !e->m_prepisovat : BOOL(e->m_prepisovat != 0);
    const BOOL oldRecord = (mask & 0x200) ? !e->m_zaznamenavat : BOOL(e->m_zaznamenavat != 0);
    const bool geometry = (mask & (0x10 | 0x20 | 0x800)) != 0;

    if (mask & 0x10)
        QueueRecord(Text(mereni_texts::kIntervalChanged).arg(interval), kRecordState);
    if ((mask & 0x200) && e->m_merit) {
        if (e->m_zaznamenavat)
            StartRecording();
        else
            EndRecording();
    }
    if (geometry && e->m_prepisovat) {
        a->ResizeRing(e->m_intervalPrepisovani, e->m_intervalZapisovani, interval);
        StartNewFile(!oldOverwrite, oldRecord);
        m_tOrigin = a->GetMarkerTime(interval);
        PublishToGraphs();
    }
    if ((mask & 0x400) || (geometry && !e->m_prepisovat) || (mask & 0x100)) {
        if (oldRecord)
            FlushForStop(!oldOverwrite, oldRecord);
        BeginArchive(mereni_texts::kNewFile);
    }
    if (mask & 0x40) {
        if (e->m_zobrazovat && e->m_merit) {
            if (IsAnalyser())
                ResetGraphTimeBase();
            Host().PostToApplication(platform::WM_APP_OPEN_DEVICE_DOC, entry, 0);
            if (!IsAnalyser())
                ResetGraphTimeBase();
            if (e->m_active == 1)
                PublishToGraphs();
        } else {
            Host().PostToApplication(platform::WM_APP_UPDATE_DEVICE_VIEW, entry, 0);
        }
    }
    return 0;
}

void CMereni::BeginArchive(const char* note)
{
    CPristroj* e = m_pPristroj;
    const int interval = e->m_intervalMereni;
    CreateArchive();
    if (e->m_zobrazovat)
        ResetGraphTimeBase();
    PublishToGraphs();
    m_tOrigin = Archiv()->GetMarkerTime(interval);
    QueueRecord(Text(note).arg(interval), kRecordState);
}

void CMereni::StartRecording()
{
    Archiv()->SetResumeFile(std::exchange(m_resumeFile, QString()));
    BeginArchive(mereni_texts::kRecordingStarted);
}

void CMereni::EndRecording()
{
    CPristroj* e = m_pPristroj;
    CArchivData* a = Archiv();
    QueueRecord(Text(mereni_texts::kRecordingEnded), kRecordState);
    FlushForStop(!e->m_prepisovat, TRUE);
    m_resumeFile = a->GetFilePath();
    a->StopArchive(e->m_merit);
    PublishToGraphs();
}

void CMereni::OnDeactivate(Event* event)
{
    if (CPristroj* e = m_pPristroj; e && e->m_merit) {
        e->m_merit = 0;
        QueueRecord(Text(pristroj_texts::kDeactivated), kRecordState);
        FlushForStop(!e->m_prepisovat, e->m_zaznamenavat);
        e->CloseLink();
    }
    m_pPristroj = nullptr;
    m_bHandOverPending = 0;
    if (event)
        event->Set();
}

void CMereni::OnFileError(Event* event)
{
    CPristroj* e = m_pPristroj;
    if (!e) {
        if (event)
            event->Set();
        return;
    }
    e->m_zaznamenavat = 0;
    CArchivData* a = Archiv();
    if (m_bHandOverPending) {
        if (a)
            a->SignalWriter();
        m_bHandOverPending = 0;
    }
    if (a)
        a->StopArchive(e->m_merit);
    if (event)
        event->Set();
    OpenErrorBox(Text(mereni_texts::kCaptionError), Text(mereni_texts::kFileError).arg(e->m_nazev));
}
