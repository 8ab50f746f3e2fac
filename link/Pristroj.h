#pragma once

#include "link/Frames.h"
#include "link/LinkEnvironment.h"
#include "link/LinkManager.h"
#include "link/PristrojHost.h"
#include "model/ScaleCategories.h"
#include "platform/Event.h"
#include "platform/Settings.h"

#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

class CAktData;
class CArchivData;
class CConfig;
class CControllerAlarms;
class CDuskarAktData;
class CDuskarConfig;
class CProfileStatus;
class CQorinAktData;
class CStageSwitchState;
class CStageSwitchStats;
class CUniTyp;
class CVKAktData;
class CVKConfig;
class CVKEData;
class CVKETarif;
class CVKNoteBook;
class CVKOutputConfig;
class CVKRAktData;
class CVKRConfig;
class CVKStatus;
class CVKTConfig;
class CVKTEDataRec;
class CVKTETarif;
class CVKTNoteBook;
class CVKTOutputConfig;
class CVKTStatus;
class QObject;

// The status texts of an instrument's live form: its archive file, the
// start of the archive ring, when the ring will be full, the newest record.
struct CPristrojStatusTexts {
    QString archive;
    QString ringStart;
    QString ringFull;
    QString newest;
};

// One configured instrument: its settings, the family archive-data object
// that records it, the thread that polls it and its link in the link
// manager. The entry belongs to the application thread; its thread reads it
// and download threads use its request methods.
class CPristroj {
public:
    enum Type { kNone = 0, kQorin = 1, kVK = 2, kVKR = 3, kVKT = 4, kDuskar = 5 };

    // Waits on the thread, in ms.
    static constexpr int kThreadWaitMs = 10000;
    static constexpr int kModemSettingsWaitMs = 50000;
    static constexpr int kThreadEndWaitMs = 20000;
    // Only the low 16 bits of the value mask ("maska") reach the instrument.
    static constexpr int kMaxValueMask = 0xFFFF;
    // Bus addresses an instrument can have ("adresa"). Every frame carries
    // the address as one byte (WireAddress): a larger value would reach
    // another instrument.
    static constexpr int kMinAddress = 1;
    static constexpr int kMaxAddress = 253;
    static bool IsValidAddress(int address) { return address >= kMinAddress && address <= kMaxAddress; }
    // Empty for a valid address; else what is wrong with it, naming the
    // instrument `name`, in the words the start-up check uses.
    static QString CheckAddress(const QString& name, int address);
    // The address byte of the instrument's frames.
    static BYTE WireAddress(int address) { return frames::WireAddress(WORD(address)); }

    // An entry works in `env` (the program's link manager, clock, hosts and
    // thread factories); without one it gets an environment of its own with
    // none of them, which suits an entry that is only edited or stored.
    explicit CPristroj(std::shared_ptr<CLinkEnvironment> env = nullptr);
    // A new instrument number `number` in `folder`; with `subFolders` its
    // archives get a folder of their own named like the instrument.
    CPristroj(const QString& port, int number, const QString& folder, BOOL subFolders, int type,
              std::shared_ptr<CLinkEnvironment> env = nullptr);
    // A copy works in the same environment; so does an entry assigned from
    // one of another environment.
    CPristroj(const CPristroj& other);
    CPristroj& operator=(const CPristroj& other);
    virtual ~CPristroj();

    const std::shared_ptr<CLinkEnvironment>& Environment() const { return m_env; }
    CLinkManager* LinkManager() const { return m_env->LinkManager(); }
    ILinkClock& Clock() const { return m_env->Clock(); }
    IPristrojHost& Host() const { return m_env->PristrojHost(); }

    // ---- settings (registry key {"pristroje", name})
    // Fields of the key `name`; a missing value keeps the key's default. A
    // stored value that reads as no number takes the default too, but the
    // instrument stays inactive with a notice naming it, and SaveSettings
    // leaves its text in the file as long as the field keeps that default
    // and the entry is not given new settings (assignment).
    void LoadSettings(const platform::Settings& settings, const QString& name);
    void SaveSettings(platform::Settings& settings) const;
    // The values SaveSettings writes, in the order it writes them.
    std::vector<std::pair<QString, QVariant>> SavedValues() const;

    void SetType(int type, BOOL useDefaults);
    int GetType() const { return m_type; }
    BOOL IsSameLink(const CPristroj& other) const;
    void SetActive(BOOL active);
    BOOL ApplyChanges(QObject* parent, const CPristroj& edited);
    // Switches the thread's recording to `record` and waits for it to take
    // the change; false when it did not within the wait (it takes it later).
    // `evenIfSame` sends it also when the entry's flag already is `record`:
    // after a change the thread has not taken yet, the entry still shows
    // the flag from before it.
    bool PostSettings(BOOL record, bool evenIfSame = false);
    void StopOnFileError();
    void LoadCategories();
    void SetBexorInterval(int code, BOOL save);
    int GetBexorInterval() const;
    int GetPortRetryCount() const;
    BOOL HasModem() const;
    BOOL IsLinkKind3() const;
    static void ApplyModemSettings(CLinkManager* manager, const QString& port, int retryCount, int kind);

    // ---- status texts of the live forms; each acts only for its family
    // (VK for VK and VKR) and returns FALSE, texts untouched, for another.
    BOOL FillQorinStatusTexts(CPristrojStatusTexts& texts) const;
    BOOL FillDuskarStatusTexts(CPristrojStatusTexts& texts) const;
    BOOL FillVKStatusTexts(CPristrojStatusTexts& texts) const;
    BOOL FillVKTStatusTexts(CPristrojStatusTexts& texts) const;

    // ---- the measurement thread
    // Creates and starts the family's thread and activates it with `message`
    // (wParam this entry, lParam the thread's event), waiting up to
    // `timeoutMs`. False (measure flag cleared) when no thread could be made.
    // Settings that cannot run (intervals out of range, an archive folder
    // that takes no files) leave it inactive too, but with a notice through
    // the archive host and True, so that the caller shows no box and goes on
    // with the other instruments.
    BOOL StartThread(platform::MessageId message, int timeoutMs = kThreadWaitMs);
    // The same without the wait: the caller watches ThreadEvent(), which is
    // set at once when the message could not be posted. True with no thread
    // when settings that cannot run keep the instrument inactive.
    BOOL BeginThread(platform::MessageId message);
    // Empty when the settings can run; else a Czech message naming the
    // instrument and the value (a name that cannot be a file name, a value
    // the file holds as no number, an unknown "kat", a bus address outside
    // 1..253, a value mask beyond 16 bits, an archive path too long for the
    // archive's header). `withFolder`: the
    // archive folder of a recording instrument must take files.
    QString CheckSettings(bool withFolder) const;
    // With settings that cannot run: measure flag cleared, the notice given,
    // false.
    bool KeepInactiveIfUnrunnable(bool withFolder);
    // Two active instruments never record into one file: when `other`
    // records into this one's archive, this one stays inactive with a notice
    // (true).
    bool KeepInactiveIfArchiveOf(const CPristroj& other);
    // Empty unless this instrument and `other` both measure and record into
    // one archive file, however its path is spelt (links, "." and ".."
    // taken out); else a Czech message naming both instruments and the file.
    QString SharedArchiveWith(const CPristroj& other) const;
    // The archive file this instrument records into, however its path is
    // spelt; empty unless it measures and records. Equal for two
    // instruments exactly when SharedArchiveWith names them.
    QString ArchiveTarget() const;
    // The archive file extension of instrument type `type` (".vk"), empty
    // for an unknown type.
    static QString ArchiveExtension(int type);
    // Posts WM_THREAD_END and waits up to `timeoutMs`; a thread that does not
    // end in time is left to end on its own with what it still uses.
    void EndThread(int timeoutMs);
    CPristrojThread* GetThread() const { return m_pMereni.get(); }
    // Lets an entry of the list go: its last records written, its link and
    // live window given up, its thread ended. A thread that does not end
    // within `timeoutMs` may still be inside a request of the entry, so it
    // takes the entry along and deletes it when it ends.
    static void Dispose(std::unique_ptr<CPristroj> entry, int timeoutMs = kThreadEndWaitMs);
    // Lets a whole list go in the time one entry takes: every thread is told
    // to stop first, then all are awaited together for up to `timeoutMs`,
    // with `serve` run on this thread between looks, so that the hand-overs
    // they wait for are taken (the entries stay in the list meanwhile). Each
    // entry then goes as Dispose lets it go; its last records follow every
    // measurement its thread made. The list is empty afterwards.
    static void DisposeAll(std::vector<std::unique_ptr<CPristroj>>& entries, const std::function<void()>& serve,
                           int timeoutMs = kThreadEndWaitMs);
    BOOL PostToThread(platform::MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // The event the thread sets after a message of the entry.
    platform::Event& ThreadEvent() { return *m_threadEvent; }

    // ---- requests (PristrojRequests.cpp)
    // One command of the instrument's link (a function over CLink&, one
    // file per family, link/Commands*.h) under the port lock, e.g.
    //   entry.Request(commands::ReadVKConfig, config);
    // 0 without a link manager. The named operations below are the ones the
    // windows and threads call.
    template <class Command, class... Args>
    auto Request(Command&& command, Args&&... args) -> std::invoke_result_t<Command&, CLink&, Args...>
    {
        CLinkManager* manager = LinkManager();
        if (!manager)
            return {};
        return manager->Request(m_linkId, command, std::forward<Args>(args)...);
    }
    BOOL OpenLink();
    void CloseLink();
    QString GetErrorText() const;
    BOOL ReadQorinConfig(CConfig& config);
    BOOL WriteQorinConfig(CConfig& config);
    BOOL ReadDuskarConfig(CDuskarConfig& config);
    BOOL WriteDuskarConfig(CDuskarConfig& config);
    BOOL SendControllerCommand(CControllerAlarms command);
    BOOL ReadQorinValues(CQorinAktData& values);
    BOOL ReadDuskarValues(CDuskarAktData& values);
    BOOL ReadSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state);
    BOOL ReadStatisticsSummary(CControllerAlarms& summary);
    BOOL ReadIdentification(CIden& iden);
    BOOL ReadVKConfig(CVKConfig& config);
    BOOL WriteVKConfig(const CVKConfig& config);
    BOOL ReadVKOutputConfig(CVKOutputConfig& outputs, CIden iden);
    BOOL WriteVKOutputConfig(const CVKOutputConfig& outputs);
    BOOL ReadVKStatus(CVKStatus& status);
    BOOL WriteVKStatus(const CVKStatus& status);
    BOOL ReadVKInstallationBlock(BYTE* block);
    BOOL WriteVKInstallationBlock(const BYTE* block);
    BOOL ReadVKNoteBook(CVKNoteBook& notebook);
    BOOL WriteVKNoteBook(const CVKNoteBook& notebook);
    BOOL ReadVKTariff(CVKETarif& tariff);
    BOOL WriteVKTariff(CVKETarif& tariff);
    BOOL ReadVKEnergyData(CVKEData& data);
    BOOL ResetVKEnergyMeter();
    BOOL SetVKTime();
    BOOL GetVKTime(CTime& time);
    // The instrument's answer: 0 when its clock is in step.
    int SyncVKClock();
    BOOL ReadVKValues(CVKAktData& values);
    BOOL SendVKArchiveControl(BOOL on);
    BOOL ReadArchiveBlock(CUniTyp& target, int itemSize, int items, int blocks, DWORD first);
    BOOL ReadArchiveRecords(CUniTyp& target, int itemSize, int items, int blocks, DWORD first);
    BOOL ReadVKRConfig(CVKRConfig& config);
    BOOL WriteVKRConfig(const CVKRConfig& config);
    BOOL ReadVKRValues(CVKRAktData& values);
    BOOL ReadVKTConfig(CVKTConfig& config);
    BOOL WriteVKTConfig(const CVKTConfig& config);
    BOOL ReadVKTInstallationBlock(BYTE* block);
    BOOL WriteVKTInstallationBlock(const BYTE* block);
    BOOL ReadVKTOutputConfig(CVKTOutputConfig& outputs);
    BOOL WriteVKTOutputConfig(const CVKTOutputConfig& outputs);
    BOOL ReadVKTNoteBook(CVKTNoteBook& notebook);
    BOOL WriteVKTNoteBook(const CVKTNoteBook& notebook);
    BOOL ReadVKTStatus(CVKTStatus& status);
    BOOL WriteVKTStatus(const CVKTStatus& status);
    BOOL SetVKTTime();
    BOOL GetVKTTime(CTime& time);
    // 0 when the clock is in step, else the instrument's figure.
    int SyncVKTClock();
    // Value groups in `recordingMask` AND (`requested` OR the value mask).
    BOOL ReadVKTValues(CAktData& values, WORD recordingMask, DWORD requested = 0);
    // Non-zero when `mask` differs from `recordingMask` AND the value mask.
    BOOL IsValueMaskChanged(WORD mask, WORD recordingMask) const;
    BOOL ReadVKTArchiveBlock(CUniTyp& target, BYTE area, int itemSize, int items, DWORD first);
    BOOL ReadVKTArchiveRecords(CUniTyp& target, BYTE area, int itemSize, int items, int blocks, DWORD first);
    BOOL ReadVKTTariff(CVKTETarif& tariff);
    BOOL WriteVKTTariff(const CVKTETarif& tariff);
    BOOL ReadVKTEnergyData(CVKTEDataRec& data);
    BOOL ResetVKTEnergyMeter(BYTE code);
    // For a VKT entry a ratio below 0 is the archive's current ratio.
    BOOL ReadProfileStatus(CProfileStatus& status, float currentRatio);
    BOOL ResetProfiles();
    BOOL WriteProfileSettings(CTime day);
    // The notebook's two texts ("---" for other types or when unreadable).
    BOOL ReadNoteBook(QString& text1, QString& text2);
    // The quarter-hour meter record of a VK analyser (main thread, after the
    // hand-over); non-zero when it was stored. Other types give 0.
    BOOL ReadEnergyMeterRecord(int clockDeviation);
    // An instrument that is not (yet) an entry, through `manager` (FALSE
    // without one).
    static BOOL IdentifyInstrument(CLinkManager* manager, CIden& iden, const QString& port, WORD address, const QString& number,
                                   QString& errorText, int& probe);

    // Recording-mode mask of the VKT value groups.
    static WORD RecordingModeMask(int recordingMode);

    // ---- fields
    std::shared_ptr<platform::Event> m_handOver = std::make_shared<platform::Event>(false, false);
    short m_adresa = 1;
    QString m_nazev;
    QString m_com = QStringLiteral("COM1");
    int m_intervalPrepisovani = 604800;
    int m_intervalMereni = 5;
    int m_intervalZapisovani = 60;
    BOOL m_zobrazovat = 1;
    // Read by the measurement thread on every idle pass while the entry
    // (main thread) clears it, so atomic.
    std::atomic<BOOL> m_merit{1};
    BOOL m_prepisovat = 0;
    BOOL m_zaznamenavat = 1;
    BOOL m_onp = 0;
    BOOL m_synchronizovat = 0;
    void* m_liveView = nullptr;
    QString m_soubor;
    QString m_telCislo;
    BOOL m_active = 0;

    CArchivData* GetArchivData() const { return m_archiv.get(); }
    // A copy of the archive's scale categories (empty without an archive).
    CScaleCategories GetScaleCategories() const;
    DWORD GetValueMask() const { return m_maska.load(); }
    void SetValueMask(DWORD mask) { m_maska.store(mask); }
    // For writers that change part of the word while others change the
    // rest: the word is replaced only if it still is `expected`; otherwise
    // `expected` gets the word as it is now.
    bool ExchangeValueMask(DWORD& expected, DWORD desired) { return m_maska.compare_exchange_strong(expected, desired); }
    DWORD GetLinkId() const { return m_linkId; }

private:
    void RegisterLink();
    // Measure flag cleared, `notice` given.
    void KeepInactive(const QString& notice);
    void CreateArchivData();
    void CopySettings(const CPristroj& other);
    BOOL SettingsEqual(const CPristroj& other) const;
    // Sends `copy` to the thread in WM_DEVICE_SETTINGS and waits; the thread
    // owns the copy from the moment the post succeeds.
    bool SendSettings(std::unique_ptr<CPristroj> copy, int timeoutMs);
    // Deactivates and ends the thread (type change).
    void StopThreadForTypeChange();
    // Hands a running thread over to end on its own; it keeps what it uses,
    // and `self`, when given, the entry itself.
    void AbandonThread(std::unique_ptr<CPristroj>* self = nullptr);
    // What the end of an entry does before it goes; `self` as above.
    void Retire(int timeoutMs, std::unique_ptr<CPristroj>* self);
    void EndThreadTakingAlong(int timeoutMs, std::unique_ptr<CPristroj>* self);
    // Bit 0 of a controller configuration's mode byte before a write.
    void MarkConfigMode(BYTE& mode) const;
    void FillStatusTexts(CPristrojStatusTexts& texts) const;

    std::shared_ptr<CLinkEnvironment> m_env;
    std::shared_ptr<CArchivData> m_archiv;
    std::unique_ptr<CPristrojThread> m_pMereni;
    std::shared_ptr<platform::Event> m_threadEvent = std::make_shared<platform::Event>(false, false);
    std::atomic<DWORD> m_maska{255};
    int m_type = 0;
    DWORD m_linkId = 0;
    // Values of the key read by LoadSettings that were no number: what the
    // file holds, the default the field took instead and what it may be.
    struct UnreadValue {
        QString entry;
        QString text;
        int substituted;
        int low, high;
    };
    std::vector<UnreadValue> m_unreadValues;
    bool m_retired = false; // Retire ran; the owner thread only
    // DisposeAll told the thread to stop: whether the entry measured then.
    bool m_stopAsked = false;
    BOOL m_measuredAtStop = 0;
};

// Whether a file can be created at `path` (the archive base path) for the
// family index (type - 1); asks and reports through `host` when
// `interactive` (without a host nothing is shown and the question is
// answered No).
BOOL CheckDataDirectory(QObject* parent, const QString& path, int family, BOOL interactive,
                        IPristrojHost* host = nullptr);
// Creates every missing folder of `path` up to its last separator.
BOOL CreateDirectoryPath(const QString& path);

// Reads with retries for the download paths and settings dialogs; non-zero
// when every read succeeded.
BOOL RetryReadVKSettings(CPristroj& entry, CVKConfig& config, CVKNoteBook& notebook, CIden& iden);
BOOL RetryReadVKTSettings(CPristroj& entry, CVKTConfig& config, CVKTNoteBook& notebook, CIden& iden);
BOOL RetryReadDuskarSettings(CPristroj& entry, CIden& iden, CDuskarConfig& config);
BOOL RetrySendVKArchiveControl(CPristroj& entry);
BOOL RetrySyncVKClock(CPristroj& entry);
BOOL RetrySyncVKTClock(CPristroj& entry);
BOOL RetryPrepareVKArchiveRead(CPristroj& entry, CVKStatus& status);
BOOL RetryReadVKTStatus(CPristroj& entry, CVKTStatus& status);

// Texts of the entry that the measurement threads share.
namespace pristroj_texts {
inline constexpr char kDeactivated[] = "Přístroj deaktivován.";
inline constexpr char kAskChange[] = "Opravdu změnit vlastnosti přístroje ?";
inline constexpr char kAskCreateFolder[] = "Adresář neexistuje, chcete jej vytvořit?";
inline constexpr char kBadFolder[] = "Neplatný název adresáře.";
inline constexpr char kBadFile[] = "Neplatný název souboru.";
} // namespace pristroj_texts
