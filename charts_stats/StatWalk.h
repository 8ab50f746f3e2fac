#pragma once

#include "charts_stats/StatCommon.h"

#include <vector>

// The record walk every family's statistics run: segments split where the
// instrument's settings change the meaning of the values.
//
// An Engine gives:
//   Key, Result                         segment key and result record
//   Key InitialKey() const              the key before any settings record
//   bool ReadKey(const CArchivRecord&, Key&)   a settings record's key (false: damaged)
//   bool NeedsDefaults() const          the settings record is still unfilled
//   void TakeDefaults(const CArchivRecord&)    fill it from a settings record
//   void MarkFilled()
//   void UseKey(const Key&)             the key in force changed (settings record)
//   void UseSettings(const CArchivRecord&)     every settings record of the main pass
//   bool Decode(const CArchivRecord&)   a measurement record into the values (false: not one)
//   void Reset(CTime start, const Key&) start a segment
//   void SetInterval(int)               a new record interval
//   void AddRecord(const CArchivRecord&)
//   void Finish(Result&, CTime end)
//   CStatEngineCore& Core()
//   StatusPeriodFn StatusPeriods() const
//   static constexpr bool kBlockKinds   blocks with and without a status record at
//                                       their head are segments apart; then also
//   void SetDownloaded(bool)            the kind of the blocks of the segment
// and may give:
//   static constexpr bool kIntervalAtBlockHead   the record interval is read at the
//                                       head of every block, not at full measurements
//   static constexpr bool kKeyFromBlockHead      a segment that starts at a block
//                                       takes its key from the block's first settings
//   void BeginBlock(std::span<const CArchivRecord>)   before a block's records
namespace charts::stats {

template <class Engine>
constexpr bool IntervalAtBlockHead()
{
    if constexpr (requires { Engine::kIntervalAtBlockHead; })
        return Engine::kIntervalAtBlockHead;
    return false;
}

template <class Engine>
constexpr bool KeyFromBlockHead()
{
    if constexpr (requires { Engine::kKeyFromBlockHead; })
        return Engine::kKeyFromBlockHead;
    return false;
}

template <class Engine>
class CStatWalk {
public:
    using Key = typename Engine::Key;
    using Result = typename Engine::Result;

    CStatWalk(const CArchivWindow& window, Engine& engine, const ProgressFn& progress)
        : m_window(window), m_engine(engine), m_progress(progress), m_blocks(WindowBlocks(window))
    {
    }

    std::vector<Result> Run()
    {
        const Key preKey = PrePass();
        std::vector<Result> results(std::size_t(CountSegments(preKey)));
        MainPass(preKey, results);
        return results;
    }

private:
    std::uint32_t Start() const { return m_window.start.GetTime(); }
    std::int64_t End() const { return std::int64_t(Start()) + m_window.span; }
    bool Past(const CArchivRecord& r) const { return std::int64_t(r.time) > End(); }

    // The key at the window start, and the defaults of the settings record.
    // The walk stops at the first record at or after the start once a
    // settings record has been read (that record still counts): a change
    // later in the block must not decide what held at the start. A settings
    // record that has been filled already ends the walk the same way, so the
    // user's own settings never change how the window is segmented.
    Key PrePass()
    {
        Key inForce = m_engine.InitialKey();
        if (m_blocks.empty())
            return inForce;
        bool read = false;
        bool taken = false;
        for (const CArchivRecord& r : m_blocks.front()) {
            Key key;
            if (r.type == kRecordSettings && m_engine.ReadKey(r, key)) {
                inForce = key;
                read = true;
                if (m_engine.NeedsDefaults()) {
                    m_engine.TakeDefaults(r);
                    taken = true;
                }
            }
            if (read && r.time >= Start())
                break;
        }
        if (taken)
            m_engine.MarkFilled();
        return inForce;
    }

    int CountSegments(Key inForce)
    {
        int count = 1;
        bool first = true;
        bool kind = false;
        for (const auto& block : m_blocks) {
            if constexpr (Engine::kBlockKinds) {
                const bool k = StatusHead(block);
                if (!first && k != kind) {
                    ++count;
                    if constexpr (KeyFromBlockHead<Engine>())
                        BlockKey(block, inForce);
                }
                kind = k;
                first = false;
            }
            for (const CArchivRecord& r : block) {
                if (Past(r))
                    break;
                Key key;
                if (r.type != kRecordSettings || !m_engine.ReadKey(r, key))
                    continue;
                if (!(key == inForce) && r.time >= Start())
                    ++count;
                inForce = key;
            }
        }
        return count;
    }

    void MainPass(Key inForce, std::vector<Result>& results)
    {
        CStatEngineCore& core = m_engine.Core();
        CStatProgress progress(m_progress, m_window.span);
        const StatusPeriodFn periods = m_engine.StatusPeriods();
        std::size_t next = 0;
        bool kind = !m_blocks.empty() && StatusHead(m_blocks.front());
        if constexpr (Engine::kBlockKinds)
            m_engine.SetDownloaded(kind);
        m_engine.UseKey(inForce);
        m_engine.Reset(m_window.start, inForce);
        for (const auto& block : m_blocks) {
            int listInterval = 0; // read when first needed
            auto interval = [&] {
                if (listInterval == 0)
                    listInterval = GetListStatusCode(block, periods);
                return listInterval;
            };
            if constexpr (Engine::kBlockKinds) {
                const bool k = StatusHead(block);
                if (k != kind && next + 1 < results.size()) {
                    // The segment ends where the other kind of block begins,
                    // also before the window.
                    const CTime at(block.front().time);
                    m_engine.Finish(results[next++], at);
                    m_engine.SetDownloaded(k);
                    if constexpr (KeyFromBlockHead<Engine>()) {
                        if (BlockKey(block, inForce))
                            m_engine.UseKey(inForce);
                    }
                    m_engine.Reset(at, inForce);
                    if (core.TakeInterval(interval(), at.GetTime() >= Start()))
                        m_engine.SetInterval(core.Interval());
                }
                kind = k;
            }
            if constexpr (requires { m_engine.BeginBlock(block); })
                m_engine.BeginBlock(block);
            if constexpr (IntervalAtBlockHead<Engine>()) {
                if (!block.empty() && core.TakeInterval(interval(), block.front().time >= Start()))
                    m_engine.SetInterval(core.Interval());
            }
            for (const CArchivRecord& r : block) {
                if (Past(r))
                    break;
                const bool inWindow = r.time >= Start();
                if (r.type == kRecordSettings) {
                    Key key;
                    if (!m_engine.ReadKey(r, key))
                        continue;
                    m_engine.UseSettings(r);
                    const bool changed = !(key == inForce);
                    // A change exactly at the window start closes a first
                    // segment of no length that still says what held before.
                    if (changed && inWindow && next + 1 < results.size()) {
                        m_engine.Finish(results[next++], CTime(r.time));
                        m_engine.UseKey(key);
                        m_engine.Reset(CTime(r.time), key);
                        if (core.TakeInterval(interval(), true))
                            m_engine.SetInterval(core.Interval());
                    } else if (changed) {
                        m_engine.UseKey(key);
                    }
                    if constexpr (IntervalAtBlockHead<Engine>()) {
                        if (core.TakeInterval(interval(), inWindow))
                            m_engine.SetInterval(core.Interval());
                    }
                    inForce = key;
                    continue;
                }
                if (!m_engine.Decode(r))
                    continue;
                if (!IntervalAtBlockHead<Engine>() && r.type == kRecordFull && core.TakeInterval(interval(), inWindow))
                    m_engine.SetInterval(core.Interval());
                if (inWindow) {
                    m_engine.AddRecord(r);
                    progress.Step(core.Interval());
                    if (m_progress.Cancelled())
                        break;
                }
            }
            if (m_progress.Cancelled())
                break;
        }
        m_engine.Finish(results[next], CTime(CTime::time_type(End())));
        results.resize(next + 1);
    }

    // The key of the block's first settings record into `key`; true when it
    // changed.
    bool BlockKey(std::span<const CArchivRecord> block, Key& key) const
    {
        for (const CArchivRecord& r : block) {
            Key found;
            if (r.type == kRecordSettings && m_engine.ReadKey(r, found)) {
                const bool changed = !(found == key);
                key = found;
                return changed;
            }
        }
        return false;
    }

    static bool StatusHead(std::span<const CArchivRecord> block)
    {
        return !block.empty() && block.front().type == kRecordStatus;
    }

    const CArchivWindow& m_window;
    Engine& m_engine;
    const ProgressFn& m_progress;
    std::vector<std::span<const CArchivRecord>> m_blocks;
};

} // namespace charts::stats
