#pragma once

#include "archive/store/ArchivEvents.h"
#include "archive/store/ArchivFileList.h"
#include "archive/store/ArchivGraphFeed.h"
#include "archive/store/ArchivHeader.h"
#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivSeriesExtract.h"
#include "archive/store/ArchivSetAside.h"
#include "archive/store/ArchivStamp.h"
#include "archive/store/ArchivStream.h"
#include "model/PrevodTyp.h"
#include "model/ScaleCategories.h"
#include "platform/Event.h"
#include "platform/Time32.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class IArchivHost;

// The object behind one archive: the open compound file (shared through the
// open-file list), the header with its ring of block slots, and the queue of
// records that a measurement thread fills and the main thread (or the
// measurement thread itself) writes block by block.
//
// Threads and locks. Records are queued from any thread under `queueLock`
// then `listLock`. `ringLock` (recursive, innermost after those two) guards the
// header, the write position, the shrink state, the period fields and the
// blocks waiting to be written. `valuesLock` guards the family's previous
// values and is taken alone or inside `queueLock`. File access (writing
// blocks, the header, the settings and meter streams) is serialised by one
// more lock taken before all the others; the store never holds it while the
// host asks the user a question.
//
// Completed blocks. `EndBlock` hands the completed list over as a block
// waiting to be written, with the slot and the header as they must read on
// disk after it; `Flush` writes every waiting block in order. A block whose
// write fails stays queued (the host is told) and goes out with the next
// `Flush`, so a slow or failing writer never costs a block and `EndBlock`
// never waits for the writer. The one exception is a new period's file the
// user declined to write over (or that could not be made): that period's
// blocks have nowhere to go and are given up, and the recording stops.
//
// Family hooks. `InitHeader` and `RollFileName` run with the store's locks
// held (`RollFileName` inside `EndBlock`): they must only work on the header in
// memory and must not wait for the writer.
class CArchivData {
public:
    using TimeSource = std::function<platform::CTime()>;

    static constexpr int kWriterWaitMs = 600000;

    CArchivData();
    explicit CArchivData(int type);
    virtual ~CArchivData();
    CArchivData(const CArchivData&) = delete;
    CArchivData& operator=(const CArchivData&) = delete;

    // Environment: the clock every "now" of the store reads, and the host that
    // takes questions and reports (the process-wide one unless set).
    void SetTimeSource(TimeSource now);
    platform::CTime Now() const;
    void SetHost(IArchivHost* host);
    IArchivHost& Host() const;

    // Queueing (any thread).
    void AddRecord(const QString& text, int type);
    void AddWordRecord(DWORD value);
    void AddBlockMarker(platform::CTime time);
    int GetBlockRecordCount() const;
    int NeedsConfigRecord() const;
    int HasPendingRecords() const;
    int HasNewData() const;
    // The state word `HasNewData` reports; the measurement thread stores 0
    // after a missed poll and 0x10 plus the controller's state while it starts.
    void SetDeviceState(int state);

    // Block control (measurement thread).
    int IsPeriodDue(int period, int lead);
    platform::CTime GetPeriodBoundary(int period, int which, int lead) const;
    // 1: the block goes into the current file; 2: a new file was started.
    int EndBlock(BOOL newFilePerPeriod, BOOL recordToFile, int lead);
    int ChangeBlockGeometry(int recordsPerBlock, int interval, BOOL newFilePerPeriod, BOOL recordToFile,
                            const QString& instrument);
    void ResizeRing(int total, int recordsPerBlock, int interval);
    void StopArchive(BOOL keepData);
    // Queues the start marker of a block aligned to the hour grid of the
    // block span; 1 when aligned, 0 when the span fits no grid.
    int AlignBlockStart(int recordsPerBlock, int interval);
    platform::CTime NextBlockStart(int lead) const;

    // Writing (main thread, or the measurement thread itself). 1 also when
    // another write of this archive is waiting for the user's answer about
    // a new file: that write takes the waiting blocks along.
    int Flush(BOOL newFilePerPeriod, int mode, const QString& instrument);
    void SignalWriter();
    // Writes the waiting blocks; 1 when none is left.
    int WriteBlock();
    bool WaitWriterIdle(int timeoutMs = kWriterWaitMs);
    int GetQueuedBlockCount() const;
    // The path of the new period's file when it could not be had (the user
    // declined to write over an existing one, or it could not be created):
    // the blocks of that period were given up and the recording cannot go
    // on. Empty otherwise.
    QString RefusedNewFile() const;
    // That file was refused because the user declined to write over it.
    bool RefusedNewFileDeclined() const;

    // Starting and resuming.
    virtual int Create(int total, int recordsPerBlock, int interval, const QString& name, const QString& extension,
                       BOOL overwrite, BOOL recordToFile, const QString& instrument);
    int ResumeFile(BOOL newFilePerPeriod, BOOL recordToFile, int slotCount, const QString& instrument, int interval,
                   int remainingBlocks);

    // Files.
    int Open(const QString& path);
    int OpenForAppend(const QString& path, const QString& instrument);
    int OpenForWriting(const QString& instrument);
    int CreateForImport(const QString& instrument);
    void Close();
    // Puts what was written on disk, 1 on success. When that fails the file
    // is opened again as it is on disk for the next write; only when even
    // that fails is it lost to this object and, with a name, the host stops
    // the recording into it.
    int ReportFileError(const QString& name);
    int ReadHeader();
    // Appends the records of the block in `slot`; 0 (with an error record)
    // when the block cannot be read whole.
    int ReadBlock(int slot, CArchivRecordList& out);
    int IsFileChanged();
    // The file of the period that starts at `since`: the matching file whose
    // time range starts latest, not before `since`.
    void FindPeriodFile(const QString& name, const QString& extension, QString& found, platform::CTime since);
    // The file a paused recording wrote into. The next Create in the same
    // period goes on in it even when a merge has put older records at its
    // head, which would otherwise hide it from FindPeriodFile and bring a
    // new file of the same name over it.
    void SetResumeFile(const QString& path) { resumeFile = path; }
    // First and last block start of the file; the record walk refines it.
    virtual bool GetFileTimeRange(platform::CTime& first, platform::CTime& last);
    // Times of the first and the last data record of the file. A block that
    // holds none (or cannot be read) passes the search on to its neighbour;
    // a file without any gives its block range.
    virtual bool GetRecordTimeRange(platform::CTime& first, platform::CTime& last);
    QString GetFilePath() const;

    // Settings stream "nastaveni".
    int EnsureSettingsStream(const QString& instrument);
    QString GetInstrumentName();
    std::unique_ptr<CArchivStream> OpenSettingsStream(int section, QString& instrument, DWORD& length);
    std::unique_ptr<CArchivStream> OpenSettingsSection(int section, std::optional<QByteArray>& saved);
    int CloseSettingsSection(std::unique_ptr<CArchivStream> stream, int section, std::optional<QByteArray>& saved);
    // Section `section` becomes `bytes`, the other one kept; a failed write
    // is reported. True when the file took it or already held it. A file
    // opened only for reading is written only when that changes no other
    // byte of it: never when it read as damaged or its container is not
    // settled (its settings are then not kept).
    bool WriteSettingsSection(int section, const QByteArray& bytes);
    int ReleaseAndReportError(std::unique_ptr<CArchivStream>& stream);
    int ReleaseStream(std::unique_ptr<CArchivStream>& stream);

    // Meter stream "bexor". `Index` is a meter index with Read(stream); an
    // empty stream holds no blocks. A stream whose index cannot be read is
    // left as it is (its data may still be rescued) and the call fails with
    // the error text set.
    template <class Index>
    int OpenOrCreateBexorStream(std::unique_ptr<CArchivStream>& stream, Index& index)
    {
        return OpenBexor(stream, true, [&index](CArchivStream& s) { return bool(index.Read(s)); });
    }
    template <class Index>
    int OpenBexorStream(std::unique_ptr<CArchivStream>& stream, Index& index)
    {
        return OpenBexor(stream, false, [&index](CArchivStream& s) { return bool(index.Read(s)); });
    }

    // Record queries on the write lists.
    int CountDataRecords(BOOL withErrors) const;
    int CountListDataRecords(int list, BOOL withErrors) const;
    platform::CTime GetFirstDataTime(int list, BOOL nowIfEmpty) const;
    platform::CTime GetMarkerTime(int interval) const;
    platform::CTime GetNewestDataTime() const;
    void GetRingFillTime(int interval, int recordsPerBlock, platform::CTime& start, platform::CTime& last,
                         platform::CTime& full) const;
    int GetGraphPosition() const;
    void SetGraphWindow(platform::CTime origin, int span);

    // Live graphs. The graph windows register their series here (main
    // thread); publishing fills them from the write lists, each call under
    // the graph lock and then the list lock, and moves the graph window of
    // `GetGraphPosition` with the time base.
    CArchivSeriesRegistry& SeriesRegistry() { return m_seriesRegistry; }
    // Every channel again from the three write lists.
    void PublishToGraphs();
    // A new write list began: the channels roll one place.
    void PublishOneList();
    // New records in the current list.
    void RefreshGraphs();
    // A new live graph `span` seconds wide from the first record of list 0.
    void ResetGraphTimeBase(int span);
    const archive::CStageLists& GraphStageLists(int channel) const { return m_graphFeed.StageLists(channel); }
    // Archive windows: the series of `blockCount` blocks from ring slot
    // `firstBlock` (none for 0 blocks); 0 when a block cannot be read.
    // With `events`, the event records of the window's blocks go there (the
    // list starts afresh); `progress` follows the load in per cent. A
    // `windowSpan` above 0 makes the graphs' time axis the window the user
    // chose (from `windowStart`), else it runs over the loaded blocks.
    int LoadWindowGraphs(int firstBlock, int blockCount, CArchivEventList* events = nullptr,
                         const std::function<void(int)>& progress = {}, platform::CTime windowStart = {},
                         int windowSpan = 0);
    // The graph series keep their registration but lose their points, and
    // the stage lists are emptied: a new file, other write lists, a closed
    // live window or a mode without graphs.
    void ClearGraphData();
    QString GetErrorText() const;

    // Event lists.
    void CollectEvents(CArchivEventList& out);
    // The events of a block read by the record walk; the running sample count
    // belongs to this object and starts again with `reset`.
    void CollectBlockEvents(const CArchivRecordList& block, CArchivEventList& out, BOOL reset);
    void QueueMessage(int id, int value);
    // Queues only when the text differs from the last one queued.
    void QueueMessageIfNew(int id, int value);
    void RemoveMessage(int id, int value);

    // Titles of the open file; empty without one.
    QString GetDirectory() const;
    QString GetBaseTitle(const QString& extension) const;
    QString GetPeriodTitle(const QString& extension) const;

    static int DecodeSpacingWord(WORD word);

    // Scale categories of the instrument's graphs and value rows.
    CScaleCategories& ScaleCategories() { return scaleCategories; }
    const CScaleCategories& ScaleCategories() const { return scaleCategories; }

protected:
    // Family hooks: a new header with `slotTotal` empty slots and the family's
    // file name; the header name moved to the file period of `startTime`.
    virtual void InitHeader(int slotTotal, const QString& name, BOOL overwrite);
    virtual void RollFileName();
    // The scales a graph walk starts from: the ratios in force, as the value
    // list starts from them, so that a block without a settings record of
    // its own is not drawn in secondary values.
    virtual archive::CSeriesScales SeriesStartScales() const { return {}; }
    // For the hooks: a fresh header with all slots empty.
    void SetNewHeader(int slotTotal, const QString& name);
    // For the family writers, with `listLock` held.
    CArchivRecordList& CurrentListLocked() { return lists[std::size_t(currentList)]; }

    // Fields of the store.
    platform::CTime startTime;
    CScaleCategories scaleCategories;
    int newData = 0;
    QString errorText;
    int needFullRecord = 1;
    int recordsPending = 0;
    int writeList = 0;
    platform::Event writerIdle{true, true};
    mutable std::mutex listLock;
    mutable std::mutex queueLock;
    mutable std::mutex valuesLock;
    mutable std::recursive_mutex ringLock;
    std::unique_ptr<CArchivHeader> header;
    std::array<CArchivRecordList, 3> lists;
    int currentList = 0;
    int blockRecordCount = 0;
    int writeSlot = 0;
    int needConfigRecord = 1;
    int shrinkState = 0;
    int shrinkTarget = 0;
    std::shared_ptr<CArchivFileEntry> fileEntry;
    CArchivStamp stamp;
    platform::CTime graphOrigin;
    int graphSpan = 0;
    platform::CTime lastMeasurementTime;
    QStringList messages;
    std::optional<platform::CTime> periodEnd;
    int periodChangePending = 0;
    int walkFirstSlot = 0;
    int walkEndSlot = 0;
    QString resumeFile;

private:
    struct PendingBlock {
        std::uint64_t sequence = 0;
        int generation = 0;    // which file of the object (raised by each period change)
        QString fileName;      // header name when the block was ended
        int slot = 0;
        int collectingSlot = 0;
        CArchivRecordList records;
        CArchivHeader header;  // as it must read on disk after this block
        int destroyFrom = 0;   // streams of slots cut off by a shrink
        int destroyTo = 0;
    };

    enum class WriteOutcome { Written, Failed, NoFile };

    void AddRecordLocked(platform::CTime time, std::uint8_t type, QByteArray data);
    int AlignBlockStartLocked(int recordsPerBlock, int interval);
    int EndBlockImpl(bool newFilePerPeriod, bool recordToFile, int lead, bool handOver);
    bool IsPeriodDueRing(int period, int lead);
    void QueueBlockRing();
    void RebuildPendingHeadersRing();
    void ApplyShrinkRing(int target);
    // collectingSlot -1: no block is being collected (resuming a file).
    void ShiftBlocks(int writePosition, int newCount, int collectingSlot);
    void UpdateWalkRing(int lead);

    // With an instrument name, a block of a new file period creates its file.
    int WritePending(const QString* instrument);
    WriteOutcome WriteOne(const PendingBlock& job);
    void DropPending(const QString& why);
    // Gives up the waiting blocks of the file generation; how many.
    int DropGenerationRing(int generation);
    void DrainAndClose();

    // An existing file where the instrument records. Open: recording goes on
    // in it (a creation cut short is completed); Gone: it could not be
    // recorded into and was set aside, the path is free for a new file.
    enum class RecordingFile { Failed, Open, Gone };
    RecordingFile OpenExistingForRecording(const QString& path, const QString& instrument);
    archive::FoundArchive ProbeFile(const QString& path, std::shared_ptr<CArchivFileEntry>& entry,
                                    archive::StorageStatus& status);
    // A file in the way of a new one that is not in use: a creation cut short
    // is handed back to be completed, a damaged file is set aside; a usable
    // archive stays for the usual question (null).
    std::shared_ptr<CArchivFileEntry> ClearPathForNewFile(const QString& path, const QString& instrument);
    // Moves the file aside unchanged, tells the user once and leaves an event
    // text in the records that go to the new file; an empty file (its creation
    // was cut short before the first write) holds nothing and is removed.
    bool SetAsideFile(const QString& path, const QString& instrument);
    // The open file's creation was cut short: its "nastaveni" is written
    // again unless it names the instrument.
    void CompleteCreation(const QString& instrument);

    std::shared_ptr<CArchivFileEntry> CurrentEntry() const;
    // The open file, reopened for writing when it was opened for reading.
    bool MakeWritable();
    void InstallEntry(std::shared_ptr<CArchivFileEntry> entry, int generation);
    // `recording`: the file of an instrument's recording, where a damaged or
    // cut-short file in the way is dealt with instead of asking.
    int OpenForWritingNamed(const QString& name, const QString& instrument, int generation, bool recording);
    int ReportFileErrorLocked(const QString& name);
    std::vector<int> EmptySlotsRing(int collectingSlot) const;
    QString HeaderName() const;
    void SetErrorText(const QString& text);
    int CurrentGeneration() const;
    void ClearLists();

    int OpenBexor(std::unique_ptr<CArchivStream>& stream, bool create,
                  const std::function<bool(CArchivStream&)>& readIndex);

    CArchivGraphFeed::Extractor GraphExtractor(int kind);
    CArchivGraphFeed::LiveLists LiveListsLocked() const;
    void FollowGraphFeed();

    mutable std::mutex m_fileLock;
    std::atomic<bool> m_readDamage{false}; // a header or block of the file did not read whole
    TimeSource m_now;
    IArchivHost* m_host = nullptr;
    std::deque<PendingBlock> m_pending; // ringLock
    std::uint64_t m_nextSequence = 1;   // ringLock
    int m_generation = 0;               // ringLock: file generation of new blocks
    int m_openGeneration = 0;           // m_fileLock: generation of the open file
    int m_failedGeneration = -1;        // m_fileLock: a new file that could not be created
    QString m_failedName;               // m_fileLock: its path
    bool m_failedDeclined = false;      // m_fileLock: the user declined to write over it
    bool m_openingFile = false;         // m_fileLock: a write is opening (maybe asking for) a new file
    int m_stopCount = 0;                // m_fileLock: times the recording was stopped (DrainAndClose)
    int m_shrinkFrom = 0;               // ringLock: slot count before an applied shrink
    int m_blockEventCount = 0;          // CollectBlockEvents
    std::mutex m_graphLock;             // before listLock
    CArchivSeriesRegistry m_seriesRegistry;
    CArchivGraphFeed m_graphFeed;       // m_graphLock
};
