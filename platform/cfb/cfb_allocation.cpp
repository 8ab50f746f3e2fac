// Sectors, mini sectors and directory slots, and the content of streams on them.
#include "platform/cfb/compound_file_impl.h"

namespace cfb {

// Adds FAT sectors (several at once in a larger file, placed together so
// that data runs stay long and the FAT reads in few pieces). A large file
// takes up to 256 at a time (128 KiB, describing 16 MiB): its data runs
// then outlast the write batch, so a large stream is written, and kept by
// the page cache, in pieces of the batch's size.
Status CompoundFile::Impl::growFat() {
  std::size_t count = std::clamp<std::size_t>(fatLocs.size() / 4, 1, 256);
  const std::uint64_t base = fat.size();
  if (base + std::uint64_t(count) * eps + 2 > kMaxRegSect) count = 1;
  if (base + std::uint64_t(count) * eps + 2 > kMaxRegSect) return Error(Errc::too_large, "no more sectors");
  fat.resize(std::size_t(base + std::uint64_t(count) * eps), kFreeSect);
  freshReg.resize(fat.size(), 0);
  usedReg.resize(fat.size(), 0);
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

Result<std::uint32_t> CompoundFile::Impl::allocReg() {
  if (freeReg.empty()) CFB_TRY(growFat());
  const std::uint32_t s = *freeReg.begin();
  freeReg.erase(freeReg.begin());
  setNext(false, s, kEndOfChain);
  freshReg[s] = 1;
  freshRegList.push_back(s);
  highWater = std::max(highWater, s);
  return s;
}

Result<std::uint32_t> CompoundFile::Impl::allocMini() {
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

// A unit no longer used. One allocated in this transaction is free at once;
// one of the committed file only after the commit.
void CompoundFile::Impl::freeUnit(bool mini, std::uint32_t s) {
  setNext(mini, s, kFreeSect);
  if (isFresh(mini, s)) {
    (mini ? freshMini : freshReg)[s] = 0;
    (mini ? freeMini : freeReg).insert(s);
  } else {
    (mini ? pendMini : pendReg).push_back(s);
  }
}

Result<std::uint32_t> CompoundFile::Impl::allocEntry() {
  if (freeEntries.empty()) {
    auto s = allocReg();
    if (!s) return s.error();
    setNext(false, dirLocs.back(), *s);
    dirLocs.push_back(*s);
    const std::size_t first = e.size();
    e.resize(e.size() + dps);
    liveEntry.resize(e.size(), 0);
    for (std::size_t i = first; i < e.size(); ++i) freeEntries.insert(std::uint32_t(i));
    dDir.insert(std::uint32_t(dirLocs.size() - 1));
  }
  const std::uint32_t id = *freeEntries.begin();
  freeEntries.erase(freeEntries.begin());
  return id;
}

Result<std::size_t> CompoundFile::Impl::readAt(std::uint32_t id, std::uint64_t off, std::uint8_t* buf, std::size_t len) {
  CFB_TRY(ensureChain(id));
  Entry& x = e[id];
  if (off >= x.size || len == 0) return std::size_t(0);
  const std::size_t n = std::size_t(std::min<std::uint64_t>(len, x.size - off));
  const bool mini = isMini(x);
  const std::uint32_t u = unit(mini);
  const std::uint32_t* chain = x.chain.data();
  const std::uint64_t last = (off + n - 1) / u;
  // One read per run of units that follow each other in the file. Runs a
  // few sectors apart are not joined into one call with the gap read into
  // scratch: measured, that saved nothing (a call costs about what copying a
  // few KiB does), while the run scan itself, once a compare per unit
  // through unitOff, was a visible part of a read from the page cache.
  std::uint64_t idx = off / u;
  std::size_t skip = std::size_t(off % u);
  std::size_t done = 0;
  while (done < n) {
    std::uint64_t end = idx + 1;
    if (mini) {
      while (end <= last && unitOff(true, chain[end]) == unitOff(true, chain[end - 1]) + u) ++end;
    } else {
      while (end <= last && chain[end] == chain[end - 1] + 1) ++end;
    }
    const std::size_t runLen = std::size_t(std::min<std::uint64_t>((end - idx) * u - skip, n - done));
    CFB_TRY(preadAll(unitOff(mini, chain[idx]) + skip, buf + done, runLen));
    done += runLen;
    idx = end;
    skip = 0;
  }
  return n;
}

// Writes data into the stream's existing units, copying on write where the
// committed file still uses the bytes.
Status CompoundFile::Impl::writeRange(std::uint32_t id, std::uint64_t off, const std::uint8_t* data, std::size_t len) {
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

Status CompoundFile::Impl::writeZeros(std::uint32_t id, std::uint64_t off, std::uint64_t len) {
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
Status CompoundFile::Impl::extendChain(std::uint32_t id, bool mini, std::uint64_t size) {
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

void CompoundFile::Impl::freeChain(std::uint32_t id) {
  Entry& x = e[id];
  const bool mini = isMini(x);
  for (std::uint32_t s : x.chain) freeUnit(mini, s);
  x.chain.clear();
  x.start = kEndOfChain;
  x.size = 0;
  touch(id);
}

// Sets the size; bytes [old size, min(new size, zeroUpTo)) become zeros.
Status CompoundFile::Impl::setSizeImpl(std::uint32_t id, std::uint64_t newSize, std::uint64_t zeroUpTo) {
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

}  // namespace cfb
