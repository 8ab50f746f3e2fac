// The compound-file engine's state and the member functions its source
// files share (compound_file.cpp: I/O, open and the public calls;
// cfb_directory.cpp: directory trees and entries; cfb_allocation.cpp:
// sectors and stream content; cfb_commit.cpp: transactions; cfb_check.cpp:
// the whole-structure check). Private to the library.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "platform/cfb/cfb.h"
#include "platform/cfb/format.h"

namespace cfb {

using namespace detail;

namespace detail {

inline constexpr std::uint32_t kJournalTargetHeader = 0xFFFFFFFF;
inline constexpr char kJournalMagic[8] = {'C', 'F', 'B', 'J', 'R', 'N', 'L', '1'};
// Data written in one piece up to this size. The page cache keeps a file in
// pieces no larger than the writes that made it, and a stream read soon
// after it was written copies markedly faster from large pieces.
inline constexpr std::size_t kBatchLimit = 8u << 20;
// A batch grown past this is given back at the commit: an open file that
// once wrote a large stream does not hold the whole limit.
inline constexpr std::size_t kBatchKeep = 1u << 20;

inline std::string sysError(const char* what) {
  std::string s = what;
  s += ": ";
  s += std::strerror(errno);
  return s;
}

struct Entry {
  std::u16string name;
  std::uint8_t type = kTypeEmpty;
  std::uint8_t color = kBlack;
  std::uint32_t left = kNoStream;
  std::uint32_t right = kNoStream;
  std::uint32_t child = kNoStream;
  std::array<std::uint8_t, 16> clsid{};
  std::uint32_t stateBits = 0;
  std::uint64_t ctime = 0;
  std::uint64_t mtime = 0;
  std::uint32_t start = kEndOfChain;
  std::uint64_t size = 0;
  // In memory only.
  std::uint32_t parent = kNoStream;  // parent in its storage's red-black tree
  std::uint32_t owner = kNoStream;   // the storage that holds it
  std::uint32_t gen = 0;             // bumped when the slot is freed
  std::uint64_t committedSize = 0;   // size in the committed file
  bool committedMini = false;        // content in the mini stream in the committed file
  bool reachable = false;
  bool chainLoaded = false;
  std::vector<std::uint32_t> chain;  // sectors or mini sectors, by isMini()
};

}  // namespace detail

#define CFB_TRY(expr)            \
  do {                           \
    auto cfb_try_r_ = (expr);    \
    if (!cfb_try_r_.ok()) return cfb_try_r_.error(); \
  } while (0)

class CompoundFile::Impl {
 public:
  // ---- state -------------------------------------------------------------
  std::string path;
  int fd = -1;
  bool memBacked = false;
  std::vector<std::uint8_t> mem;
  std::uint64_t physSize = 0;
  bool isOpen = false;
  bool ro = true;
  bool broken = false;

  int ver = 3;
  std::uint32_t shift = 9;
  std::uint32_t ss = 512;   // sector size
  std::uint32_t eps = 128;  // FAT entries per sector
  std::uint32_t dps = 4;    // directory entries per sector
  std::uint16_t minorVer = 0x3E;
  std::uint32_t txSig = 0;
  std::array<std::uint8_t, 16> hdrClsid{};
  std::vector<std::uint8_t> committedHdr;
  std::uint64_t fileSectors = 0;  // whole sectors present in the file at open

  std::vector<std::uint32_t> fat, fatLocs, difatLocs, miniFat, miniFatLocs, dirLocs;
  std::vector<Entry> e;
  std::unordered_map<std::uint32_t, std::unordered_map<std::u16string, std::uint32_t>> names;

  std::set<std::uint32_t> freeReg, freeMini, freeEntries;
  std::vector<std::uint32_t> pendReg, pendMini;
  std::vector<std::uint8_t> freshReg, freshMini;
  std::vector<std::uint32_t> freshRegList, freshMiniList;
  std::set<std::uint32_t> dFat, dMiniFat, dDir, dDifat;
  std::vector<std::uint32_t> touched;
  // What the committed file uses, so that a commit can tell the changes a
  // reader of the committed state could see from those it never looks at:
  // sectors in use (regular sectors; writable files only) and directory
  // entries reachable from the root.
  std::vector<std::uint8_t> usedReg, liveEntry;
  // FAT entries of sectors in use changed in this transaction: the value on
  // disk before it.
  std::unordered_map<std::uint32_t, std::uint32_t> fatBefore;
  // FAT sectors whose entries of sectors freed by the last commit still hold
  // their old chain on disk: the next commit writes them.
  std::set<std::uint32_t> deferredFat;
  std::uint32_t highWater = 0;  // highest sector index in use or ever allocated

  std::vector<std::uint32_t> stampReg, stampMini;
  std::uint32_t stampId = 0;

  std::unordered_map<std::uint32_t, std::vector<std::uint8_t>> overrides;  // read-only journal replay

  std::uint64_t batchOff = 0;
  std::vector<std::uint8_t> batch;

  bool syncParentDir = false;  // a new file: its name reaches the disk at the first flush

  std::function<void(std::uint64_t)> writeHook;  // tests only
  std::function<int(FileCall, std::uint64_t, std::uint64_t)> fileFault;  // tests only
  std::uint64_t writeCount = 0;
  // 0, or the system error a test makes this call fail with.
  [[nodiscard]] int beforeWrite(FileCall call, std::uint64_t offset = 0, std::uint64_t size = 0) {
    if (writeHook) writeHook(++writeCount);
    return fileFault ? fileFault(call, offset, size) : 0;
  }

  ~Impl() { closeFd(); }

  void closeFd() {
    if (fd >= 0) {
      ::flock(fd, LOCK_UN);
      ::close(fd);
      fd = -1;
    }
  }

  // ---- low-level I/O -----------------------------------------------------
  Status preadAll(std::uint64_t off, void* buf, std::size_t n);
  Status pwriteRaw(std::uint64_t off, const void* buf, std::size_t n);
  Status flushBatch();
  Status writeData(std::uint64_t off, const std::uint8_t* p, std::size_t n);

  std::uint64_t secOff(std::uint32_t s) const { return (std::uint64_t(s) + 1) << shift; }

  Status readMeta(std::uint32_t s, std::uint8_t* buf);

  // ---- checks on handles -------------------------------------------------
  Status checkOpen() const {
    if (!isOpen) return Errc::closed;
    if (broken) return Errc::broken;
    return {};
  }
  Status checkWritable() const {
    CFB_TRY(checkOpen());
    if (ro) return Errc::read_only;
    return {};
  }
  Result<std::uint32_t> storageId(Storage st) const;
  Result<std::uint32_t> streamId(std::uint32_t id, std::uint32_t gen) const {
    CFB_TRY(checkOpen());
    if (id == 0 || id >= e.size() || e[id].gen != gen || e[id].type != kTypeStream || !e[id].reachable)
      return Errc::stale_handle;
    return id;
  }

  // ---- units (sectors or mini sectors) -----------------------------------
  bool isMini(const Entry& x) const { return x.type == kTypeStream && x.size < kMiniCutoff; }
  std::uint32_t unit(bool mini) const { return mini ? kMiniSectorSize : ss; }
  std::uint64_t unitOff(bool mini, std::uint32_t s) const {
    if (!mini) return secOff(s);
    const std::uint64_t pos = std::uint64_t(s) * kMiniSectorSize;
    return secOff(e[0].chain[pos >> shift]) + (pos & (ss - 1));
  }
  std::uint32_t nextOf(bool mini, std::uint32_t s) const { return mini ? miniFat[s] : fat[s]; }
  void setNext(bool mini, std::uint32_t s, std::uint32_t v) {
    if (mini) {
      miniFat[s] = v;
      dMiniFat.insert(s / eps);
    } else {
      if (s < usedReg.size() && usedReg[s]) fatBefore.try_emplace(s, fat[s]);
      fat[s] = v;
      dFat.insert(s / eps);
    }
  }
  bool isFresh(bool mini, std::uint32_t s) const {
    return mini ? (s < freshMini.size() && freshMini[s]) : (s < freshReg.size() && freshReg[s]);
  }
  void touch(std::uint32_t id) {
    dDir.insert(id / dps);
    touched.push_back(id);
  }

  // ---- chain walking (untrusted input) -----------------------------------
  std::uint32_t nextStamp() {
    if (++stampId == 0) {
      std::fill(stampReg.begin(), stampReg.end(), 0);
      std::fill(stampMini.begin(), stampMini.end(), 0);
      stampId = 1;
    }
    return stampId;
  }

  // Walks a chain to ENDOFCHAIN; every index checked, loops detected.
  Status walk(bool mini, std::uint32_t start, std::vector<std::uint32_t>& out, const std::string& what);
  Status ensureChain(std::uint32_t id);

  // ---- open ---------------------------------------------------------------
  Status parseEntry(const std::uint8_t* p, Entry& x);
  Status readJournal(std::uint32_t j, std::vector<std::uint8_t>& hdrImage, std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>& images);
  Status load();

  // Walks the directory tree from the root: every reachable entry is checked,
  // marked with its storage, its tree parent and its place in the name index.
  Status walkTree();

  // For a writable file: validate every chain, check that no sector is used
  // twice, mark FAT/DIFAT sectors as such, build the free lists, and make
  // sure every directory tree follows the red-black rules.
  Status prepareForWriting();

  // ---- red-black trees ---------------------------------------------------
  std::uint32_t& rootOf(std::uint32_t sid) { return e[sid].child; }
  bool red(std::uint32_t x) const { return x != kNoStream && e[x].color == kRed; }
  void setColor(std::uint32_t x, std::uint8_t c) {
    if (e[x].color != c) {
      e[x].color = c;
      touch(x);
    }
  }
  void setLeft(std::uint32_t x, std::uint32_t v) {
    e[x].left = v;
    touch(x);
    if (v != kNoStream) e[v].parent = x;
  }
  void setRight(std::uint32_t x, std::uint32_t v) {
    e[x].right = v;
    touch(x);
    if (v != kNoStream) e[v].parent = x;
  }
  void replaceChild(std::uint32_t sid, std::uint32_t parent, std::uint32_t oldc, std::uint32_t newc);
  void rotateLeft(std::uint32_t sid, std::uint32_t x) {
    const std::uint32_t y = e[x].right;
    const std::uint32_t p = e[x].parent;
    setRight(x, e[y].left);
    replaceChild(sid, p, x, y);
    setLeft(y, x);
  }
  void rotateRight(std::uint32_t sid, std::uint32_t x) {
    const std::uint32_t y = e[x].left;
    const std::uint32_t p = e[x].parent;
    setLeft(x, e[y].right);
    replaceChild(sid, p, x, y);
    setRight(y, x);
  }

  void rbInsert(std::uint32_t sid, std::uint32_t z);
  void rbErase(std::uint32_t sid, std::uint32_t z);
  void eraseFixup(std::uint32_t sid, std::uint32_t x, std::uint32_t xParent);

  // In-order list of a storage's children (iterative).
  std::vector<std::uint32_t> inOrder(std::uint32_t sid) const;

  // Order and red-black rules of one storage's tree.
  bool treeValid(std::uint32_t sid) const;

  // Rebuilds a storage's tree as a balanced valid red-black tree.
  void rebuildTree(std::uint32_t sid);

  // ---- allocation --------------------------------------------------------
  // Adds FAT sectors (several at once in a larger file, placed together so
  // that data runs stay long and the FAT reads in few pieces).
  Status growFat();
  Result<std::uint32_t> allocReg();
  Result<std::uint32_t> allocMini();

  Result<std::uint32_t> allocUnit(bool mini) { return mini ? allocMini() : allocReg(); }

  // A unit no longer used. One allocated in this transaction is free at once;
  // one of the committed file only after the commit.
  void freeUnit(bool mini, std::uint32_t s);
  Result<std::uint32_t> allocEntry();

  // ---- stream content ------------------------------------------------------
  Result<std::size_t> readAt(std::uint32_t id, std::uint64_t off, std::uint8_t* buf, std::size_t len);

  // Writes data into the stream's existing units, copying on write where the
  // committed file still uses the bytes.
  Status writeRange(std::uint32_t id, std::uint64_t off, const std::uint8_t* data, std::size_t len);
  Status writeZeros(std::uint32_t id, std::uint64_t off, std::uint64_t len);

  // Appends units to the chain until it holds `size` bytes.
  Status extendChain(std::uint32_t id, bool mini, std::uint64_t size);
  void freeChain(std::uint32_t id);

  // Sets the size; bytes [old size, min(new size, zeroUpTo)) become zeros.
  Status setSizeImpl(std::uint32_t id, std::uint64_t newSize, std::uint64_t zeroUpTo);

  std::uint64_t maxStreamSize() const { return ver == 3 ? 0x80000000ull : (1ull << 44); }

  Status writeImpl(std::uint32_t id, std::uint64_t off, const std::uint8_t* data, std::size_t len) {
    if (len == 0) return {};
    const std::uint64_t end = off + len;
    if (end < off || end > maxStreamSize()) return Error(Errc::too_large, "stream size");
    if (end > e[id].size) CFB_TRY(setSizeImpl(id, end, off));
    return writeRange(id, off, data, len);
  }

  // ---- commit ---------------------------------------------------------------
  std::vector<std::uint8_t> buildHeader() const;
  void serializeEntry(const Entry& x, std::uint8_t* p) const;

  void fillTable(const std::vector<std::uint32_t>& t, std::size_t sector, std::uint8_t* p) const {
    for (std::uint32_t k = 0; k < eps; ++k) {
      const std::size_t i = sector * eps + k;
      wr32(p + 4 * k, i < t.size() ? t[i] : kFreeSect);
    }
  }

  bool dirty() const {
    return !dFat.empty() || !dMiniFat.empty() || !dDir.empty() || !dDifat.empty() || !pendReg.empty() ||
           !pendMini.empty() || !touched.empty() || !batch.empty();
  }

  void endTransaction();
  Status commit();
  // The changed metadata sectors in which a reader of the committed file
  // would see a change, each set by its list of sector locations.
  struct VisibleChanges {
    std::vector<std::uint32_t> dir, miniFat, fat, difat;
    bool header = false;
    std::size_t sectors() const { return dir.size() + miniFat.size() + fat.size() + difat.size(); }
  };
  VisibleChanges visibleChanges() const;
  std::unordered_set<std::uint32_t> pendingFreeReg() const { return {pendReg.begin(), pendReg.end()}; }
  // Moves visible changes to fresh sectors until one sector (or the header)
  // switches from the old state to the new.
  Status shadowMetadata();

  // Runs one mutating operation as a transaction. A failure after the
  // operation began to change the in-memory state leaves the object broken
  // (nothing of it was committed; the file on disk is the previous state).
  template <class F>
  Status transact(F&& f) {
    CFB_TRY(checkWritable());
    Status st = f();
    if (!st.ok()) {
      if (dirty()) broken = true;
      return st;
    }
    return commit();
  }

  // ---- directory operations ------------------------------------------------
  Result<std::u16string> toName(std::string_view name) const {
    auto n = utf8ToUtf16(name);
    if (!n || !validName(*n)) return Error(Errc::invalid_name, std::string(name));
    return std::move(*n);
  }

  Result<std::uint32_t> find(std::uint32_t sid, std::string_view name) const;
  ElementInfo info(std::uint32_t id) const;
  Result<std::uint32_t> createEntry(std::uint32_t sid, const std::u16string& name, std::uint8_t type);

  // Removes an element and everything below it.
  void destroyEntry(std::uint32_t id);
  Status copyStorage(Impl& dst, std::uint32_t srcSid, std::uint32_t dstSid);

  // ---- whole-structure check ----------------------------------------------
  Status check();
};

}  // namespace cfb
