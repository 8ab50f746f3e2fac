#include "link/Pristroj.h"

#include "archive/store/ArchivHost.h"
#include "archive/store/ArchivSettingsCheck.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "link/Mereni.h"
#include "platform/ThreadMessages.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <mutex>

namespace {

// The archive of an entry reports to the program and keeps its time by the
// clock the entry's thread polls by: a block ends and a file period turns
// by the archive's clock, a poll falls due by the thread's, and the two
// must not tell different times.
void UseEnvironment(CArchivData& archive, const std::shared_ptr<CLinkEnvironment>& env)
{
    archive.SetHost(env->ArchivHost());
    archive.SetTimeSource([weak = std::weak_ptr<CLinkEnvironment>(env)] {
        const std::shared_ptr<CLinkEnvironment> locked = weak.lock();
        return locked ? locked->MereniHost().Now() : platform::CTime::GetCurrentTime();
    });
}

// The file a path names, as the system finds it: links followed, "." and
// ".." taken out. Of a file that does not exist yet, the part of the path
// that does exist is resolved so.
QString WherePathLeads(const QString& path, int depth = 0)
{
    const QFileInfo info(path);
    if (const QString canonical = info.canonicalFilePath(); !canonical.isEmpty())
        return canonical;
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    constexpr int kMaxDepth = 40;
    if (depth > kMaxDepth)
        return absolute;
    if (info.isSymLink())
        return WherePathLeads(info.symLinkTarget(), depth + 1);
    const QFileInfo clean(absolute);
    const QString folder = clean.path();
    if (folder == absolute || clean.fileName().isEmpty())
        return absolute;
    return QDir(WherePathLeads(folder, depth + 1)).filePath(clean.fileName());
}

std::shared_ptr<CArchivData> MakeArchivData(int type)
{
    switch (type) {
    case CPristroj::kQorin:
        return std::make_shared<CQorinArchivData>();
    case CPristroj::kVK:
        return std::make_shared<CVKArchivData>();
    case CPristroj::kVKR:
        return std::make_shared<CVKRArchivData>();
    case CPristroj::kVKT:
        return std::make_shared<CVKTArchivData>();
    case CPristroj::kDuskar:
        return std::make_shared<CDuskarArchivData>();
    default:
        return nullptr;
    }
}

QString DefaultName(const QString& suffix)
{
    return QStringLiteral("Přístroj") + suffix;
}

QString JoinPath(const QString& folder, const QString& name)
{
    return folder + QDir::separator() + name;
}

} // namespace

// ---- life

CPristroj::CPristroj(std::shared_ptr<CLinkEnvironment> env)
    : m_nazev(DefaultName(QStringLiteral("X"))),
      m_env(env ? std::move(env) : std::make_shared<CLinkEnvironment>())
{
    m_soubor = JoinPath(QDir::currentPath(), m_nazev);
    RegisterLink();
}

CPristroj::CPristroj(const QString& port, int number, const QString& folder, BOOL subFolders, int type,
                     std::shared_ptr<CLinkEnvironment> env)
    : m_nazev(DefaultName(QString::number(number))), m_com(port),
      m_env(env ? std::move(env) : std::make_shared<CLinkEnvironment>())
{
    m_soubor = JoinPath(folder, m_nazev);
    if (subFolders)
        m_soubor = JoinPath(m_soubor, m_nazev);
    RegisterLink();
    SetType(type, FALSE);
}

CPristroj::CPristroj(const CPristroj& other) : m_env(other.m_env)
{
    CopySettings(other);
    m_type = other.m_type;
    m_maska.store(other.m_maska.load());
    RegisterLink();
    CreateArchivData();
    if (m_archiv && other.m_archiv)
        m_archiv->ScaleCategories() = other.m_archiv->ScaleCategories();
}

CPristroj& CPristroj::operator=(const CPristroj& other)
{
    if (this == &other)
        return *this;
    CopySettings(other);
    // The settings are now those given, no longer those read from the key.
    m_unreadValues.clear();
    if (m_env != other.m_env) {
        // The copy works where the original does: its link moves to that
        // environment's manager.
        if (CLinkManager* manager = LinkManager(); manager && m_linkId)
            manager->Unregister(m_linkId);
        m_linkId = 0;
        m_env = other.m_env;
        RegisterLink();
        if (m_archiv)
            UseEnvironment(*m_archiv, m_env);
    }
    if (m_type != other.m_type) {
        m_archiv.reset();
        m_type = other.m_type;
        CreateArchivData();
        if (m_archiv && other.m_archiv)
            m_archiv->ScaleCategories() = other.m_archiv->ScaleCategories();
    }
    m_maska.store(other.m_maska.load());
    return *this;
}

CPristroj::~CPristroj()
{
    Retire(kThreadEndWaitMs, nullptr);
}

void CPristroj::Dispose(std::unique_ptr<CPristroj> entry, int timeoutMs)
{
    if (!entry)
        return;
    CPristroj* retiring = entry.get();
    // When the thread takes the entry along, `entry` is empty afterwards and
    // the entry is the thread's; else it goes here, with nothing left to do.
    retiring->Retire(timeoutMs, &entry);
}

void CPristroj::DisposeAll(std::vector<std::unique_ptr<CPristroj>>& entries, const std::function<void()>& serve,
                           int timeoutMs)
{
    // Ended one after another, each would wait out the others' polls and
    // hand-overs; told all at once, they end together.
    for (const auto& entry : entries) {
        if (!entry || entry->m_retired || entry->m_stopAsked)
            continue;
        entry->m_stopAsked = true;
        entry->m_measuredAtStop = entry->m_merit.exchange(0);
        entry->PostToThread(platform::WM_THREAD_END);
    }
    constexpr int kLookMs = 5;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        CPristroj* running = nullptr;
        for (const auto& entry : entries) {
            if (entry && entry->m_pMereni && !entry->Host().JoinThread(*entry->m_pMereni, 0)) {
                running = entry.get();
                break;
            }
        }
        if (!running || std::chrono::steady_clock::now() >= deadline)
            break;
        if (serve)
            serve();
        running->Host().JoinThread(*running->m_pMereni, kLookMs);
    }
    std::vector<std::unique_ptr<CPristroj>> leaving = std::move(entries);
    entries.clear();
    for (auto& entry : leaving)
        Dispose(std::move(entry), 0);
}

void CPristroj::Retire(int timeoutMs, std::unique_ptr<CPristroj>* self)
{
    // An entry the thread took along was retired before: when the thread
    // deletes it, nothing is left to do (its link may be gone with the
    // program by then).
    if (m_retired)
        return;
    m_retired = true;
    // The thread sees the cleared flag on its next idle pass; a poll already
    // under way only queues its records, which the archive orders under its
    // own lock, so no pause is needed before the last records go.
    const BOOL wasMeasuring = m_stopAsked ? m_measuredAtStop : m_merit.exchange(0);

    if (m_pMereni && wasMeasuring && m_zaznamenavat && m_archiv) {
        m_archiv->AddRecord(QString::fromUtf8(pristroj_texts::kDeactivated), 7);
        const int mode = m_archiv->EndBlock(!m_prepisovat, TRUE, m_intervalMereni);
        m_archiv->Flush(!m_prepisovat, mode, m_nazev);
    }

    if (CLinkManager* manager = LinkManager(); manager && m_linkId)
        manager->Unregister(m_linkId);

    if (m_liveView) {
        Host().CloseLiveDocument(*this);
        m_liveView = nullptr;
    }

    EndThreadTakingAlong(timeoutMs, self);
}

void CPristroj::RegisterLink()
{
    if (CLinkManager* manager = LinkManager())
        m_linkId = manager->Register(m_com, WORD(m_adresa));
}

void CPristroj::CreateArchivData()
{
    m_archiv = MakeArchivData(m_type);
    if (m_archiv)
        UseEnvironment(*m_archiv, m_env);
}

void CPristroj::CopySettings(const CPristroj& other)
{
    m_adresa = other.m_adresa;
    m_nazev = other.m_nazev;
    m_com = other.m_com;
    m_telCislo = other.m_telCislo;
    m_intervalPrepisovani = other.m_intervalPrepisovani;
    m_intervalMereni = other.m_intervalMereni;
    m_intervalZapisovani = other.m_intervalZapisovani;
    m_zobrazovat = other.m_zobrazovat;
    m_merit = other.m_merit.load();
    m_prepisovat = other.m_prepisovat;
    m_zaznamenavat = other.m_zaznamenavat;
    m_active = other.m_active;
    m_onp = other.m_onp;
    m_synchronizovat = other.m_synchronizovat;
    m_soubor = other.m_soubor;
}

BOOL CPristroj::SettingsEqual(const CPristroj& other) const
{
    return m_nazev == other.m_nazev && m_adresa == other.m_adresa && m_com == other.m_com &&
           m_telCislo == other.m_telCislo && m_intervalPrepisovani == other.m_intervalPrepisovani &&
           m_intervalMereni == other.m_intervalMereni && !m_zobrazovat == !other.m_zobrazovat &&
           !m_merit == !other.m_merit && !m_prepisovat == !other.m_prepisovat &&
           !m_zaznamenavat == !other.m_zaznamenavat && m_soubor == other.m_soubor &&
           m_intervalZapisovani == other.m_intervalZapisovani && !m_synchronizovat == !other.m_synchronizovat;
}

// ---- type and categories

void CPristroj::SetType(int type, BOOL useDefaults)
{
    if (type == m_type)
        return;
    m_archiv.reset();
    m_type = type;
    CreateArchivData();
    if (type == kQorin || type == kVKR || type == kDuskar)
        m_synchronizovat = 0;
    if (!m_archiv)
        return;
    if (useDefaults)
        m_archiv->ScaleCategories() = CScaleCategories(type);
    else
        LoadCategories();
}

CScaleCategories CPristroj::GetScaleCategories() const
{
    return m_archiv ? m_archiv->ScaleCategories() : CScaleCategories();
}

void CPristroj::LoadCategories()
{
    if (m_archiv)
        m_archiv->ScaleCategories().LoadFromSettings(m_type, platform::Settings());
}

void CPristroj::SetBexorInterval(int code, BOOL save)
{
    if (m_type != kVKT || !m_archiv)
        return;
    auto& archiv = static_cast<CVKTArchivData&>(*m_archiv);
    CArchivIntervalClock& clock = archiv.IntervalClock();
    const bool changed = clock.Get() != code;
    clock.SetIntervalCode(code);
    if (changed && clock.IsStartSet()) {
        // The clock starts over on the new grid: what it waited for belongs
        // to the old one, and the instant now running is still read.
        clock.SetStartBefore(clock.Now());
        clock.ClearOverdue();
        archiv.DropPendingMeterRecord();
    }
    if (save)
        Host().SaveBexorInterval(*this, code);
}

int CPristroj::GetBexorInterval() const
{
    if (m_type != kVKT || !m_archiv)
        return 0;
    return static_cast<CVKTArchivData&>(*m_archiv).IntervalClock().Get();
}

// ---- link queries

BOOL CPristroj::IsSameLink(const CPristroj& other) const
{
    // By the byte on the wire: two values that share it reach one instrument.
    return m_merit && other.m_merit && m_com == other.m_com && WireAddress(m_adresa) == WireAddress(other.m_adresa);
}

int CPristroj::GetPortRetryCount() const
{
    CLinkManager* manager = LinkManager();
    return manager ? manager->GetPortRetryCount(m_com) : 0;
}

BOOL CPristroj::HasModem() const
{
    CLinkManager* manager = LinkManager();
    return manager ? manager->IsModemLink(m_linkId) : FALSE;
}

BOOL CPristroj::IsLinkKind3() const
{
    CLinkManager* manager = LinkManager();
    return manager ? manager->IsLinkKind3(m_linkId) : FALSE;
}

void CPristroj::ApplyModemSettings(CLinkManager* manager, const QString& port, int retryCount, int kind)
{
    if (manager)
        manager->ApplyModemSettings(port, retryCount, kind);
}

// ---- live view

void CPristroj::SetActive(BOOL active)
{
    if (active && !m_active) {
        Host().SetGraphFeed(*this, true);
        m_active = 1;
    } else if (!active && m_active) {
        Host().SetGraphFeed(*this, false);
        m_active = 0;
    }
}

// ---- thread

BOOL CPristroj::PostToThread(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    return m_pMereni && m_pMereni->PostThreadMessage(id, wParam, lParam);
}

QString CPristroj::CheckSettings(bool withFolder) const
{
    if (const QString name = archive::CheckInstrumentName(m_nazev); !name.isEmpty())
        return name;
    if (!m_unreadValues.empty()) {
        const UnreadValue& first = m_unreadValues.front();
        return archive::UnreadableValue(m_nazev, first.entry, first.text, first.low, first.high);
    }
    if (!m_archiv)
        return QString::fromUtf8("Přístroj %1: neznámý typ přístroje (\"kat\" = %2). Přístroj zůstává neaktivní.")
            .arg(m_nazev)
            .arg(m_type);
    // The low byte goes into every frame: 300 would reach the instrument at 44.
    if (!IsValidAddress(m_adresa))
        return archive::OutOfRange(m_nazev, "adresa", m_adresa, kMinAddress, kMaxAddress);
    if (const DWORD mask = m_maska.load(); mask > DWORD(kMaxValueMask))
        return archive::OutOfRange(m_nazev, "maska", int(mask), 0, kMaxValueMask);
    if (m_zaznamenavat) {
        if (const QString length = archive::CheckArchivePathLength(m_nazev, m_soubor); !length.isEmpty())
            return length;
    }
    return archive::CheckRecordingSettings({m_nazev, m_intervalMereni, m_intervalZapisovani, m_intervalPrepisovani,
                                            m_soubor, withFolder && m_zaznamenavat != 0 && !m_soubor.isEmpty()});
}

QString CPristroj::CheckAddress(const QString& name, int address)
{
    return IsValidAddress(address) ? QString()
                                   : archive::InvalidValue(name, "adresa", address, kMinAddress, kMaxAddress);
}

bool CPristroj::KeepInactiveIfUnrunnable(bool withFolder)
{
    const QString invalid = CheckSettings(withFolder);
    if (invalid.isEmpty())
        return true;
    KeepInactive(invalid);
    return false;
}

void CPristroj::KeepInactive(const QString& notice)
{
    m_merit = 0;
    if (IArchivHost* host = m_env ? m_env->ArchivHost() : nullptr)
        host->Notify(notice);
}

bool CPristroj::KeepInactiveIfArchiveOf(const CPristroj& other)
{
    const QString shared = SharedArchiveWith(other);
    if (shared.isEmpty())
        return false;
    KeepInactive(shared + QString::fromUtf8(" Přístroj zůstává neaktivní."));
    return true;
}

QString CPristroj::SharedArchiveWith(const CPristroj& other) const
{
    const QString mine = ArchiveTarget();
    if (mine.isEmpty() || mine != other.ArchiveTarget())
        return {};
    return QString::fromUtf8("Přístroj %1: do souboru archivu \"%2\" už zaznamenává přístroj %3; dva přístroje "
                             "nemohou zaznamenávat do jednoho souboru.")
        .arg(m_nazev, QDir::toNativeSeparators(mine), other.m_nazev);
}

QString CPristroj::ArchiveTarget() const
{
    if (!m_merit || !m_zaznamenavat)
        return {};
    // Each family has its own extension, so only a link can make the files
    // of two families one.
    return WherePathLeads(m_soubor + ArchiveExtension(m_type));
}

QString CPristroj::ArchiveExtension(int type)
{
    static const char* const kExtensions[] = {".qor", ".vk", ".vkr", ".vkt", ".dsk"};
    return type >= kQorin && type <= kDuskar ? QString::fromLatin1(kExtensions[type - kQorin]) : QString();
}

BOOL CPristroj::StartThread(platform::MessageId message, int timeoutMs)
{
    if (!BeginThread(message))
        return FALSE;
    if (m_pMereni)
        Host().WaitEvent(*m_threadEvent, timeoutMs);
    return TRUE;
}

BOOL CPristroj::BeginThread(platform::MessageId message)
{
    std::unique_ptr<CPristrojThread> thread = CLinkEnvironment::MakeThread(m_env, m_type);
    if (thread && !KeepInactiveIfUnrunnable(true))
        return TRUE;
    if (!thread || !thread->Start()) {
        m_merit = 0;
        return FALSE;
    }
    m_pMereni = std::move(thread);
    m_threadEvent->Reset();
    if (!PostToThread(message, reinterpret_cast<std::uintptr_t>(this),
                      reinterpret_cast<std::intptr_t>(m_threadEvent.get())))
        m_threadEvent->Set(); // nobody else will: the watcher need not wait
    return TRUE;
}

void CPristroj::EndThread(int timeoutMs)
{
    EndThreadTakingAlong(timeoutMs, nullptr);
}

void CPristroj::EndThreadTakingAlong(int timeoutMs, std::unique_ptr<CPristroj>* self)
{
    if (!m_pMereni)
        return;
    PostToThread(platform::WM_THREAD_END);
    if (Host().JoinThread(*m_pMereni, timeoutMs)) {
        m_pMereni.reset();
        return;
    }
    AbandonThread(self);
}

void CPristroj::AbandonThread(std::unique_ptr<CPristroj>* self)
{
    if (!m_pMereni)
        return;
    // The thread may still be in a request with this entry's archive and
    // events: they stay alive with it until it ends.
    m_pMereni->Abandon(m_archiv);
    m_pMereni->Abandon(m_threadEvent);
    m_pMereni->Abandon(m_handOver);
    CPristrojThread* thread = m_pMereni.release();
    if (self && *self)
        thread->Abandon(std::shared_ptr<CPristroj>(std::move(*self)));
    thread->DeleteWhenFinished();
}

bool CPristroj::SendSettings(std::unique_ptr<CPristroj> copy, int timeoutMs)
{
    m_threadEvent->Reset();
    if (!PostToThread(platform::WM_DEVICE_SETTINGS, reinterpret_cast<std::uintptr_t>(m_threadEvent.get()),
                      reinterpret_cast<std::intptr_t>(copy.get())))
        return false;
    // Delivered: the thread deletes the copy after taking it, however long
    // that takes (or when the message is discarded).
    (void)copy.release();
    return Host().WaitEvent(*m_threadEvent, timeoutMs);
}

bool CPristroj::PostSettings(BOOL record, bool evenIfSame)
{
    if (!m_merit || !m_pMereni || (!evenIfSame && !record == !m_zaznamenavat))
        return true;
    auto copy = std::make_unique<CPristroj>(*this);
    copy->m_zaznamenavat = record;
    return SendSettings(std::move(copy), kThreadWaitMs);
}

void CPristroj::StopOnFileError()
{
    if (!m_zaznamenavat || !m_merit || !m_pMereni)
        return;
    m_threadEvent->Reset();
    if (PostToThread(platform::WM_DEVICE_FILE_ERROR, reinterpret_cast<std::uintptr_t>(m_threadEvent.get())))
        Host().WaitEvent(*m_threadEvent, kThreadWaitMs);
}

void CPristroj::StopThreadForTypeChange()
{
    if (!m_pMereni)
        return;
    m_threadEvent->Reset();
    if (PostToThread(platform::WM_DEVICE_DEACTIVATED, reinterpret_cast<std::uintptr_t>(m_threadEvent.get())))
        Host().WaitEvent(*m_threadEvent, kThreadWaitMs);
    m_threadEvent->Reset();
    EndThread(kThreadWaitMs);
}
