// Transactions and their commit.
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
//        b. committed sectors whose changes no reader of the committed file
//           looks at are written in place too: FAT entries of sectors the
//           committed file does not use, and directory entries its trees do
//           not reach. Entries of sectors the transaction frees keep their
//           old chain on disk until the next commit, which writes them free;
//        c. of the rest, the changes a reader would see, if a single
//           committed sector holds them all and the header does not change,
//           that sector is written in place last (one write, not torn);
//        d. otherwise they are moved to fresh sectors (shadow copies), a
//           level at a time: a moved directory or mini FAT sector changes the
//           FAT entry that chains to it, a moved FAT sector the DIFAT sector
//           (or the header) that lists it, a moved DIFAT sector the "next"
//           entry of the one before it; the old sectors are freed once the
//           transaction has committed. The moves stop at the first level where
//           one sector holds every visible change, written in place as in c,
//           or at the header: then everything else is fresh and the single
//           header write switches from the old metadata to the new.
//      So the cost of a commit follows what it changed, not the file's size:
//      a change near the end of a large file moves the DIFAT sectors between
//      the changed ones, not the whole chain from the header.
//      Files of earlier versions could carry a journal (a header mark in its
//      reserved bytes pointing past the end of the file): opening one replays
//      it, a read-only open in memory; one whose CRC does not match was never
//      committed and is ignored. Nothing writes journals any more, so any
//      standard reader, which knows nothing of them, sees the same file.
//   So at every instant the file on disk is the state before the transaction,
//   or the state after it, for this reader and for any other. Every stream that
//   was complete before an interrupted call reads back unchanged, and the
//   stream of the call reads back either as before or as after it.
//   This covers a killed process (the kernel keeps the writes that returned).
//   flush() calls fsync so that what was committed survives a power loss too;
//   between flushes a power loss may lose recent transactions.
#include <optional>

#include "platform/cfb/compound_file_impl.h"

namespace cfb {

std::vector<std::uint8_t> CompoundFile::Impl::buildHeader() const {
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

void CompoundFile::Impl::serializeEntry(const Entry& x, std::uint8_t* p) const {
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

void CompoundFile::Impl::endTransaction() {
  // What the file now uses: the sectors allocated in the transaction and kept,
  // not the ones it freed (their FAT entries go to disk with the next commit).
  for (std::uint32_t s : freshRegList)
    if (s < freshReg.size() && freshReg[s] && s < usedReg.size()) usedReg[s] = 1;
  deferredFat.clear();
  for (std::uint32_t s : pendReg) {
    if (s < usedReg.size()) usedReg[s] = 0;
    deferredFat.insert(s / eps);
  }
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
  if (liveEntry.size() < e.size()) liveEntry.resize(e.size(), 0);
  for (std::uint32_t id : touched) {
    if (id < e.size()) {
      e[id].committedSize = e[id].size;
      e[id].committedMini = isMini(e[id]);
      liveEntry[id] = e[id].type != kTypeEmpty && e[id].reachable ? 1 : 0;
    }
  }
  touched.clear();
  fatBefore.clear();
  dFat.clear();
  dMiniFat.clear();
  dDir.clear();
  dDifat.clear();
}

CompoundFile::Impl::VisibleChanges CompoundFile::Impl::visibleChanges() const {
  VisibleChanges v;
  // A directory sector changes for a reader when an entry reachable in the
  // committed file changed; new entries in unused slots it never reaches.
  std::set<std::uint32_t> dirs;
  for (std::uint32_t id : touched)
    if (id < liveEntry.size() && liveEntry[id] && !isFresh(false, dirLocs[id / dps])) dirs.insert(id / dps);
  v.dir.assign(dirs.begin(), dirs.end());
  for (std::uint32_t i : dMiniFat)
    if (i < miniFatLocs.size() && !isFresh(false, miniFatLocs[i])) v.miniFat.push_back(i);
  // A FAT sector changes for a reader when the entry of a sector in use
  // changed, other than to free it: freed ones keep their chain on disk
  // until the next commit.
  const auto pending = pendingFreeReg();
  std::set<std::uint32_t> fats;
  for (const auto& [s, before] : fatBefore)
    if (fat[s] != before && !pending.contains(s) && !isFresh(false, fatLocs[s / eps])) fats.insert(s / eps);
  v.fat.assign(fats.begin(), fats.end());
  for (std::uint32_t d : dDifat)
    if (d < difatLocs.size() && !isFresh(false, difatLocs[d])) v.difat.push_back(d);
  v.header = buildHeader() != committedHdr;
  return v;
}

Status CompoundFile::Impl::shadowMetadata() {
  // A sector of a chain (directory, mini FAT) moved: its predecessor, or the
  // header for the first, points to the copy.
  auto moveInChain = [&](std::vector<std::uint32_t>& locs, std::uint32_t i) -> Status {
    auto n = allocReg();
    if (!n) return n.error();
    const std::uint32_t old = locs[i];
    setNext(false, *n, fat[old]);
    if (i > 0) setNext(false, locs[i - 1], *n);
    locs[i] = *n;
    freeUnit(false, old);
    return {};
  };
  // A FAT or DIFAT sector moved: the FAT marks the copy, the list that names
  // it (the header or a DIFAT sector) points to the copy.
  auto moveListed = [&](std::vector<std::uint32_t>& locs, std::uint32_t i, std::uint32_t mark) -> Status {
    auto n = allocReg();
    if (!n) return n.error();
    const std::uint32_t old = locs[i];
    locs[i] = *n;
    setNext(false, *n, mark);
    freeUnit(false, old);
    return {};
  };
  // The moves go from the directory up to the header, a level at a time, and
  // stop as soon as a single sector holds every visible change: it is then
  // written in place as the switch. So a change near the end of a large file
  // moves the DIFAT sectors between the changed ones only, not the chain from
  // the header.
  for (;;) {
    const VisibleChanges v = visibleChanges();
    if (v.sectors() == 0 || (v.sectors() == 1 && !v.header)) return {};
    if (!v.dir.empty() || !v.miniFat.empty()) {
      for (std::uint32_t i : v.dir) CFB_TRY(moveInChain(dirLocs, i));
      for (std::uint32_t i : v.miniFat) CFB_TRY(moveInChain(miniFatLocs, i));
      continue;
    }
    if (!v.fat.empty()) {
      for (std::uint32_t i : v.fat) {
        CFB_TRY(moveListed(fatLocs, i, kFatSect));
        if (i >= kHeaderDifatEntries) dDifat.insert(std::uint32_t((i - kHeaderDifatEntries) / (eps - 1)));
      }
      continue;
    }
    // Only DIFAT sectors left. A moved one changes the "next" entry of the
    // one before it: down to the header when that changes anyway, else down
    // to the first changed one, which becomes the switch.
    const std::uint32_t low = v.header ? 0 : v.difat.front() + 1;
    for (std::uint32_t d = v.difat.back() + 1; d-- > low;) {
      if (isFresh(false, difatLocs[d])) continue;
      CFB_TRY(moveListed(difatLocs, d, kDifSect));
      if (d > 0) dDifat.insert(d - 1);
    }
  }
}

Status CompoundFile::Impl::commit() {
  if (!dirty() && deferredFat.empty()) return {};
  CFB_TRY(flushBatch());
  if (batch.capacity() > kBatchKeep) std::vector<std::uint8_t>().swap(batch);
  dFat.insert(deferredFat.begin(), deferredFat.end());
  if (Status st = shadowMetadata(); !st.ok()) {
    broken = true;
    return st;
  }
  // Entries of sectors freed in this transaction keep their old chain on
  // disk, so that the committed file reads on until the switch.
  std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> keptBySector;
  for (std::uint32_t s : pendReg) keptBySector[s / eps].push_back(s);
  const VisibleChanges visible = visibleChanges();
  struct Img {
    std::uint32_t sector;
    std::vector<std::uint8_t> bytes;
  };
  // fresh: nothing committed points there; unseen: committed sectors whose
  // changes a reader of the committed file does not see; the switch: the one
  // committed sector with visible changes, if any.
  std::vector<Img> fresh, unseen;
  std::optional<Img> switchImg;
  auto add = [&](std::uint32_t loc, std::vector<std::uint8_t>&& b, bool visibleChange) {
    if (isFresh(false, loc)) {
      fresh.push_back({loc, std::move(b)});
    } else if (visibleChange) {
      switchImg = Img{loc, std::move(b)};
    } else {
      unseen.push_back({loc, std::move(b)});
    }
  };
  auto listed = [](const std::vector<std::uint32_t>& v, std::uint32_t i) { return std::binary_search(v.begin(), v.end(), i); };
  for (std::uint32_t i : dFat) {
    std::vector<std::uint8_t> b(ss);
    fillTable(fat, i, b.data());
    if (auto k = keptBySector.find(i); k != keptBySector.end())
      for (std::uint32_t s : k->second)
        if (auto before = fatBefore.find(s); before != fatBefore.end()) wr32(b.data() + 4 * (s % eps), before->second);
    add(fatLocs[i], std::move(b), listed(visible.fat, i));
  }
  for (std::uint32_t i : dMiniFat) {
    std::vector<std::uint8_t> b(ss);
    fillTable(miniFat, i, b.data());
    add(miniFatLocs[i], std::move(b), listed(visible.miniFat, i));
  }
  for (std::uint32_t d : dDifat) {
    std::vector<std::uint8_t> b(ss);
    for (std::uint32_t k = 0; k + 1 < eps; ++k) {
      const std::size_t i = kHeaderDifatEntries + std::size_t(d) * (eps - 1) + k;
      wr32(b.data() + 4 * k, i < fatLocs.size() ? fatLocs[i] : kFreeSect);
    }
    wr32(b.data() + 4 * (eps - 1), d + 1 < difatLocs.size() ? difatLocs[d + 1] : kEndOfChain);
    add(difatLocs[d], std::move(b), listed(visible.difat, d));
  }
  for (std::uint32_t i : dDir) {
    std::vector<std::uint8_t> b(ss);
    for (std::uint32_t k = 0; k < dps; ++k) serializeEntry(e[std::size_t(i) * dps + k], b.data() + k * kDirEntrySize);
    add(dirLocs[i], std::move(b), listed(visible.dir, i));
  }
  if (visible.sectors() > 1 || (visible.sectors() == 1 && visible.header)) {
    // shadowMetadata left at most one committed sector to change visibly, alone
    broken = true;
    return Error(Errc::io_error, "commit: metadata left in place");
  }
  auto writeRuns = [&](std::vector<Img>& imgs) -> Status {
    std::sort(imgs.begin(), imgs.end(), [](const Img& a, const Img& b) { return a.sector < b.sector; });
    for (std::size_t i = 0; i < imgs.size();) {
      std::size_t j = i + 1;
      while (j < imgs.size() && imgs[j].sector == imgs[j - 1].sector + 1) ++j;
      if (j == i + 1) {
        CFB_TRY(pwriteRaw(secOff(imgs[i].sector), imgs[i].bytes.data(), ss));
      } else {
        std::vector<std::uint8_t> run;
        run.reserve((j - i) * ss);
        for (std::size_t k = i; k < j; ++k) run.insert(run.end(), imgs[k].bytes.begin(), imgs[k].bytes.end());
        CFB_TRY(pwriteRaw(secOff(imgs[i].sector), run.data(), run.size()));
      }
      i = j;
    }
    return {};
  };
  // (a) fresh metadata sectors, coalesced
  CFB_TRY(writeRuns(fresh));
  // every sector in use must exist as a whole in the file
  const std::uint64_t needSize = secOff(highWater) + ss;
  if (physSize < needSize) {
    const int fault = beforeWrite(FileCall::Truncate, needSize);
    if (fault != 0) errno = fault;
    if (fault != 0 || ::ftruncate(fd, static_cast<off_t>(needSize)) != 0) {
      broken = true;
      return Error(Errc::io_error, sysError("extend"));
    }
    physSize = needSize;
  }
  // (b) committed sectors changed where no reader of the committed file looks
  CFB_TRY(writeRuns(unseen));
  // (c) the switch: one sector write, which a killed process cannot tear
  std::vector<std::uint8_t> newHdr = buildHeader();
  if (switchImg) {
    CFB_TRY(pwriteRaw(secOff(switchImg->sector), switchImg->bytes.data(), ss));
  } else if (newHdr != committedHdr) {
    CFB_TRY(pwriteRaw(0, newHdr.data(), ss));
  }
  committedHdr = std::move(newHdr);
  fileSectors = std::max<std::uint64_t>(fileSectors, (physSize - ss) / ss);
  endTransaction();
  return {};
}

}  // namespace cfb
