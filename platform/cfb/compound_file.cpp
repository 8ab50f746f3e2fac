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
// Crash safety: see cfb_commit.cpp.
//

// Robust reading
//   Every size and sector index is checked against the file size before use;
//   every chain walk is bounded by the number of sectors and loop-checked with
//   a stamp per sector; the directory tree is walked iteratively with a visit
//   mark per entry. Allocations are bounded by the file size.
#include "platform/cfb/compound_file_impl.h"

namespace cfb {

Status CompoundFile::Impl::preadAll(std::uint64_t off, void* buf, std::size_t n) {
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

Status CompoundFile::Impl::pwriteRaw(std::uint64_t off, const void* buf, std::size_t n) {
  if (const int fault = beforeWrite(FileCall::Write, off, n)) {
    broken = true;
    errno = fault;
    return Error(Errc::io_error, sysError("write"));
  }
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

Status CompoundFile::Impl::flushBatch() {
  if (batch.empty()) return {};
  std::vector<std::uint8_t> b;
  b.swap(batch);
  auto st = pwriteRaw(batchOff, b.data(), b.size());
  b.clear();
  batch.swap(b);  // keep the capacity
  return st;
}

Status CompoundFile::Impl::writeData(std::uint64_t off, const std::uint8_t* p, std::size_t n) {
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

Status CompoundFile::Impl::readMeta(std::uint32_t s, std::uint8_t* buf) {
  if (!overrides.empty()) {
    auto it = overrides.find(s);
    if (it != overrides.end()) {
      std::memcpy(buf, it->second.data(), ss);
      return {};
    }
  }
  return preadAll(secOff(s), buf, ss);
}

// Walks a chain to ENDOFCHAIN; every index checked, loops detected.
Status CompoundFile::Impl::walk(bool mini, std::uint32_t start, std::vector<std::uint32_t>& out, const std::string& what) {
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

Status CompoundFile::Impl::ensureChain(std::uint32_t id) {
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

Status CompoundFile::Impl::parseEntry(const std::uint8_t* p, Entry& x) {
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

Status CompoundFile::Impl::readJournal(std::uint32_t j, std::vector<std::uint8_t>& hdrImage, std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>& images) {
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

Status CompoundFile::Impl::load() {
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
Status CompoundFile::Impl::walkTree() {
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
    // Only 0 is red; any other colour byte reads as black, and is held as
    // black so that a delete's fix-up sees the black it removes.
    if (x.color != kRed) x.color = kBlack;
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
Status CompoundFile::Impl::prepareForWriting() {
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
  usedReg = owned;
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
    // A sector is free when no chain uses it. One the FAT still marks
    // (left by a writer killed between its commits) is marked free again.
    if (owned[s] || s >= fileSectors) {
      if (!owned[s] && fat[s] == kFreeSect) freeReg.insert(s);
      continue;
    }
    if (fat[s] != kFreeSect) setNext(false, s, kFreeSect);
    freeReg.insert(s);
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
  liveEntry.assign(e.size(), 0);
  for (std::uint32_t id = 0; id < e.size(); ++id) liveEntry[id] = e[id].reachable ? 1 : 0;
  for (auto& [sid, idx] : names) {
    if (!treeValid(sid)) rebuildTree(sid);
  }
  return {};
}


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
// True when `path` is a symbolic link whose target does not exist.
bool danglingLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0;
}

// Opens without blocking (a FIFO would otherwise wait for a writer for good)
// and keeps only regular files; the descriptor then blocks as usual.
Result<int> openLocked(const std::string& path, int flags, int lockOp) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) {
    const int err = errno;
    if (err == EEXIST) {
      // An exclusive create meets a link to nothing: there is no file to
      // overwrite, and creating the link's target is not asked for.
      if (danglingLink(path)) return Error(Errc::not_regular_file, path);
      return Error(Errc::file_exists, path);
    }
    if (err == ENOENT) return Error(Errc::not_found, path);
    if (err == EISDIR || err == ENXIO || err == ELOOP) return Error(Errc::not_regular_file, path);
    if (err == EACCES || err == EPERM || err == EROFS) return Error(Errc::access_denied, path);
    return Error(Errc::io_error, sysError(path.c_str()));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Error(Errc::not_regular_file, path);
  }
  const int fileFlags = ::fcntl(fd, F_GETFL);
  if (fileFlags < 0 || ::fcntl(fd, F_SETFL, fileFlags & ~O_NONBLOCK) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return Error(Errc::io_error, sysError("fcntl"));
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
  m.usedReg.assign(m.fat.size(), 0);
  m.usedReg[0] = m.usedReg[1] = 1;
  m.liveEntry.assign(m.e.size(), 0);
  m.liveEntry[0] = 1;
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

namespace {

// The file's size without the unused tail a writer's close gives back.
std::uint64_t usedSize(const CompoundFile::Impl& m) {
  for (std::size_t s = m.fat.size(); s-- > 0;) {
    if (m.fat[s] != kFreeSect) return m.secOff(std::uint32_t(s)) + m.ss;
  }
  return m.ss;
}

}  // namespace

Status CompoundFile::close() {
  Impl& m = *impl_;
  if (!m.isOpen) return Errc::closed;
  Status st;
  if (!m.ro && !m.broken) {
    st = m.commit();
    if (st.ok()) {
      // Drop the unused tail (old journals, freed sectors at the end).
      const std::uint64_t size = usedSize(m);
      if (m.physSize > size) {
        const int fault = m.beforeWrite(FileCall::Truncate, size);
        if (fault != 0) errno = fault;
        if (fault != 0 || ::ftruncate(m.fd, static_cast<off_t>(size)) != 0)
          st = Error(Errc::io_error, sysError("truncate"));
      }
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
  const int fault = m.beforeWrite(FileCall::Sync);
  if (fault != 0) errno = fault;
  if (fault != 0 || ::fsync(m.fd) != 0) return Error(Errc::io_error, sysError("fsync"));
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

bool CompoundFile::isSettled() const {
  return impl_->isOpen && impl_->physSize <= usedSize(*impl_) && impl_->check().ok();
}

void CompoundFile::setWriteHookForTesting(std::function<void(std::uint64_t)> hook) {
  impl_->writeHook = std::move(hook);
  impl_->writeCount = 0;
}

void CompoundFile::setFileFaultForTesting(std::function<int(FileCall, std::uint64_t, std::uint64_t)> fault) {
  impl_->fileFault = std::move(fault);
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
