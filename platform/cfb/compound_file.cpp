// The compound file engine.
//
// Layout in memory
//   The whole FAT, DIFAT, mini FAT and directory are kept in memory while a
//   file is open (they are a small fraction of the file: 4 bytes per 512-byte
//   sector, 128 bytes per element). Sector chains of streams are cached as
//   vectors (loaded lazily and validated when a read-only file reads them, all
//   at open for a writable file). Free sectors and free mini sectors are kept
//   in ordered sets, and free directory slots too, so no operation walks a
//   chain or the FAT from the start: writing the N-th stream costs the same as
//   writing the first, and an append goes straight to the cached chain tail.
//
// Crash safety (a process killed at any moment)
//   Every mutating call is one transaction, committed before it returns. The
//   rules that keep the file consistent at every instant are:
//   1. Data never overwrites bytes that the committed file still uses. New
//      content goes to sectors that are free in the committed file ("fresh"
//      sectors, allocated in this transaction), or to bytes of a stream's last
//      sector / mini sector that lie beyond the stream's committed size (no
//      committed reader looks there). Overwriting committed bytes of a stream
//      copies the sector to a fresh one and relinks the chain (copy on write).
//      Sectors freed in a transaction stay unusable until it has committed.
//   2. Metadata (FAT, DIFAT, mini FAT and directory sectors, and the header) is
//      changed in memory only. At commit its changed sectors are written:
//        a. sectors that are themselves fresh (a new FAT or directory sector)
//           are written in place at once: nothing committed points to them;
//        b. if no other sector changed, the new header alone is written (one
//           512-byte write, which a killed process cannot tear);
//        c. if exactly one committed metadata sector changed and the header
//           did not, that sector is written in place (one write, not torn);
//        d. otherwise the new images of all changed committed sectors plus the
//           new header go to a journal in unused sectors past the end of
//           everything in use (one write, with a CRC), then the committed
//           header is rewritten with a journal mark in its reserved bytes
//           (this is the commit point), then the images are written in place,
//           then the new header without the mark. Opening a file whose header
//           carries the mark replays the journal (the images are idempotent);
//           a read-only open applies it in memory. A journal whose CRC does not
//           match was never committed and is ignored.
//   So at every instant the file on disk is the state before the transaction,
//   or the state after it (possibly through its journal). Every stream that
//   was complete before an interrupted call reads back unchanged, and the
//   stream of the call reads back either as before or as after it.
//   This covers a killed process (the kernel keeps the writes that returned).
//   flush() calls fsync so that what was committed survives a power loss too;
//   between flushes a power loss may lose recent transactions.
//
// Robust reading
//   Every size and sector index is checked against the file size before use;
//   every chain walk is bounded by the number of sectors and loop-checked with
//   a stamp per sector; the directory tree is walked iteratively with a visit
//   mark per entry. Allocations are bounded by the file size.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <unordered_map>

#include "platform/cfb/cfb.h"
#include "platform/cfb/format.h"

namespace cfb {

using namespace detail;

namespace {

constexpr std::uint32_t kJournalTargetHeader = 0xFFFFFFFF;
constexpr char kJournalMagic[8] = {'C', 'F', 'B', 'J', 'R', 'N', 'L', '1'};
constexpr std::size_t kBatchLimit = 1u << 20;

std::string sysError(const char* what) {
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

}  // namespace

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
  std::uint32_t highWater = 0;  // highest sector index in use or ever allocated

  std::vector<std::uint32_t> stampReg, stampMini;
  std::uint32_t stampId = 0;

  std::unordered_map<std::uint32_t, std::vector<std::uint8_t>> overrides;  // read-only journal replay

  std::uint64_t batchOff = 0;
  std::vector<std::uint8_t> batch;

  bool syncParentDir = false;  // a new file: its name reaches the disk at the first flush

  std::function<void(std::uint64_t)> writeHook;  // tests only
  std::uint64_t writeCount = 0;
  void beforeWrite() {
    if (writeHook) writeHook(++writeCount);
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
  Status preadAll(std::uint64_t off, void* buf, std::size_t n) {
    CFB_TRY(flushBatch());
    if (off > physSize || n > physSize - off)
      return Error(Errc::sector_out_of_range, "read past the end of the file at offset " + std::to_string(off));
    if (memBacked) {
      std::memcpy(buf, mem.data() + off, n);
      return {};
    }
    auto* p = static_cast<std::uint8_t*>(buf);
    while (n > 0) {
      const ssize_t r = ::pread(fd, p, n, static_cast<off_t>(off));
      if (r < 0) {
        if (errno == EINTR) continue;
        return Error(Errc::io_error, sysError("read"));
      }
      if (r == 0) return Error(Errc::io_error, "unexpected end of file");
      p += r;
      off += std::uint64_t(r);
      n -= std::size_t(r);
    }
    return {};
  }

  Status pwriteRaw(std::uint64_t off, const void* buf, std::size_t n) {
    beforeWrite();
    const auto* p = static_cast<const std::uint8_t*>(buf);
    while (n > 0) {
      const ssize_t r = ::pwrite(fd, p, n, static_cast<off_t>(off));
      if (r < 0) {
        if (errno == EINTR) continue;
        broken = true;
        return Error(Errc::io_error, sysError("write"));
      }
      p += r;
      off += std::uint64_t(r);
      n -= std::size_t(r);
      physSize = std::max(physSize, off);
    }
    return {};
  }

  Status flushBatch() {
    if (batch.empty()) return {};
    std::vector<std::uint8_t> b;
    b.swap(batch);
    auto st = pwriteRaw(batchOff, b.data(), b.size());
    b.clear();
    batch.swap(b);  // keep the capacity
    return st;
  }

  Status writeData(std::uint64_t off, const std::uint8_t* p, std::size_t n) {
    if (!batch.empty() && off == batchOff + batch.size() && batch.size() + n <= kBatchLimit) {
      batch.insert(batch.end(), p, p + n);
      return {};
    }
    CFB_TRY(flushBatch());
    if (n >= kBatchLimit) return pwriteRaw(off, p, n);
    batchOff = off;
    batch.assign(p, p + n);
    return {};
  }

  std::uint64_t secOff(std::uint32_t s) const { return (std::uint64_t(s) + 1) << shift; }

  Status readMeta(std::uint32_t s, std::uint8_t* buf) {
    if (!overrides.empty()) {
      auto it = overrides.find(s);
      if (it != overrides.end()) {
        std::memcpy(buf, it->second.data(), ss);
        return {};
      }
    }
    return preadAll(secOff(s), buf, ss);
  }

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
  Status walk(bool mini, std::uint32_t start, std::vector<std::uint32_t>& out, const std::string& what) {
    out.clear();
    const std::uint32_t id = nextStamp();
    std::uint32_t s = start;
    if (mini) {
      if (stampMini.size() < miniFat.size()) stampMini.resize(miniFat.size(), 0);
      const std::uint64_t miniCount = (e[0].size + kMiniSectorSize - 1) / kMiniSectorSize;
      while (s != kEndOfChain) {
        if (s >= miniFat.size() || s >= miniCount)
          return Error(Errc::bad_minifat, what + ": mini sector " + std::to_string(s) + " outside the mini stream");
        if (stampMini[s] == id) return Error(Errc::chain_loop, what + ": mini sector " + std::to_string(s));
        stampMini[s] = id;
        out.push_back(s);
        s = miniFat[s];
      }
    } else {
      if (stampReg.size() < fat.size()) stampReg.resize(fat.size(), 0);
      while (s != kEndOfChain) {
        if (s > kMaxRegSect)
          return Error(Errc::bad_fat, what + ": chain reaches a free or special sector");
        if (s >= fileSectors)
          return Error(Errc::sector_out_of_range, what + ": sector " + std::to_string(s));
        if (s >= fat.size())
          return Error(Errc::bad_fat, what + ": sector " + std::to_string(s) + " not covered by the FAT");
        if (stampReg[s] == id) return Error(Errc::chain_loop, what + ": sector " + std::to_string(s));
        stampReg[s] = id;
        out.push_back(s);
        s = fat[s];
      }
    }
    return {};
  }

  Status ensureChain(std::uint32_t id) {
    Entry& x = e[id];
    if (x.chainLoaded) return {};
    const bool mini = isMini(x);
    const std::string what = "stream '" + utf16ToUtf8(x.name) + "'";
    if (x.size == 0) {
      x.chain.clear();
      x.chainLoaded = true;
      return {};
    }
    if (!mini && x.size > physSize) return Error(Errc::chain_too_short, what + " larger than the file");
    CFB_TRY(walk(mini, x.start, x.chain, what));
    const std::uint64_t need = (x.size + unit(mini) - 1) / unit(mini);
    if (x.chain.size() < need)
      return Error(Errc::chain_too_short, what + ": size " + std::to_string(x.size) + ", chain of " +
                                              std::to_string(x.chain.size()) + " sectors");
    x.chainLoaded = true;
    return {};
  }

  // ---- open ---------------------------------------------------------------
  Status parseEntry(const std::uint8_t* p, Entry& x) {
    x = Entry{};
    const std::uint16_t nameLen = rd16(p + 64);
    x.type = p[66];
    x.color = p[67];
    x.left = rd32(p + 68);
    x.right = rd32(p + 72);
    x.child = rd32(p + 76);
    std::memcpy(x.clsid.data(), p + 80, 16);
    x.stateBits = rd32(p + 96);
    x.ctime = rd64(p + 100);
    x.mtime = rd64(p + 108);
    x.start = rd32(p + 116);
    x.size = ver == 3 ? rd32(p + 120) : rd64(p + 120);
    if (x.type == kTypeEmpty) return {};
    if (nameLen > 64 || (nameLen & 1)) return Error(Errc::bad_directory, "name length " + std::to_string(nameLen));
    const std::size_t units = nameLen ? nameLen / 2 - 1 : 0;
    for (std::size_t i = 0; i < units; ++i) {
      const char16_t c = char16_t(rd16(p + 2 * i));
      if (c == 0) break;
      x.name.push_back(c);
    }
    return {};
  }

  Status readJournal(std::uint32_t j, std::vector<std::uint8_t>& hdrImage,
                     std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>& images) {
    if (j >= fileSectors) return Errc::bad_header;
    std::vector<std::uint8_t> first(ss);
    CFB_TRY(preadAll(secOff(j), first.data(), ss));
    if (std::memcmp(first.data(), kJournalMagic, 8) != 0) return Errc::bad_header;
    const std::uint32_t count = rd32(first.data() + 8);
    const std::uint32_t crc = rd32(first.data() + 12);
    if (count == 0 || count > fileSectors) return Errc::bad_header;
    const std::uint64_t idxSectors = (16 + 4ull * count + ss - 1) / ss;
    const std::uint64_t total = idxSectors + count;
    if (j + total > fileSectors) return Errc::bad_header;
    std::vector<std::uint8_t> all(total * ss);
    CFB_TRY(preadAll(secOff(j), all.data(), all.size()));
    const std::uint8_t* targets = all.data() + 16;
    const std::uint8_t* imgs = all.data() + idxSectors * ss;
    std::uint32_t c = crc32(targets, 4ull * count);
    c = crc32(imgs, std::size_t(count) * ss, c);
    if (c != crc) return Errc::bad_header;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t t = rd32(targets + 4 * i);
      std::vector<std::uint8_t> img(imgs + std::size_t(i) * ss, imgs + std::size_t(i + 1) * ss);
      if (t == kJournalTargetHeader) {
        hdrImage = std::move(img);
      } else {
        if (t >= fileSectors) return Errc::bad_header;
        images.emplace_back(t, std::move(img));
      }
    }
    if (hdrImage.empty()) return Errc::bad_header;
    return {};
  }

  Status load() {
    if (physSize < 512) return Error(Errc::not_compound_file, "file shorter than a header");
    std::vector<std::uint8_t> h(512);
    CFB_TRY(preadAll(0, h.data(), 512));
    if (std::memcmp(h.data(), kSignature, 8) != 0) return Error(Errc::not_compound_file, "bad signature");
    if (rd16(h.data() + 28) != 0xFFFE) return Error(Errc::bad_header, "bad byte order mark");
    const std::uint16_t major = rd16(h.data() + 26);
    const std::uint16_t sshift = rd16(h.data() + 30);
    if (major == 3 && sshift == 9) {
      ver = 3;
    } else if (major == 4 && sshift == 12) {
      ver = 4;
    } else {
      return Error(Errc::unsupported_version,
                   "version " + std::to_string(major) + " with sector shift " + std::to_string(sshift));
    }
    shift = sshift;
    ss = 1u << shift;
    eps = ss / 4;
    dps = ss / kDirEntrySize;
    if (rd16(h.data() + 32) != 6) return Error(Errc::unsupported_version, "mini sector size is not 64");
    if (rd32(h.data() + 56) != kMiniCutoff) return Error(Errc::unsupported_version, "mini stream cutoff is not 4096");
    if (physSize < ss) return Error(Errc::bad_header, "file shorter than its header sector");
    fileSectors = (physSize - ss) / ss;

    // A journal left by a killed writer: replay it.
    if (h[34] == 'Q' && h[35] == 'J') {
      std::vector<std::uint8_t> hdrImage;
      std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> images;
      if (readJournal(rd32(h.data() + 36), hdrImage, images).ok()) {
        if (!ro) {
          for (auto& [t, img] : images) CFB_TRY(pwriteRaw(secOff(t), img.data(), ss));
          CFB_TRY(pwriteRaw(0, hdrImage.data(), ss));
        } else {
          for (auto& [t, img] : images) overrides[t] = std::move(img);
        }
        h.assign(hdrImage.begin(), hdrImage.begin() + 512);
        if (std::memcmp(h.data(), kSignature, 8) != 0 || rd16(h.data() + 30) != shift || rd16(h.data() + 26) != ver)
          return Error(Errc::bad_header, "journal holds a bad header");
      }
      std::memset(h.data() + 34, 0, 6);
    }
    committedHdr.assign(ss, 0);
    std::memcpy(committedHdr.data(), h.data(), 512);

    minorVer = rd16(h.data() + 24);
    std::memcpy(hdrClsid.data(), h.data() + 8, 16);
    txSig = rd32(h.data() + 52);
    const std::uint32_t numFat = rd32(h.data() + 44);
    const std::uint32_t firstDir = rd32(h.data() + 48);
    const std::uint32_t firstMiniFat = rd32(h.data() + 60);
    const std::uint32_t firstDifat = rd32(h.data() + 68);
    const std::uint32_t numDifat = rd32(h.data() + 72);
    if (numFat == 0 || numFat > fileSectors)
      return Error(Errc::bad_header, "FAT sector count " + std::to_string(numFat) + " for a file of " +
                                         std::to_string(fileSectors) + " sectors");

    // DIFAT: where the FAT sectors are.
    std::vector<bool> seen(fileSectors, false);
    fatLocs.clear();
    for (std::uint32_t i = 0; i < kHeaderDifatEntries && fatLocs.size() < numFat; ++i)
      fatLocs.push_back(rd32(h.data() + 76 + 4 * i));
    difatLocs.clear();
    {
      std::uint32_t s = firstDifat;
      std::vector<std::uint8_t> buf(ss);
      while (fatLocs.size() < numFat) {
        if (s == kEndOfChain || s == kFreeSect)
          return Error(Errc::bad_difat, "DIFAT ends after " + std::to_string(fatLocs.size()) + " of " +
                                            std::to_string(numFat) + " FAT sectors");
        if (s >= fileSectors) return Error(Errc::sector_out_of_range, "DIFAT sector " + std::to_string(s));
        if (seen[s]) return Error(Errc::difat_loop, "at sector " + std::to_string(s));
        seen[s] = true;
        difatLocs.push_back(s);
        CFB_TRY(readMeta(s, buf.data()));
        for (std::uint32_t i = 0; i + 1 < eps && fatLocs.size() < numFat; ++i) fatLocs.push_back(rd32(buf.data() + 4 * i));
        s = rd32(buf.data() + 4 * (eps - 1));
      }
      (void)numDifat;  // the chain, not the count, is what is followed
    }
    for (std::uint32_t s : fatLocs) {
      if (s >= fileSectors) return Error(Errc::bad_difat, "FAT sector " + std::to_string(s) + " beyond the file");
      if (seen[s]) return Error(Errc::bad_difat, "sector " + std::to_string(s) + " listed twice");
      seen[s] = true;
    }
    seen.clear();
    seen.shrink_to_fit();

    // FAT.
    fat.assign(std::size_t(numFat) * eps, kFreeSect);
    {
      std::vector<std::uint8_t> buf;
      for (std::size_t i = 0; i < fatLocs.size();) {
        // contiguous FAT sectors are read in one piece (not with a journal in memory)
        std::size_t j = i + 1;
        if (overrides.empty())
          while (j < fatLocs.size() && j - i < 256 && fatLocs[j] == fatLocs[j - 1] + 1) ++j;
        buf.resize((j - i) * ss);
        if (j == i + 1) {
          CFB_TRY(readMeta(fatLocs[i], buf.data()));
        } else {
          CFB_TRY(preadAll(secOff(fatLocs[i]), buf.data(), buf.size()));
        }
        for (std::size_t k = 0; k < (j - i) * eps; ++k) fat[i * eps + k] = rd32(buf.data() + 4 * k);
        i = j;
      }
    }

    // Directory.
    e.clear();
    CFB_TRY(walk(false, firstDir, dirLocs, "directory"));
    if (dirLocs.empty()) return Error(Errc::bad_directory, "no directory sector");
    e.resize(dirLocs.size() * dps);
    {
      std::vector<std::uint8_t> buf(ss);
      for (std::size_t i = 0; i < dirLocs.size(); ++i) {
        CFB_TRY(readMeta(dirLocs[i], buf.data()));
        for (std::uint32_t k = 0; k < dps; ++k) {
          auto st = parseEntry(buf.data() + k * kDirEntrySize, e[i * dps + k]);
          if (!st.ok()) {
            if (i * dps + k == 0) return st;
            // an unusable entry is treated as empty; the tree walk below
            // rejects it if something refers to it
            e[i * dps + k] = Entry{};
            e[i * dps + k].type = 0xFF;
          }
        }
      }
    }
    if (e[0].type != kTypeRoot) return Error(Errc::bad_directory, "first entry is not the root");
    if (e[0].size > physSize) return Error(Errc::bad_minifat, "mini stream larger than the file");
    e[0].reachable = true;
    e[0].parent = kNoStream;
    e[0].owner = kNoStream;
    CFB_TRY(walkTree());

    // Mini FAT and mini stream.
    CFB_TRY(walk(false, firstMiniFat, miniFatLocs, "mini FAT"));
    miniFat.assign(miniFatLocs.size() * eps, kFreeSect);
    {
      std::vector<std::uint8_t> buf(ss);
      for (std::size_t i = 0; i < miniFatLocs.size(); ++i) {
        CFB_TRY(readMeta(miniFatLocs[i], buf.data()));
        for (std::uint32_t k = 0; k < eps; ++k) miniFat[i * eps + k] = rd32(buf.data() + 4 * k);
      }
    }
    if (e[0].size > 0) {
      CFB_TRY(walk(false, e[0].start, e[0].chain, "mini stream"));
      if (std::uint64_t(e[0].chain.size()) * ss < e[0].size)
        return Error(Errc::bad_minifat, "mini stream size beyond its chain");
    } else {
      e[0].chain.clear();
    }
    e[0].chainLoaded = true;
    e[0].committedSize = e[0].size;
    for (auto& x : e) {
      x.committedSize = x.size;
      x.committedMini = isMini(x);
    }
    if (!ro) CFB_TRY(prepareForWriting());
    return {};
  }

  // Walks the directory tree from the root: every reachable entry is checked,
  // marked with its storage, its tree parent and its place in the name index.
  Status walkTree() {
    names.clear();
    struct Item {
      std::uint32_t id, parent, owner;
    };
    std::vector<Item> stack;
    names[0];
    if (e[0].child != kNoStream) stack.push_back({e[0].child, kNoStream, 0});
    while (!stack.empty()) {
      const Item it = stack.back();
      stack.pop_back();
      if (it.id >= e.size())
        return Error(Errc::bad_directory, "entry " + std::to_string(it.id) + " beyond the directory");
      Entry& x = e[it.id];
      if (x.reachable) return Error(Errc::directory_loop, "entry " + std::to_string(it.id) + " reached twice");
      if (x.type != kTypeStream && x.type != kTypeStorage)
        return Error(Errc::bad_directory, "entry " + std::to_string(it.id) +
                                              (x.type == 0xFF ? " is unreadable (bad name length)" : " has type " + std::to_string(x.type)));
      x.reachable = true;
      x.parent = it.parent;
      x.owner = it.owner;
      if (x.type == kTypeStream && ver == 3 && x.size > 0xFFFFFFFFull)
        return Error(Errc::bad_directory, "stream size");
      auto& idx = names[it.owner];
      if (!idx.emplace(nameKey(x.name), it.id).second)
        return Error(Errc::bad_directory, "name '" + utf16ToUtf8(x.name) + "' twice in one storage");
      if (x.left != kNoStream) stack.push_back({x.left, it.id, it.owner});
      if (x.right != kNoStream) stack.push_back({x.right, it.id, it.owner});
      if (x.type == kTypeStorage) {
        names[it.id];
        if (x.child != kNoStream) stack.push_back({x.child, kNoStream, it.id});
      }
    }
    return {};
  }

  // For a writable file: validate every chain, check that no sector is used
  // twice, mark FAT/DIFAT sectors as such, build the free lists, and make
  // sure every directory tree follows the red-black rules.
  Status prepareForWriting() {
    std::vector<std::uint8_t> owned(fat.size(), 0);
    auto own = [&](std::uint32_t s, const std::string& what) -> Status {
      if (s >= owned.size()) return Error(Errc::bad_fat, what + ": sector " + std::to_string(s) + " not covered");
      if (owned[s]) return Error(Errc::cross_linked, what + ": sector " + std::to_string(s));
      owned[s] = 1;
      return {};
    };
    for (std::uint32_t s : fatLocs) CFB_TRY(own(s, "FAT"));
    for (std::uint32_t s : difatLocs) CFB_TRY(own(s, "DIFAT"));
    for (std::uint32_t s : dirLocs) CFB_TRY(own(s, "directory"));
    for (std::uint32_t s : miniFatLocs) CFB_TRY(own(s, "mini FAT"));
    for (std::uint32_t s : e[0].chain) CFB_TRY(own(s, "mini stream"));
    // Every stream's sectors up to its size belong to it alone.
    std::vector<std::uint8_t> ownedMini(miniFat.size(), 0);
    for (std::uint32_t id = 1; id < e.size(); ++id) {
      Entry& x = e[id];
      if (!x.reachable || x.type != kTypeStream) continue;
      CFB_TRY(ensureChain(id));
      const bool mini = isMini(x);
      const std::uint64_t need = (x.size + unit(mini) - 1) / unit(mini);
      const std::string what = "stream '" + utf16ToUtf8(x.name) + "'";
      for (std::size_t k = 0; k < need; ++k) {
        const std::uint32_t s = x.chain[k];
        if (mini) {
          if (ownedMini[s]) return Error(Errc::cross_linked, what + ": mini sector " + std::to_string(s));
          ownedMini[s] = 1;
        } else {
          CFB_TRY(own(s, what));
        }
      }
    }
    // A chain longer than its stream is cut; its tail is freed where
    // nothing else uses it.
    for (std::uint32_t id = 1; id < e.size(); ++id) {
      Entry& x = e[id];
      if (!x.reachable || x.type != kTypeStream) continue;
      const bool mini = isMini(x);
      const std::size_t need = std::size_t((x.size + unit(mini) - 1) / unit(mini));
      if (x.chain.size() <= need) continue;
      for (std::size_t k = need; k < x.chain.size(); ++k) {
        const std::uint32_t s = x.chain[k];
        if (!(mini ? ownedMini[s] : owned[s])) setNext(mini, s, kFreeSect);
      }
      x.chain.resize(need);
      if (need > 0) {
        setNext(mini, x.chain.back(), kEndOfChain);
      } else {
        x.start = kEndOfChain;
        touch(id);
      }
    }
    for (std::uint32_t s : fatLocs)
      if (fat[s] != kFatSect) setNext(false, s, kFatSect);
    for (std::uint32_t s : difatLocs)
      if (fat[s] != kDifSect) setNext(false, s, kDifSect);
    freshReg.assign(fat.size(), 0);
    freshMini.assign(miniFat.size(), 0);
    freeReg.clear();
    highWater = 0;
    for (std::uint32_t s = 0; s < fat.size(); ++s) {
      if (owned[s]) highWater = std::max(highWater, s);
      // A sector is free when the FAT says so and no chain uses it.
      if (!owned[s] && fat[s] == kFreeSect) freeReg.insert(s);
      else if (!owned[s] && s < fileSectors) highWater = std::max(highWater, s);  // leaked: keep it out of the way
    }
    if (fileSectors > 0) highWater = std::max<std::uint64_t>(highWater, std::min<std::uint64_t>(fileSectors - 1, kMaxRegSect - 1));
    // Unused mini sectors inside the mini stream are free; the ones past its end are
    // handed out by growing the mini stream.
    const std::uint64_t miniCount = (e[0].size + kMiniSectorSize - 1) / kMiniSectorSize;
    freeMini.clear();
    for (std::uint32_t m = 0; m < miniFat.size(); ++m) {
      if (m < miniCount) {
        if (!ownedMini[m]) {
          if (miniFat[m] != kFreeSect) setNext(true, m, kFreeSect);
          freeMini.insert(m);
        }
      } else if (miniFat[m] != kFreeSect) {
        setNext(true, m, kFreeSect);
      }
    }
    freeEntries.clear();
    for (std::uint32_t id = 1; id < e.size(); ++id) {
      if (e[id].type == kTypeEmpty) {
        freeEntries.insert(id);
      } else if (!e[id].reachable) {
        // unreachable garbage: make it an empty slot (its sectors, if any, stay allocated)
        e[id] = Entry{};
        touch(id);
        freeEntries.insert(id);
      }
    }
    for (auto& [sid, idx] : names) {
      if (!treeValid(sid)) rebuildTree(sid);
    }
    return {};
  }

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
  void replaceChild(std::uint32_t sid, std::uint32_t parent, std::uint32_t oldc, std::uint32_t newc) {
    if (parent == kNoStream) {
      rootOf(sid) = newc;
      touch(sid);
    } else if (e[parent].left == oldc) {
      e[parent].left = newc;
      touch(parent);
    } else {
      e[parent].right = newc;
      touch(parent);
    }
    if (newc != kNoStream) e[newc].parent = parent;
  }
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

  void rbInsert(std::uint32_t sid, std::uint32_t z) {
    e[z].left = e[z].right = kNoStream;
    e[z].color = kRed;
    touch(z);
    std::uint32_t parent = kNoStream;
    std::uint32_t cur = rootOf(sid);
    bool goLeft = false;
    while (cur != kNoStream) {
      parent = cur;
      goLeft = compareNames(e[z].name, e[cur].name) < 0;
      cur = goLeft ? e[cur].left : e[cur].right;
    }
    e[z].parent = parent;
    if (parent == kNoStream) {
      rootOf(sid) = z;
      touch(sid);
    } else if (goLeft) {
      setLeft(parent, z);
    } else {
      setRight(parent, z);
    }
    // fix-up
    while (z != rootOf(sid) && red(e[z].parent)) {
      std::uint32_t p = e[z].parent;
      const std::uint32_t g = e[p].parent;
      if (g == kNoStream) break;
      if (p == e[g].left) {
        const std::uint32_t u = e[g].right;
        if (red(u)) {
          setColor(p, kBlack);
          setColor(u, kBlack);
          setColor(g, kRed);
          z = g;
        } else {
          if (z == e[p].right) {
            z = p;
            rotateLeft(sid, z);
            p = e[z].parent;
          }
          setColor(p, kBlack);
          setColor(g, kRed);
          rotateRight(sid, g);
        }
      } else {
        const std::uint32_t u = e[g].left;
        if (red(u)) {
          setColor(p, kBlack);
          setColor(u, kBlack);
          setColor(g, kRed);
          z = g;
        } else {
          if (z == e[p].left) {
            z = p;
            rotateRight(sid, z);
            p = e[z].parent;
          }
          setColor(p, kBlack);
          setColor(g, kRed);
          rotateLeft(sid, g);
        }
      }
    }
    setColor(rootOf(sid), kBlack);
  }

  void rbErase(std::uint32_t sid, std::uint32_t z) {
    std::uint32_t x, xParent;
    std::uint8_t removedColor = e[z].color;
    if (e[z].left == kNoStream || e[z].right == kNoStream) {
      x = e[z].left != kNoStream ? e[z].left : e[z].right;
      xParent = e[z].parent;
      replaceChild(sid, e[z].parent, z, x);
    } else {
      std::uint32_t y = e[z].right;
      while (e[y].left != kNoStream) y = e[y].left;
      removedColor = e[y].color;
      x = e[y].right;
      if (e[y].parent == z) {
        xParent = y;
      } else {
        xParent = e[y].parent;
        replaceChild(sid, e[y].parent, y, x);
        setRight(y, e[z].right);
      }
      replaceChild(sid, e[z].parent, z, y);
      setLeft(y, e[z].left);
      setColor(y, e[z].color);
    }
    e[z].left = e[z].right = kNoStream;
    e[z].parent = kNoStream;
    if (removedColor == kBlack) eraseFixup(sid, x, xParent);
  }

  void eraseFixup(std::uint32_t sid, std::uint32_t x, std::uint32_t xParent) {
    while (x != rootOf(sid) && !red(x) && xParent != kNoStream) {
      if (x == e[xParent].left) {
        std::uint32_t w = e[xParent].right;
        if (w == kNoStream) {  // only in a tree that broke the rules
          x = xParent;
          xParent = e[x].parent;
          continue;
        }
        if (red(w)) {
          setColor(w, kBlack);
          setColor(xParent, kRed);
          rotateLeft(sid, xParent);
          w = e[xParent].right;
          if (w == kNoStream) continue;
        }
        if (!red(e[w].left) && !red(e[w].right)) {
          setColor(w, kRed);
          x = xParent;
          xParent = e[x].parent;
        } else {
          if (!red(e[w].right)) {
            setColor(e[w].left, kBlack);
            setColor(w, kRed);
            rotateRight(sid, w);
            w = e[xParent].right;
          }
          setColor(w, e[xParent].color);
          setColor(xParent, kBlack);
          if (e[w].right != kNoStream) setColor(e[w].right, kBlack);
          rotateLeft(sid, xParent);
          x = rootOf(sid);
          break;
        }
      } else {
        std::uint32_t w = e[xParent].left;
        if (w == kNoStream) {
          x = xParent;
          xParent = e[x].parent;
          continue;
        }
        if (red(w)) {
          setColor(w, kBlack);
          setColor(xParent, kRed);
          rotateRight(sid, xParent);
          w = e[xParent].left;
          if (w == kNoStream) continue;
        }
        if (!red(e[w].left) && !red(e[w].right)) {
          setColor(w, kRed);
          x = xParent;
          xParent = e[x].parent;
        } else {
          if (!red(e[w].left)) {
            setColor(e[w].right, kBlack);
            setColor(w, kRed);
            rotateLeft(sid, w);
            w = e[xParent].left;
          }
          setColor(w, e[xParent].color);
          setColor(xParent, kBlack);
          if (e[w].left != kNoStream) setColor(e[w].left, kBlack);
          rotateRight(sid, xParent);
          x = rootOf(sid);
          break;
        }
      }
    }
    if (x != kNoStream) setColor(x, kBlack);
  }

  // In-order list of a storage's children (iterative).
  std::vector<std::uint32_t> inOrder(std::uint32_t sid) const {
    std::vector<std::uint32_t> out, stack;
    std::uint32_t cur = e[sid].child;
    while (cur != kNoStream || !stack.empty()) {
      while (cur != kNoStream) {
        stack.push_back(cur);
        cur = e[cur].left;
      }
      cur = stack.back();
      stack.pop_back();
      out.push_back(cur);
      cur = e[cur].right;
    }
    return out;
  }

  // Order and red-black rules of one storage's tree.
  bool treeValid(std::uint32_t sid) const {
    const std::uint32_t root = e[sid].child;
    if (root == kNoStream) return true;
    if (red(root)) return false;
    auto order = inOrder(sid);
    for (std::size_t i = 1; i < order.size(); ++i)
      if (compareNames(e[order[i - 1]].name, e[order[i]].name) >= 0) return false;
    // black height, iteratively: post-order with an explicit stack
    struct Fr {
      std::uint32_t id;
      int state;
      int lh;
    };
    std::vector<Fr> st{{root, 0, 0}};
    int result = 0;
    while (!st.empty()) {
      Fr& f = st.back();
      const Entry& x = e[f.id];
      if (f.state == 0) {
        if (red(f.id) && (red(x.left) || red(x.right))) return false;
        f.state = 1;
        if (x.left != kNoStream) {
          st.push_back({x.left, 0, 0});
          continue;
        }
        result = 0;
      }
      if (f.state == 1) {
        f.lh = result;
        f.state = 2;
        if (x.right != kNoStream) {
          st.push_back({x.right, 0, 0});
          continue;
        }
        result = 0;
      }
      if (result != f.lh) return false;
      result = f.lh + (red(f.id) ? 0 : 1);
      st.pop_back();
    }
    return true;
  }

  // Rebuilds a storage's tree as a balanced valid red-black tree.
  void rebuildTree(std::uint32_t sid) {
    auto order = inOrder(sid);
    std::sort(order.begin(), order.end(),
              [&](std::uint32_t a, std::uint32_t b) { return compareNames(e[a].name, e[b].name) < 0; });
    struct Rng {
      std::size_t lo, hi;
      std::uint32_t parent;
      int side;  // 0 root, 1 left, 2 right
      int depth;
    };
    std::vector<std::pair<std::uint32_t, int>> depths;
    int maxDepth = -1;
    std::vector<Rng> st;
    rootOf(sid) = kNoStream;
    touch(sid);
    if (!order.empty()) st.push_back({0, order.size(), kNoStream, 0, 0});
    while (!st.empty()) {
      const Rng r = st.back();
      st.pop_back();
      const std::size_t mid = (r.lo + r.hi) / 2;
      const std::uint32_t id = order[mid];
      e[id].left = e[id].right = kNoStream;
      e[id].parent = r.parent;
      touch(id);
      if (r.side == 0) rootOf(sid) = id;
      else if (r.side == 1) e[r.parent].left = id;
      else e[r.parent].right = id;
      depths.emplace_back(id, r.depth);
      maxDepth = std::max(maxDepth, r.depth);
      if (r.lo < mid) st.push_back({r.lo, mid, id, 1, r.depth + 1});
      if (mid + 1 < r.hi) st.push_back({mid + 1, r.hi, id, 2, r.depth + 1});
    }
    const bool perfect = ((order.size() + 1) & order.size()) == 0;
    for (auto [id, d] : depths) e[id].color = (!perfect && d == maxDepth) ? kRed : kBlack;
  }

  // ---- allocation --------------------------------------------------------
  // Adds FAT sectors (several at once in a larger file, placed together so
  // that data runs stay long and the FAT reads in few pieces).
  Status growFat() {
    std::size_t count = std::clamp<std::size_t>(fatLocs.size() / 4, 1, 32);
    const std::uint64_t base = fat.size();
    if (base + std::uint64_t(count) * eps + 2 > kMaxRegSect) count = 1;
    if (base + std::uint64_t(count) * eps + 2 > kMaxRegSect) return Error(Errc::too_large, "no more sectors");
    fat.resize(std::size_t(base + std::uint64_t(count) * eps), kFreeSect);
    freshReg.resize(fat.size(), 0);
    auto take = [&](std::uint32_t loc, std::uint32_t mark) {
      fat[loc] = mark;
      freshReg[loc] = 1;
      freshRegList.push_back(loc);
    };
    auto next = std::uint32_t(base);
    for (std::size_t c = 0; c < count; ++c) {
      const std::uint32_t loc = next++;
      take(loc, kFatSect);
      fatLocs.push_back(loc);
      dFat.insert(std::uint32_t(fatLocs.size() - 1));
      if (fatLocs.size() > kHeaderDifatEntries)
        dDifat.insert(std::uint32_t((fatLocs.size() - 1 - kHeaderDifatEntries) / (eps - 1)));
    }
    if (fatLocs.size() > kHeaderDifatEntries) {
      const std::size_t needDifat = (fatLocs.size() - kHeaderDifatEntries + eps - 2) / (eps - 1);
      while (difatLocs.size() < needDifat) {
        const std::uint32_t dl = next++;
        take(dl, kDifSect);
        if (!difatLocs.empty()) dDifat.insert(std::uint32_t(difatLocs.size() - 1));  // its "next" changes
        difatLocs.push_back(dl);
        dDifat.insert(std::uint32_t(difatLocs.size() - 1));
      }
    }
    for (std::uint64_t s = next; s < fat.size(); ++s) freeReg.insert(std::uint32_t(s));
    highWater = std::max(highWater, next - 1);
    return {};
  }

  Result<std::uint32_t> allocReg() {
    if (freeReg.empty()) CFB_TRY(growFat());
    const std::uint32_t s = *freeReg.begin();
    freeReg.erase(freeReg.begin());
    setNext(false, s, kEndOfChain);
    freshReg[s] = 1;
    freshRegList.push_back(s);
    highWater = std::max(highWater, s);
    return s;
  }

  Result<std::uint32_t> allocMini() {
    std::uint32_t m;
    if (!freeMini.empty()) {
      m = *freeMini.begin();
      freeMini.erase(freeMini.begin());
    } else {
      const std::uint64_t count = (e[0].size + kMiniSectorSize - 1) / kMiniSectorSize;
      if (count >= kMaxRegSect) return Errc::too_large;
      m = std::uint32_t(count);
      if (m >= miniFat.size()) {  // one more mini FAT sector
        auto s = allocReg();
        if (!s) return s.error();
        if (miniFatLocs.empty()) {
          // header field; the header is rebuilt at commit
        } else {
          setNext(false, miniFatLocs.back(), *s);
        }
        miniFatLocs.push_back(*s);
        miniFat.resize(miniFat.size() + eps, kFreeSect);
        freshMini.resize(miniFat.size(), 0);
        dMiniFat.insert(std::uint32_t(miniFatLocs.size() - 1));
      }
      const std::uint64_t needBytes = (std::uint64_t(m) + 1) * kMiniSectorSize;
      if (std::uint64_t(e[0].chain.size()) * ss < needBytes) {  // one more sector for the mini stream
        auto s = allocReg();
        if (!s) return s.error();
        if (e[0].chain.empty()) {
          e[0].start = *s;
        } else {
          setNext(false, e[0].chain.back(), *s);
        }
        e[0].chain.push_back(*s);
        // The new sector's unused mini sectors are never read, but keep the
        // file free of stale bytes: zero it.
        std::vector<std::uint8_t> zero(ss, 0);
        CFB_TRY(writeData(secOff(*s), zero.data(), ss));
      }
      e[0].size = needBytes;
      touch(0);
    }
    setNext(true, m, kEndOfChain);
    if (freshMini.size() < miniFat.size()) freshMini.resize(miniFat.size(), 0);
    freshMini[m] = 1;
    freshMiniList.push_back(m);
    return m;
  }

  Result<std::uint32_t> allocUnit(bool mini) { return mini ? allocMini() : allocReg(); }

  // A unit no longer used. One allocated in this transaction is free at once;
  // one of the committed file only after the commit.
  void freeUnit(bool mini, std::uint32_t s) {
    setNext(mini, s, kFreeSect);
    if (isFresh(mini, s)) {
      (mini ? freshMini : freshReg)[s] = 0;
      (mini ? freeMini : freeReg).insert(s);
    } else {
      (mini ? pendMini : pendReg).push_back(s);
    }
  }

  Result<std::uint32_t> allocEntry() {
    if (freeEntries.empty()) {
      auto s = allocReg();
      if (!s) return s.error();
      setNext(false, dirLocs.back(), *s);
      dirLocs.push_back(*s);
      const std::size_t first = e.size();
      e.resize(e.size() + dps);
      for (std::size_t i = first; i < e.size(); ++i) freeEntries.insert(std::uint32_t(i));
      dDir.insert(std::uint32_t(dirLocs.size() - 1));
    }
    const std::uint32_t id = *freeEntries.begin();
    freeEntries.erase(freeEntries.begin());
    return id;
  }

  // ---- stream content ------------------------------------------------------
  Result<std::size_t> readAt(std::uint32_t id, std::uint64_t off, std::uint8_t* buf, std::size_t len) {
    CFB_TRY(ensureChain(id));
    Entry& x = e[id];
    if (off >= x.size || len == 0) return std::size_t(0);
    const std::size_t n = std::size_t(std::min<std::uint64_t>(len, x.size - off));
    const bool mini = isMini(x);
    const std::uint32_t u = unit(mini);
    std::size_t done = 0;
    std::uint64_t runOff = 0;
    std::size_t runLen = 0;
    std::uint8_t* runBuf = buf;
    while (done < n) {
      const std::uint64_t pos = off + done;
      const std::uint32_t s = x.chain[pos / u];
      const std::uint32_t a = std::uint32_t(pos % u);
      const std::size_t k = std::min<std::size_t>(u - a, n - done);
      const std::uint64_t fo = unitOff(mini, s) + a;
      if (runLen > 0 && fo == runOff + runLen) {
        runLen += k;
      } else {
        if (runLen > 0) CFB_TRY(preadAll(runOff, runBuf, runLen));
        runOff = fo;
        runLen = k;
        runBuf = buf + done;
      }
      done += k;
    }
    if (runLen > 0) CFB_TRY(preadAll(runOff, runBuf, runLen));
    return n;
  }

  // Writes data into the stream's existing units, copying on write where the
  // committed file still uses the bytes.
  Status writeRange(std::uint32_t id, std::uint64_t off, const std::uint8_t* data, std::size_t len) {
    Entry& x = e[id];
    const bool mini = isMini(x);
    const std::uint32_t u = unit(mini);
    const std::uint64_t committedLimit = (x.committedMini == mini) ? x.committedSize : 0;
    std::vector<std::uint8_t> tmp;
    std::size_t done = 0;
    while (done < len) {
      const std::uint64_t pos = off + done;
      const std::size_t p = std::size_t(pos / u);
      const std::uint32_t a = std::uint32_t(pos % u);
      const std::size_t k = std::min<std::size_t>(u - a, len - done);
      const std::uint32_t s = x.chain[p];
      if (isFresh(mini, s) || pos >= committedLimit) {
        CFB_TRY(writeData(unitOff(mini, s) + a, data + done, k));
      } else {
        tmp.resize(u);
        if (a != 0 || k != u) CFB_TRY(preadAll(unitOff(mini, s), tmp.data(), u));
        std::memcpy(tmp.data() + a, data + done, k);
        auto s2 = allocUnit(mini);
        if (!s2) return s2.error();
        // allocMini may have moved nothing, but unitOff reads the root chain anew
        CFB_TRY(writeData(unitOff(mini, *s2), tmp.data(), u));
        setNext(mini, *s2, nextOf(mini, s));
        if (p == 0) {
          x.start = *s2;
          touch(id);
        } else {
          setNext(mini, x.chain[p - 1], *s2);
        }
        x.chain[p] = *s2;
        freeUnit(mini, s);
      }
      done += k;
    }
    return {};
  }

  Status writeZeros(std::uint32_t id, std::uint64_t off, std::uint64_t len) {
    if (len == 0) return {};
    std::vector<std::uint8_t> zero(std::size_t(std::min<std::uint64_t>(len, 1u << 16)), 0);
    while (len > 0) {
      const std::size_t k = std::size_t(std::min<std::uint64_t>(len, zero.size()));
      CFB_TRY(writeRange(id, off, zero.data(), k));
      off += k;
      len -= k;
    }
    return {};
  }

  // Appends units to the chain until it holds `size` bytes.
  Status extendChain(std::uint32_t id, bool mini, std::uint64_t size) {
    Entry& x = e[id];
    const std::uint64_t need = (size + unit(mini) - 1) / unit(mini);
    while (x.chain.size() < need) {
      auto s = allocUnit(mini);
      if (!s) return s.error();
      if (x.chain.empty()) {
        x.start = *s;
        touch(id);
      } else {
        setNext(mini, x.chain.back(), *s);
      }
      x.chain.push_back(*s);
    }
    return {};
  }

  void freeChain(std::uint32_t id) {
    Entry& x = e[id];
    const bool mini = isMini(x);
    for (std::uint32_t s : x.chain) freeUnit(mini, s);
    x.chain.clear();
    x.start = kEndOfChain;
    x.size = 0;
    touch(id);
  }

  // Sets the size; bytes [old size, min(new size, zeroUpTo)) become zeros.
  Status setSizeImpl(std::uint32_t id, std::uint64_t newSize, std::uint64_t zeroUpTo) {
    Entry& x = e[id];
    const std::uint64_t old = x.size;
    if (newSize == old) return {};
    const bool wasMini = isMini(x);
    const bool willMini = newSize < kMiniCutoff;
    if (wasMini != willMini) {
      // Move between the mini stream and regular sectors: at most 4096 bytes to carry.
      const std::uint64_t keep = std::min(old, newSize);
      std::vector<std::uint8_t> content(std::size_t(keep), 0);
      if (keep > 0) {
        auto r = readAt(id, 0, content.data(), content.size());
        if (!r) return r.error();
      }
      freeChain(id);
      x.size = newSize;
      CFB_TRY(extendChain(id, willMini, newSize));
      if (keep > 0) CFB_TRY(writeRange(id, 0, content.data(), content.size()));
      const std::uint64_t zEnd = std::min(newSize, zeroUpTo);
      if (zEnd > keep) CFB_TRY(writeZeros(id, keep, zEnd - keep));
      touch(id);
      return {};
    }
    const bool mini = wasMini;
    if (newSize < old) {
      const std::size_t need = std::size_t((newSize + unit(mini) - 1) / unit(mini));
      for (std::size_t k = need; k < x.chain.size(); ++k) freeUnit(mini, x.chain[k]);
      x.chain.resize(need);
      if (need > 0) {
        setNext(mini, x.chain.back(), kEndOfChain);
      } else {
        x.start = kEndOfChain;
      }
      x.size = newSize;
      touch(id);
      return {};
    }
    CFB_TRY(extendChain(id, mini, newSize));
    x.size = newSize;
    touch(id);
    const std::uint64_t zEnd = std::min(newSize, zeroUpTo);
    if (zEnd > old) CFB_TRY(writeZeros(id, old, zEnd - old));
    return {};
  }

  std::uint64_t maxStreamSize() const { return ver == 3 ? 0x80000000ull : (1ull << 44); }

  Status writeImpl(std::uint32_t id, std::uint64_t off, const std::uint8_t* data, std::size_t len) {
    if (len == 0) return {};
    const std::uint64_t end = off + len;
    if (end < off || end > maxStreamSize()) return Error(Errc::too_large, "stream size");
    if (end > e[id].size) CFB_TRY(setSizeImpl(id, end, off));
    return writeRange(id, off, data, len);
  }

  // ---- commit ---------------------------------------------------------------
  std::vector<std::uint8_t> buildHeader() const {
    std::vector<std::uint8_t> h(ss, 0);
    std::uint8_t* p = h.data();
    std::memcpy(p, kSignature, 8);
    std::memcpy(p + 8, hdrClsid.data(), 16);
    wr16(p + 24, minorVer);
    wr16(p + 26, std::uint16_t(ver));
    wr16(p + 28, 0xFFFE);
    wr16(p + 30, std::uint16_t(shift));
    wr16(p + 32, 6);
    wr32(p + 40, ver == 4 ? std::uint32_t(dirLocs.size()) : 0);
    wr32(p + 44, std::uint32_t(fatLocs.size()));
    wr32(p + 48, dirLocs.empty() ? kEndOfChain : dirLocs[0]);
    wr32(p + 52, txSig);
    wr32(p + 56, kMiniCutoff);
    wr32(p + 60, miniFatLocs.empty() ? kEndOfChain : miniFatLocs[0]);
    wr32(p + 64, std::uint32_t(miniFatLocs.size()));
    wr32(p + 68, difatLocs.empty() ? kEndOfChain : difatLocs[0]);
    wr32(p + 72, std::uint32_t(difatLocs.size()));
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i)
      wr32(p + 76 + 4 * i, i < fatLocs.size() ? fatLocs[i] : kFreeSect);
    return h;
  }

  void serializeEntry(const Entry& x, std::uint8_t* p) const {
    std::memset(p, 0, kDirEntrySize);
    if (x.type == kTypeEmpty) {
      wr32(p + 68, kNoStream);
      wr32(p + 72, kNoStream);
      wr32(p + 76, kNoStream);
      return;
    }
    for (std::size_t i = 0; i < x.name.size() && i < kMaxNameUnits; ++i) wr16(p + 2 * i, x.name[i]);
    wr16(p + 64, std::uint16_t((std::min<std::size_t>(x.name.size(), kMaxNameUnits) + 1) * 2));
    p[66] = x.type;
    p[67] = x.color;
    wr32(p + 68, x.left);
    wr32(p + 72, x.right);
    wr32(p + 76, x.child);
    std::memcpy(p + 80, x.clsid.data(), 16);
    wr32(p + 96, x.stateBits);
    wr64(p + 100, x.ctime);
    wr64(p + 108, x.mtime);
    const bool hasData = x.type == kTypeStream || x.type == kTypeRoot;
    wr32(p + 116, hasData && x.size > 0 ? x.start : (hasData ? kEndOfChain : 0));
    wr64(p + 120, hasData ? x.size : 0);
  }

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

  void endTransaction() {
    for (std::uint32_t s : pendReg) freeReg.insert(s);
    for (std::uint32_t s : pendMini) freeMini.insert(s);
    pendReg.clear();
    pendMini.clear();
    for (std::uint32_t s : freshRegList)
      if (s < freshReg.size()) freshReg[s] = 0;
    for (std::uint32_t s : freshMiniList)
      if (s < freshMini.size()) freshMini[s] = 0;
    freshRegList.clear();
    freshMiniList.clear();
    for (std::uint32_t id : touched) {
      if (id < e.size()) {
        e[id].committedSize = e[id].size;
        e[id].committedMini = isMini(e[id]);
      }
    }
    touched.clear();
    dFat.clear();
    dMiniFat.clear();
    dDir.clear();
    dDifat.clear();
  }

  Status commit() {
    if (!dirty()) return {};
    CFB_TRY(flushBatch());
    struct Img {
      std::uint32_t sector;
      std::vector<std::uint8_t> bytes;
    };
    std::vector<Img> direct, journal;
    auto add = [&](std::uint32_t loc, std::vector<std::uint8_t>&& b) {
      (isFresh(false, loc) ? direct : journal).push_back({loc, std::move(b)});
    };
    for (std::uint32_t i : dFat) {
      std::vector<std::uint8_t> b(ss);
      fillTable(fat, i, b.data());
      add(fatLocs[i], std::move(b));
    }
    for (std::uint32_t i : dMiniFat) {
      std::vector<std::uint8_t> b(ss);
      fillTable(miniFat, i, b.data());
      add(miniFatLocs[i], std::move(b));
    }
    for (std::uint32_t d : dDifat) {
      std::vector<std::uint8_t> b(ss);
      for (std::uint32_t k = 0; k + 1 < eps; ++k) {
        const std::size_t i = kHeaderDifatEntries + std::size_t(d) * (eps - 1) + k;
        wr32(b.data() + 4 * k, i < fatLocs.size() ? fatLocs[i] : kFreeSect);
      }
      wr32(b.data() + 4 * (eps - 1), d + 1 < difatLocs.size() ? difatLocs[d + 1] : kEndOfChain);
      add(difatLocs[d], std::move(b));
    }
    for (std::uint32_t i : dDir) {
      std::vector<std::uint8_t> b(ss);
      for (std::uint32_t k = 0; k < dps; ++k) serializeEntry(e[std::size_t(i) * dps + k], b.data() + k * kDirEntrySize);
      add(dirLocs[i], std::move(b));
    }
    auto bySector = [](const Img& a, const Img& b) { return a.sector < b.sector; };
    std::sort(direct.begin(), direct.end(), bySector);
    std::sort(journal.begin(), journal.end(), bySector);
    // (a) fresh metadata sectors in place, coalesced
    for (std::size_t i = 0; i < direct.size();) {
      std::size_t j = i + 1;
      while (j < direct.size() && direct[j].sector == direct[j - 1].sector + 1) ++j;
      if (j == i + 1) {
        CFB_TRY(pwriteRaw(secOff(direct[i].sector), direct[i].bytes.data(), ss));
      } else {
        std::vector<std::uint8_t> run;
        run.reserve((j - i) * ss);
        for (std::size_t k = i; k < j; ++k) run.insert(run.end(), direct[k].bytes.begin(), direct[k].bytes.end());
        CFB_TRY(pwriteRaw(secOff(direct[i].sector), run.data(), run.size()));
      }
      i = j;
    }
    // every sector in use must exist as a whole in the file
    const std::uint64_t needSize = secOff(highWater) + ss;
    if (physSize < needSize) {
      beforeWrite();
      if (::ftruncate(fd, static_cast<off_t>(needSize)) != 0) {
        broken = true;
        return Error(Errc::io_error, sysError("extend"));
      }
      physSize = needSize;
    }
    std::vector<std::uint8_t> newHdr = buildHeader();
    const bool hdrChanged = newHdr != committedHdr;
    if (journal.empty()) {
      if (hdrChanged) CFB_TRY(pwriteRaw(0, newHdr.data(), ss));  // (b)
    } else if (journal.size() == 1 && !hdrChanged) {
      CFB_TRY(pwriteRaw(secOff(journal[0].sector), journal[0].bytes.data(), ss));  // (c)
    } else {
      // (d) journal past everything in use, then the mark, then in place.
      const std::uint32_t count = std::uint32_t(journal.size() + 1);
      const std::uint64_t idxSectors = (16 + 4ull * count + ss - 1) / ss;
      std::vector<std::uint8_t> j((idxSectors + count) * ss, 0);
      std::memcpy(j.data(), kJournalMagic, 8);
      wr32(j.data() + 8, count);
      std::uint8_t* targets = j.data() + 16;
      std::uint8_t* imgs = j.data() + idxSectors * ss;
      for (std::size_t i = 0; i < journal.size(); ++i) {
        wr32(targets + 4 * i, journal[i].sector);
        std::memcpy(imgs + i * ss, journal[i].bytes.data(), ss);
      }
      wr32(targets + 4 * journal.size(), kJournalTargetHeader);
      std::memcpy(imgs + journal.size() * ss, newHdr.data(), ss);
      std::uint32_t c = crc32(targets, 4ull * count);
      c = crc32(imgs, std::size_t(count) * ss, c);
      wr32(j.data() + 12, c);
      const std::uint32_t jSector = highWater + 1;
      CFB_TRY(pwriteRaw(secOff(jSector), j.data(), j.size()));
      std::vector<std::uint8_t> marked = committedHdr;
      marked[34] = 'Q';
      marked[35] = 'J';
      wr32(marked.data() + 36, jSector);
      CFB_TRY(pwriteRaw(0, marked.data(), ss));
      for (std::size_t i = 0; i < journal.size();) {
        std::size_t k = i + 1;
        while (k < journal.size() && journal[k].sector == journal[k - 1].sector + 1) ++k;
        if (k == i + 1) {
          CFB_TRY(pwriteRaw(secOff(journal[i].sector), journal[i].bytes.data(), ss));
        } else {
          CFB_TRY(pwriteRaw(secOff(journal[i].sector), imgs + i * ss, (k - i) * ss));
        }
        i = k;
      }
      CFB_TRY(pwriteRaw(0, newHdr.data(), ss));
    }
    committedHdr = std::move(newHdr);
    fileSectors = std::max<std::uint64_t>(fileSectors, (physSize - ss) / ss);
    endTransaction();
    return {};
  }

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

  Result<std::uint32_t> find(std::uint32_t sid, std::string_view name) const {
    auto n = utf8ToUtf16(name);
    if (!n) return Error(Errc::invalid_name, std::string(name));
    auto it = names.find(sid);
    if (it == names.end()) return Error(Errc::not_found, std::string(name));
    auto f = it->second.find(nameKey(*n));
    if (f == it->second.end()) return Error(Errc::not_found, std::string(name));
    return f->second;
  }

  ElementInfo info(std::uint32_t id) const {
    const Entry& x = e[id];
    ElementInfo i;
    i.name16 = x.name;
    i.name = utf16ToUtf8(x.name);
    i.type = x.type == kTypeStream ? ElementType::Stream : ElementType::Storage;
    i.size = x.type == kTypeStream ? x.size : 0;
    i.clsid = x.clsid;
    i.stateBits = x.stateBits;
    i.created = x.ctime;
    i.modified = x.mtime;
    return i;
  }

  Result<std::uint32_t> createEntry(std::uint32_t sid, const std::u16string& name, std::uint8_t type) {
    auto id = allocEntry();
    if (!id) return id;
    Entry& x = e[*id];
    const std::uint32_t gen = x.gen;
    x = Entry{};
    x.gen = gen;
    x.name = name;
    x.type = type;
    x.owner = sid;
    x.reachable = true;
    x.chainLoaded = true;
    x.start = kEndOfChain;
    x.committedSize = 0;
    x.committedMini = type == kTypeStream;
    names[sid][nameKey(name)] = *id;
    if (type == kTypeStorage) names[*id];
    rbInsert(sid, *id);
    touch(*id);
    return id;
  }

  // Removes an element and everything below it.
  void destroyEntry(std::uint32_t id) {
    const std::uint32_t sid = e[id].owner;
    rbErase(sid, id);
    names[sid].erase(nameKey(e[id].name));
    std::vector<std::uint32_t> stack{id};
    while (!stack.empty()) {
      const std::uint32_t cur = stack.back();
      stack.pop_back();
      Entry& x = e[cur];
      if (x.type == kTypeStorage) {
        if (x.child != kNoStream) {
          for (std::uint32_t c : inOrder(cur)) stack.push_back(c);
        }
        names.erase(cur);
      } else if (x.type == kTypeStream) {
        freeChain(cur);
      }
      const std::uint32_t gen = x.gen + 1;
      x = Entry{};
      x.gen = gen;
      touch(cur);
      freeEntries.insert(cur);
    }
  }

  Status copyStorage(Impl& dst, std::uint32_t srcSid, std::uint32_t dstSid) {
    for (std::uint32_t id : inOrder(srcSid)) {
      const Entry& x = e[id];
      const std::u16string key = nameKey(x.name);
      auto& dnames = dst.names[dstSid];
      auto f = dnames.find(key);
      if (f != dnames.end() && dst.e[f->second].type != x.type) {
        dst.destroyEntry(f->second);
        f = dnames.end();
      }
      std::uint32_t did;
      if (f == dnames.end()) {
        auto r = dst.createEntry(dstSid, x.name, x.type);
        if (!r) return r.error();
        did = *r;
      } else {
        did = f->second;
      }
      dst.e[did].clsid = x.clsid;
      dst.e[did].stateBits = x.stateBits;
      dst.e[did].ctime = x.ctime;
      dst.e[did].mtime = x.mtime;
      dst.touch(did);
      if (x.type == kTypeStorage) {
        CFB_TRY(copyStorage(dst, id, did));
        continue;
      }
      CFB_TRY(ensureChain(id));
      dst.freeChain(did);
      CFB_TRY(dst.setSizeImpl(did, x.size, 0));
      std::vector<std::uint8_t> buf(std::size_t(std::min<std::uint64_t>(x.size, 1u << 20)));
      for (std::uint64_t off = 0; off < x.size;) {
        auto r = readAt(id, off, buf.data(), buf.size());
        if (!r) return r.error();
        if (*r == 0) break;
        CFB_TRY(dst.writeRange(did, off, buf.data(), *r));
        off += *r;
      }
    }
    return {};
  }

  // ---- whole-structure check ----------------------------------------------
  Status check() {
    CFB_TRY(checkOpen());
    std::vector<std::uint8_t> owned(fat.size(), 0);
    auto own = [&](std::uint32_t s, const char* what) -> Status {
      if (s >= owned.size()) return Error(Errc::bad_fat, std::string(what) + " sector not covered");
      if (owned[s]) return Error(Errc::cross_linked, std::string(what) + " sector " + std::to_string(s));
      owned[s] = 1;
      return {};
    };
    for (std::uint32_t s : fatLocs) {
      CFB_TRY(own(s, "FAT"));
      if (fat[s] != kFatSect) return Error(Errc::bad_fat, "FAT sector not marked");
    }
    for (std::uint32_t s : difatLocs) {
      CFB_TRY(own(s, "DIFAT"));
      if (fat[s] != kDifSect) return Error(Errc::bad_fat, "DIFAT sector not marked");
    }
    std::vector<std::uint32_t> chain;
    CFB_TRY(walk(false, dirLocs.empty() ? kEndOfChain : dirLocs[0], chain, "directory"));
    if (chain != dirLocs) return Error(Errc::bad_directory, "directory chain differs");
    for (std::uint32_t s : chain) CFB_TRY(own(s, "directory"));
    CFB_TRY(walk(false, miniFatLocs.empty() ? kEndOfChain : miniFatLocs[0], chain, "mini FAT"));
    if (chain != miniFatLocs) return Error(Errc::bad_minifat, "mini FAT chain differs");
    for (std::uint32_t s : chain) CFB_TRY(own(s, "mini FAT"));
    if (e[0].size > 0) {
      CFB_TRY(walk(false, e[0].start, chain, "mini stream"));
      if (chain != e[0].chain) return Error(Errc::bad_minifat, "mini stream chain differs");
      for (std::uint32_t s : chain) CFB_TRY(own(s, "mini stream"));
    }
    std::vector<std::uint8_t> ownedMini(miniFat.size(), 0);
    for (std::uint32_t id = 1; id < e.size(); ++id) {
      const Entry& x = e[id];
      if (!x.reachable || x.type != kTypeStream) continue;
      const bool mini = isMini(x);
      if (x.size == 0) continue;
      CFB_TRY(walk(mini, x.start, chain, "stream"));
      const std::uint64_t need = (x.size + unit(mini) - 1) / unit(mini);
      if (chain.size() != need) return Error(Errc::chain_too_short, "chain length differs from the size");
      for (std::uint32_t s : chain) {
        if (mini) {
          if (ownedMini[s]) return Error(Errc::cross_linked, "mini sector " + std::to_string(s));
          ownedMini[s] = 1;
        } else {
          CFB_TRY(own(s, "stream"));
        }
      }
    }
    for (auto& [sid, idx] : names) {
      if (!treeValid(sid)) return Error(Errc::bad_directory, "tree of '" + utf16ToUtf8(e[sid].name) + "' breaks the rules");
      if (inOrder(sid).size() != idx.size()) return Error(Errc::bad_directory, "tree and index differ");
    }
    return {};
  }
};

Result<std::uint32_t> CompoundFile::Impl::storageId(Storage st) const {
  CFB_TRY(checkOpen());
  if (st.id_ >= e.size() || e[st.id_].gen != st.gen_ || !e[st.id_].reachable ||
      (e[st.id_].type != kTypeStorage && e[st.id_].type != kTypeRoot))
    return Errc::stale_handle;
  return st.id_;
}

// ---- CompoundFile ----------------------------------------------------------

CompoundFile::CompoundFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CompoundFile::~CompoundFile() {
  if (impl_ && impl_->isOpen) (void)close();
}

namespace {
Result<int> openLocked(const std::string& path, int flags, int lockOp) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return Error(Errc::file_exists, path);
    if (errno == ENOENT) return Error(Errc::not_found, path);
    return Error(Errc::io_error, sysError(path.c_str()));
  }
  if (::flock(fd, lockOp | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return Error(Errc::locked, path);
    errno = err;
    return Error(Errc::io_error, sysError("lock"));
  }
  return fd;
}
}  // namespace

Result<std::unique_ptr<CompoundFile>> CompoundFile::create(const std::string& path, CreateOptions options) {
  if (options.version != 3 && options.version != 4) return Error(Errc::unsupported_version, "create");
  auto fd = openLocked(path, O_RDWR | O_CREAT | (options.overwrite ? 0 : O_EXCL), LOCK_EX);
  if (!fd) return fd.error();
  auto impl = std::make_unique<Impl>();
  Impl& m = *impl;
  m.fd = *fd;
  m.path = path;
  m.ro = false;
  if (::ftruncate(m.fd, 0) != 0) return Error(Errc::io_error, sysError("truncate"));
  m.ver = options.version;
  m.shift = m.ver == 3 ? 9 : 12;
  m.ss = 1u << m.shift;
  m.eps = m.ss / 4;
  m.dps = m.ss / kDirEntrySize;
  // sector 0: FAT, sector 1: directory with the root entry
  m.fat.assign(m.eps, kFreeSect);
  m.fat[0] = kFatSect;
  m.fat[1] = kEndOfChain;
  m.fatLocs = {0};
  m.dirLocs = {1};
  m.e.resize(m.dps);
  m.e[0].name = u"Root Entry";
  m.e[0].type = kTypeRoot;
  m.e[0].color = kBlack;
  m.e[0].reachable = true;
  m.e[0].chainLoaded = true;
  for (std::uint32_t i = 1; i < m.dps; ++i) m.freeEntries.insert(i);
  for (std::uint32_t s = 2; s < m.eps; ++s) m.freeReg.insert(s);
  m.names[0];
  m.freshReg.assign(m.fat.size(), 0);
  m.highWater = 1;
  std::vector<std::uint8_t> img(std::size_t(m.ss) * 3, 0);
  auto hdr = m.buildHeader();
  std::memcpy(img.data(), hdr.data(), m.ss);
  m.fillTable(m.fat, 0, img.data() + m.ss);
  for (std::uint32_t k = 0; k < m.dps; ++k) m.serializeEntry(m.e[k], img.data() + 2 * m.ss + k * kDirEntrySize);
  m.isOpen = true;
  CFB_TRY(m.pwriteRaw(0, img.data(), img.size()));
  m.committedHdr = hdr;
  m.fileSectors = 2;
  m.syncParentDir = true;
  return std::unique_ptr<CompoundFile>(new CompoundFile(std::move(impl)));
}

Result<std::unique_ptr<CompoundFile>> CompoundFile::open(const std::string& path, OpenMode mode) {
  const bool rw = mode == OpenMode::ReadWrite;
  auto fd = openLocked(path, rw ? O_RDWR : O_RDONLY, rw ? LOCK_EX : LOCK_SH);
  if (!fd) return fd.error();
  auto impl = std::make_unique<Impl>();
  impl->fd = *fd;
  impl->path = path;
  impl->ro = !rw;
  struct stat sb {};
  if (::fstat(impl->fd, &sb) != 0) return Error(Errc::io_error, sysError("stat"));
  impl->physSize = std::uint64_t(sb.st_size);
  impl->isOpen = true;
  CFB_TRY(impl->load());
  return std::unique_ptr<CompoundFile>(new CompoundFile(std::move(impl)));
}

Result<std::unique_ptr<CompoundFile>> CompoundFile::openMemory(std::span<const std::uint8_t> bytes) {
  auto impl = std::make_unique<Impl>();
  impl->memBacked = true;
  impl->mem.assign(bytes.begin(), bytes.end());
  impl->physSize = impl->mem.size();
  impl->ro = true;
  impl->isOpen = true;
  CFB_TRY(impl->load());
  return std::unique_ptr<CompoundFile>(new CompoundFile(std::move(impl)));
}

Status CompoundFile::close() {
  Impl& m = *impl_;
  if (!m.isOpen) return Errc::closed;
  Status st;
  if (!m.ro && !m.broken) {
    st = m.commit();
    if (st.ok()) {
      // Drop the unused tail (old journals, freed sectors at the end).
      std::uint64_t last = 0;
      bool any = false;
      for (std::size_t s = m.fat.size(); s-- > 0;) {
        if (m.fat[s] != kFreeSect) {
          last = s;
          any = true;
          break;
        }
      }
      const std::uint64_t size = any ? m.secOff(std::uint32_t(last)) + m.ss : m.ss;
      if (m.physSize > size) m.beforeWrite();
      if (m.physSize > size && ::ftruncate(m.fd, static_cast<off_t>(size)) != 0)
        st = Error(Errc::io_error, sysError("truncate"));
    }
  }
  m.closeFd();
  m.isOpen = false;
  m.e.clear();
  m.fat.clear();
  m.miniFat.clear();
  m.names.clear();
  m.mem.clear();
  return st;
}

Status CompoundFile::flush() {
  Impl& m = *impl_;
  CFB_TRY(m.checkOpen());
  if (m.memBacked || m.ro) return {};
  CFB_TRY(m.commit());
  m.beforeWrite();
  if (::fsync(m.fd) != 0) return Error(Errc::io_error, sysError("fsync"));
  if (m.syncParentDir) {
    const auto slash = m.path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : m.path.substr(0, slash));
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      const int r = ::fsync(dfd);
      ::close(dfd);
      if (r != 0) return Error(Errc::io_error, sysError("fsync of the folder"));
    }
    m.syncParentDir = false;
  }
  return {};
}

bool CompoundFile::isOpen() const { return impl_->isOpen; }
bool CompoundFile::isReadOnly() const { return impl_->ro; }
int CompoundFile::version() const { return impl_->ver; }
const std::string& CompoundFile::path() const { return impl_->path; }

Result<std::vector<ElementInfo>> CompoundFile::list(Storage storage) const {
  auto sid = impl_->storageId(storage);
  if (!sid) return sid.error();
  std::vector<ElementInfo> out;
  for (std::uint32_t id : impl_->inOrder(*sid)) out.push_back(impl_->info(id));
  return out;
}

Result<ElementInfo> CompoundFile::stat(Storage storage, std::string_view name) const {
  auto sid = impl_->storageId(storage);
  if (!sid) return sid.error();
  auto id = impl_->find(*sid, name);
  if (!id) return id.error();
  return impl_->info(*id);
}

bool CompoundFile::exists(Storage storage, std::string_view name) const { return stat(storage, name).ok(); }

Result<Stream> CompoundFile::createStream(Storage storage, std::string_view name, bool overwrite) {
  Impl& m = *impl_;
  CFB_TRY(m.checkWritable());
  auto sid = m.storageId(storage);
  if (!sid) return sid.error();
  auto n = m.toName(name);
  if (!n) return n.error();
  std::uint32_t id = 0;
  auto existing = m.find(*sid, name);
  if (existing) {
    if (!overwrite) return Error(Errc::already_exists, std::string(name));
    if (m.e[*existing].type != kTypeStream) return Error(Errc::wrong_type, std::string(name));
    id = *existing;
    CFB_TRY(m.transact([&]() -> Status {
      m.freeChain(id);
      return {};
    }));
  } else {
    CFB_TRY(m.transact([&]() -> Status {
      auto r = m.createEntry(*sid, *n, kTypeStream);
      if (!r) return r.error();
      id = *r;
      return {};
    }));
  }
  return Stream(this, id, m.e[id].gen);
}

Result<Stream> CompoundFile::openStream(Storage storage, std::string_view name) {
  auto sid = impl_->storageId(storage);
  if (!sid) return sid.error();
  auto id = impl_->find(*sid, name);
  if (!id) return id.error();
  if (impl_->e[*id].type != kTypeStream) return Error(Errc::wrong_type, std::string(name));
  return Stream(this, *id, impl_->e[*id].gen);
}

Result<Storage> CompoundFile::createStorage(Storage storage, std::string_view name) {
  Impl& m = *impl_;
  CFB_TRY(m.checkWritable());
  auto sid = m.storageId(storage);
  if (!sid) return sid.error();
  auto n = m.toName(name);
  if (!n) return n.error();
  if (m.find(*sid, name)) return Error(Errc::already_exists, std::string(name));
  std::uint32_t id = 0;
  CFB_TRY(m.transact([&]() -> Status {
    auto r = m.createEntry(*sid, *n, kTypeStorage);
    if (!r) return r.error();
    id = *r;
    return {};
  }));
  return Storage(id, m.e[id].gen);
}

Result<Storage> CompoundFile::openStorage(Storage storage, std::string_view name) {
  auto sid = impl_->storageId(storage);
  if (!sid) return sid.error();
  auto id = impl_->find(*sid, name);
  if (!id) return id.error();
  if (impl_->e[*id].type != kTypeStorage) return Error(Errc::wrong_type, std::string(name));
  return Storage(*id, impl_->e[*id].gen);
}

Status CompoundFile::rename(Storage storage, std::string_view oldName, std::string_view newName) {
  Impl& m = *impl_;
  CFB_TRY(m.checkWritable());
  auto sid = m.storageId(storage);
  if (!sid) return sid.error();
  auto id = m.find(*sid, oldName);
  if (!id) return id.error();
  auto n = m.toName(newName);
  if (!n) return n.error();
  auto other = m.find(*sid, newName);
  if (other && *other != *id) return Error(Errc::already_exists, std::string(newName));
  return m.transact([&]() -> Status {
    m.rbErase(*sid, *id);
    m.names[*sid].erase(nameKey(m.e[*id].name));
    m.e[*id].name = *n;
    m.names[*sid][nameKey(*n)] = *id;
    m.rbInsert(*sid, *id);
    m.touch(*id);
    return {};
  });
}

Status CompoundFile::destroy(Storage storage, std::string_view name) {
  Impl& m = *impl_;
  CFB_TRY(m.checkWritable());
  auto sid = m.storageId(storage);
  if (!sid) return sid.error();
  auto id = m.find(*sid, name);
  if (!id) return id.error();
  return m.transact([&]() -> Status {
    m.destroyEntry(*id);
    return {};
  });
}

Result<std::vector<std::uint8_t>> CompoundFile::readStream(std::string_view name) const {
  auto s = const_cast<CompoundFile*>(this)->openStream(root(), name);
  if (!s) return s.error();
  return s->readAll();
}

Status CompoundFile::writeStream(std::string_view name, std::span<const std::uint8_t> data) {
  Impl& m = *impl_;
  CFB_TRY(m.checkWritable());
  auto n = m.toName(name);
  if (!n) return n.error();
  if (data.size() > m.maxStreamSize()) return Errc::too_large;
  auto existing = m.find(0, name);
  if (existing && m.e[*existing].type != kTypeStream) return Error(Errc::wrong_type, std::string(name));
  return m.transact([&]() -> Status {
    std::uint32_t id;
    if (existing) {
      id = *existing;
      m.freeChain(id);
    } else {
      auto r = m.createEntry(0, *n, kTypeStream);
      if (!r) return r.error();
      id = *r;
    }
    return m.writeImpl(id, 0, data.data(), data.size());
  });
}

Status CompoundFile::copyTo(CompoundFile& dst) const {
  if (&dst == this) return Error(Errc::invalid_argument, "copy onto itself");
  Impl& m = *impl_;
  CFB_TRY(m.checkOpen());
  Impl& d = *dst.impl_;
  return d.transact([&]() -> Status {
    d.e[0].clsid = m.e[0].clsid;
    d.e[0].stateBits = m.e[0].stateBits;
    d.touch(0);
    return m.copyStorage(d, 0, 0);
  });
}

Status CompoundFile::checkConsistency() const { return impl_->check(); }

void CompoundFile::setWriteHookForTesting(std::function<void(std::uint64_t)> hook) {
  impl_->writeHook = std::move(hook);
  impl_->writeCount = 0;
}

// ---- Stream -----------------------------------------------------------------

Result<std::uint64_t> Stream::size() const {
  if (!file_) return Errc::stale_handle;
  auto id = file_->impl_->streamId(id_, gen_);
  if (!id) return id.error();
  return file_->impl_->e[*id].size;
}

Result<std::string> Stream::name() const {
  if (!file_) return Errc::stale_handle;
  auto id = file_->impl_->streamId(id_, gen_);
  if (!id) return id.error();
  return utf16ToUtf8(file_->impl_->e[*id].name);
}

Result<std::size_t> Stream::readAt(std::uint64_t off, std::span<std::uint8_t> buf) const {
  if (!file_) return Errc::stale_handle;
  auto id = file_->impl_->streamId(id_, gen_);
  if (!id) return id.error();
  return file_->impl_->readAt(*id, off, buf.data(), buf.size());
}

Status Stream::writeAt(std::uint64_t off, std::span<const std::uint8_t> data) {
  if (!file_) return Errc::stale_handle;
  auto& m = *file_->impl_;
  CFB_TRY(m.checkWritable());
  auto id = m.streamId(id_, gen_);
  if (!id) return id.error();
  if (off + data.size() < off || off + data.size() > m.maxStreamSize()) return Errc::too_large;
  return m.transact([&]() { return m.writeImpl(*id, off, data.data(), data.size()); });
}

Status Stream::setSize(std::uint64_t newSize) {
  if (!file_) return Errc::stale_handle;
  auto& m = *file_->impl_;
  CFB_TRY(m.checkWritable());
  auto id = m.streamId(id_, gen_);
  if (!id) return id.error();
  if (newSize > m.maxStreamSize()) return Errc::too_large;
  return m.transact([&]() { return m.setSizeImpl(*id, newSize, newSize); });
}

Result<std::vector<std::uint8_t>> Stream::readAll() const {
  auto sz = size();
  if (!sz) return sz.error();
  auto& m = *file_->impl_;
  CFB_TRY(m.ensureChain(id_));  // validates the size against the chain before allocating
  std::vector<std::uint8_t> out(static_cast<std::size_t>(*sz));
  auto r = m.readAt(id_, 0, out.data(), out.size());
  if (!r) return r.error();
  return out;
}

Status Stream::replace(std::span<const std::uint8_t> data) {
  if (!file_) return Errc::stale_handle;
  auto& m = *file_->impl_;
  CFB_TRY(m.checkWritable());
  auto id = m.streamId(id_, gen_);
  if (!id) return id.error();
  if (data.size() > m.maxStreamSize()) return Errc::too_large;
  return m.transact([&]() -> Status {
    m.freeChain(*id);
    return m.writeImpl(*id, 0, data.data(), data.size());
  });
}

Result<std::size_t> Stream::read(std::span<std::uint8_t> buf) {
  auto r = readAt(pos_, buf);
  if (r) pos_ += *r;
  return r;
}

Status Stream::write(std::span<const std::uint8_t> data) {
  auto st = writeAt(pos_, data);
  if (st) pos_ += data.size();
  return st;
}

Result<std::uint64_t> Stream::seek(std::int64_t off, Whence whence) {
  std::int64_t base = 0;
  if (whence == Whence::Current) {
    base = std::int64_t(pos_);
  } else if (whence == Whence::End) {
    auto sz = size();
    if (!sz) return sz.error();
    base = std::int64_t(*sz);
  }
  if ((off < 0 && base + off < 0)) return Error(Errc::invalid_argument, "seek before the start");
  pos_ = std::uint64_t(base + off);
  return pos_;
}

}  // namespace cfb
