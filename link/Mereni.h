#pragma once

#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "link/PristrojHost.h"
#include "model/PrevodTyp.h"
#include "platform/Event.h"
#include "platform/ThreadMessages.h"
#include "platform/Time32.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

class CArchivData;

// What a measurement thread needs of the program around it: the main window
// that takes the hand-overs, the application thread that takes the
// notifications, the message boxes, the time and the pauses. The thread
// never shows anything itself and never waits for the main window without
// a bound.
class IMereniHost {
public:
    virtual ~IMereniHost() = default;

    // The message to the main window without waiting for it to be handled;
    // false when there is no main window.
    virtual bool SendToMainWindow(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // A message to the application thread; false when it takes none.
    virtual bool PostToApplication(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Asks the main thread to show a box with an OK button (an information
    // icon with `information`, else a stop icon). `closed` runs once the box
    // is gone, on whatever thread; false when the request could not be made
    // (then `closed` never runs).
    virtual bool PostMessageBox(const QString& caption, const QString& text, bool information,
                                std::function<void()> closed) = 0;
    virtual platform::CTime Now() { return platform::CTime::GetCurrentTime(); }
    // The same clock in milliseconds since 1970, so that a thread can wake
    // when its poll falls due rather than on a whole-second tick.
    virtual std::int64_t NowMs()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
    // The real length of a pause of `ms`; tests shorten them.
    virtual int PauseMs(int ms) { return ms; }
    // A bounded wait on an entry's event.
    virtual bool WaitEvent(platform::Event& event, int timeoutMs) { return event.Wait(timeoutMs); }
};

// The host that stands for the program: the main window and the
// application thread's receiver as given (either may be missing), boxes
// through `boxHost`'s ShowError on the main window's thread, one at a time.
// It must outlive the main window.
class CMereniWindowHost : public IMereniHost {
public:
    CMereniWindowHost(QObject* mainWindow, platform::ThreadHandle application, IPristrojHost& boxHost);

    bool SendToMainWindow(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool PostToApplication(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool PostMessageBox(const QString& caption, const QString& text, bool information,
                        std::function<void()> closed) override;

private:
    struct BoxRequest {
        QString caption;
        QString text;
        std::function<void()> closed;
    };
    void ShowQueuedBoxes(QObject* parent);

    QObject* m_mainWindow;
    platform::ThreadHandle m_application;
    IPristrojHost& m_boxHost;
    // Boxes wait here until the one on screen is closed: a modal box runs
    // its own event loop, which would otherwise show the next request on top.
    std::mutex m_boxLock;
    std::deque<BoxRequest> m_boxes;
    bool m_showing = false;
};

// The thread that polls one instrument entry. It owns nothing but its
// counters: it works on the entry, queues what it learns in the entry's
// archive-data object and hands every finished block to the main thread,
// which alone writes archive files.
//
// The families supply the reads of activation and recording control, the
// family checks and the poll step; the idle cycle, the messages, the failure
// score, the hand-over and the boxes are common.
class CMereni : public CPristrojThread {
public:
    static constexpr int kHandOverWaitMs = 2000;
    static constexpr int kLiveFramesWaitMs = 500;
    static constexpr int kQuarterWaitMs = 2000;
    // From this many failed hand-overs in a row each failure opens a box,
    // while fewer than kMaxOpenBoxes are open.
    static constexpr int kHandOverBoxThreshold = 19;
    static constexpr int kMaxOpenBoxes = 6;
    // The idle cycle sleeps until the next instant it has to look again,
    // but never longer than kIdleTickMs (a changed clock, a stopped entry)
    // nor shorter than kMinIdleTickMs (a clock whose seconds lag its
    // milliseconds must not make it spin). kDueMarginMs past the instant
    // makes sure the whole-second clock has moved on when it wakes.
    static constexpr int kIdleTickMs = 1000;
    static constexpr int kMinIdleTickMs = 20;
    static constexpr int kDueMarginMs = 10;

    // The thread works in `env`: its host, the thread factories and the
    // counters shared with the other measurement threads.
    CMereni(float grace, std::shared_ptr<CLinkEnvironment> env);
    ~CMereni() override;

    IMereniHost& Host() const { return m_env->MereniHost(); }
    // Registers the five family threads in `env`.
    static void RegisterFactories(CLinkEnvironment& env);

    int FailedHandOvers() const { return m_env->Shared().failedHandOvers.load(); }
    int OpenErrorBoxes() const { return m_env->Shared().openBoxes.load(); }

    // For the owner's checks; read while the thread runs, so atomics.
    int GetFailScore() const { return m_nFailScore.load(); }
    int GetFailedPolls() const { return m_nFailedPolls.load(); }
    bool IsHandOverPending() const { return m_bHandOverPending.load() != 0; }
    float GetGrace() const { return m_fGrace.load(); }

protected:
    // ---- family operations
    // One poll; 1 success, 0 failure. `late`: the poll was missed.
    virtual int Poll(BOOL late);
    // Reads the settings record and the second record with retries; the
    // failure-score additions of the settings read and of the second read.
    virtual BOOL ReadFamilyRecords(const int* settingsAdds, const int* secondAdds) = 0;
    // After both reads: 0 fine, 2 the instrument cannot be measured (the
    // link is closed and the measure flag cleared already).
    virtual int CheckFamily() { return 0; }
    virtual QString Extension() const = 0;
    // Analysers set the graph time base before the archive is made whether
    // shown or not, and before the document is opened.
    virtual bool IsAnalyser() const { return true; }
    // VK and VKT: the grace depends on the line.
    virtual void SetGraceForLine() {}
    // The failure-score additions of the recording control's reads.
    virtual const int* ControlSettingsAdds() const;
    virtual const int* ControlSecondAdds() const;
    virtual int OnTimeHook() { return 0; }
    // Shown when the family refuses the instrument (old firmware).
    virtual QString RefusalText() const { return QString(); }

    // ---- the thread
    void OnMessage(const platform::ThreadMessage& message) override;
    bool OnIdle(long count) override;
    void OnDiscardedMessage(const platform::ThreadMessage& message) override;

    virtual int Activate(CPristroj* entry, platform::Event* event, BOOL starterOpensDocument, BOOL giveUpWhenSilent);
    virtual int ControlRecording(int mask);
    void OnSettings(platform::Event* event, CPristroj* copy);
    void OnDeactivate(platform::Event* event);
    void OnFileError(platform::Event* event);

    // ---- helpers for the families
    CPristroj* Entry() const { return m_pPristroj; }
    CMereniShared& Shared() const { return m_env->Shared(); }
    CArchivData* Archiv() const;
    platform::CTime Now() const { return Host().Now(); }
    // A pause that a message cuts short.
    void Pause(int ms);
    // A pause until the whole-second clock reads `second`, within the idle
    // tick's bounds.
    void PauseUntil(std::int64_t second);
    void AddFailScore(int value) { m_nFailScore += value; }
    void SetGrace(float grace) { m_fGrace = grace; }
    // Up to three tries 100 ms apart; a failed try adds adds[try].
    BOOL ReadWithTries(const std::function<BOOL()>& read, const int* adds);
    // The two reads of activation and recording control, each with tries.
    template <class First, class Second>
    BOOL ReadPair(BOOL (CPristroj::*readFirst)(First&), First& first, const int* firstAdds,
                  BOOL (CPristroj::*readSecond)(Second&), Second& second, const int* secondAdds)
    {
        CPristroj* e = Entry();
        return ReadWithTries([&] { return (e->*readFirst)(first); }, firstAdds)
               && ReadWithTries([&] { return (e->*readSecond)(second); }, secondAdds);
    }
    void QueueRecord(const QString& text, int type);
    // Marks that the next measurement record of the archive is a full one;
    // `TakeFullRecord` tells whether it was and clears the mark.
    void ExpectFullRecord() { m_nextFull = true; }
    bool TakeFullRecord();
    // Block completion, the postings and the hand-over after a poll queued
    // its records.
    void FinishPoll();
    // Controller state from status byte S2; 0: the values are not stored.
    int StateText(BYTE s2);
    // The archive's state word (0 after a missed poll).
    void SetDeviceState(int state);
    void OpenErrorBox(const QString& caption, const QString& text, bool information = false);
    // Ends the loop after the current message.
    void EndThread();
    BOOL SendQuarterHour(std::intptr_t lParam);

private:
    int CreateArchive();
    // A new archive file for the records from now on: the live graphs start
    // over with it and the archive tells why (`note`, with the interval).
    void BeginArchive(const char* note);
    // Opens the instrument's link; a port that is not there is told to the
    // user once, not only as outages in the archive.
    BOOL OpenLink();
    // The notice for the user (shown once, never a box that waits).
    void Notify(const QString& text) const;
    void ResetGraphTimeBase();
    // Rebuilds the live graphs of the archive from its write lists.
    void PublishToGraphs();
    int HandOver();
    void PublishLiveFrames();
    // Ends the block being filled and writes it (the stops of recording,
    // while their requester waits), after the blocks still waiting.
    void FlushForStop(BOOL noOverwrite, BOOL recordFlag);
    void StartNewFile(BOOL noOverwrite, BOOL recordFlag);
    // Opens the file again (the paused one, when there was a pause).
    void StartRecording();
    // Writes what was recorded and closes the file, kept for the resumption.
    void EndRecording();
    void ShowRefusal();

    std::shared_ptr<CLinkEnvironment> m_env;
    platform::CTime m_tOrigin;
    // The archive file a paused recording wrote into, for its resumption.
    QString m_resumeFile;
    std::atomic<int> m_bStop{0};
    std::atomic<int> m_nFailScore{1};
    std::atomic<int> m_bHandOverPending{0};
    int m_nBlockAction = 0;
    std::atomic<int> m_nFailedPolls{0};
    CPristroj* m_pPristroj = nullptr;
    std::atomic<float> m_fGrace;
    bool m_nextFull = true;
    bool m_missingPortTold = false;
};

// Texts of the measurement threads.
namespace mereni_texts {
inline constexpr char kTimeLimit[] =
    "Časový limit příjmu dat překročen ( chyba komunikace nebo velké zatížení procesoru)";
inline constexpr char kDataLoss[] = "Výpadek dat.";
inline constexpr char kHandOverFailed[] =
    "Systémová chyba programu - hlavní thread nenalezen, zápisu do souboru neproveden.(%1)";
inline constexpr char kActivated[] = "Přístroj aktivován.(%1 s)";
inline constexpr char kIntervalChanged[] = "Změna intervalu zaznamenávání.(%1 s)";
inline constexpr char kRecordingStarted[] = "Začátek záznamu dat.(%1 s)";
inline constexpr char kRecordingEnded[] = "Záznam dat ukončen.";
inline constexpr char kNewFile[] = "Založen nový soubor.(%1 s)";
inline constexpr char kFileError[] = "Chyba při operaci se souborem - zápis do souboru zastaven\n(pristroj: %1)";
inline constexpr char kStartUp[] = "Náběh přístroje.";
inline constexpr char kRecognition[] = "Probíhá automatické rozpoznávání připojení.";
inline constexpr char kStageRecognition[] = "Probíhá automatického rozpoznávání hodnot stupňů.";
inline constexpr char kNoVoltage[] = "Výpadek měřicího napětí.";
inline constexpr char kNoCurrent[] = "Výpadek měřicího proudu.";
inline constexpr char kNoConnection[] = "Způsob připojení nedefinován.";
inline constexpr char kNoStages[] = "Hodnoty stupňů neznámé (0).";
inline constexpr char kManual[] = "Přístroj je v režimu \"Ručně\". ";
inline constexpr char kFault[] = "Signalizace poruchového stavu přístroje.";
inline constexpr char kCaptionError[] = "CHYBA";
inline constexpr char kCaptionInfo[] = "INFO";
} // namespace mereni_texts
