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
//        b. if no other sector changed, the new header alone is written (one
//           512-byte write, which a killed process cannot tear);
//        c. if exactly one committed metadata sector changed and the header
//           did not, that sector is written in place (one write, not torn);
//        d. otherwise every committed metadata sector that changed is moved
//           to a fresh sector first (shadow copies): a moved FAT or DIFAT
//           sector changes the DIFAT that lists it, a moved directory or mini
//           FAT sector the FAT entry that chains to it, and so on until only
//           the header points into the committed file; the old sectors are
//           freed once the transaction has committed. Then everything is
//           fresh and case b applies: the single header write switches from
//           the old metadata to the new.
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

std::size_t CompoundFile::Impl::committedMetadataChanges() const {
  std::size_t n = 0;
  auto count = [&](const std::set<std::uint32_t>& changed, const std::vector<std::uint32_t>& locs) {
    for (std::uint32_t i : changed)
      if (i < locs.size() && !isFresh(false, locs[i])) ++n;
  };
  count(dFat, fatLocs);
  count(dMiniFat, miniFatLocs);
  count(dDifat, difatLocs);
  count(dDir, dirLocs);
  return n;
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
  // it (the caller dirties it) points to the copy.
  auto moveListed = [&](std::vector<std::uint32_t>& locs, std::uint32_t i, std::uint32_t mark) -> Status {
    auto n = allocReg();
    if (!n) return n.error();
    const std::uint32_t old = locs[i];
    locs[i] = *n;
    setNext(false, *n, mark);
    freeUnit(false, old);
    return {};
  };
  auto committedOf = [&](const std::set<std::uint32_t>& changed, const std::vector<std::uint32_t>& locs) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t i : changed)
      if (i < locs.size() && !isFresh(false, locs[i])) out.push_back(i);
    return out;
  };
  for (bool again = true; again;) {
    again = false;
    for (std::uint32_t i : committedOf(dFat, fatLocs)) {
      CFB_TRY(moveListed(fatLocs, i, kFatSect));
      if (i >= kHeaderDifatEntries) dDifat.insert(std::uint32_t((i - kHeaderDifatEntries) / (eps - 1)));
      again = true;
    }
    // A moved DIFAT sector changes the "next" entry of the one before it,
    // which then moves too: from the last changed one down to the header in
    // one pass, not one link per round.
    const std::vector<std::uint32_t> difatChanged = committedOf(dDifat, difatLocs);
    if (!difatChanged.empty()) {
      for (std::uint32_t d = difatChanged.back() + 1; d-- > 0;) {
        if (!dDifat.contains(d) || isFresh(false, difatLocs[d])) continue;
        CFB_TRY(moveListed(difatLocs, d, kDifSect));
        if (d > 0) dDifat.insert(d - 1);
      }
      again = true;
    }
    for (std::uint32_t i : committedOf(dMiniFat, miniFatLocs)) {
      CFB_TRY(moveInChain(miniFatLocs, i));
      again = true;
    }
    for (std::uint32_t i : committedOf(dDir, dirLocs)) {
      CFB_TRY(moveInChain(dirLocs, i));
      again = true;
    }
  }
  return {};
}

Status CompoundFile::Impl::commit() {
  if (!dirty()) return {};
  CFB_TRY(flushBatch());
  const std::size_t inPlace = committedMetadataChanges();
  if (inPlace > 1 || (inPlace == 1 && buildHeader() != committedHdr)) {
    if (Status st = shadowMetadata(); !st.ok()) {
      broken = true;
      return st;
    }
  }
  struct Img {
    std::uint32_t sector;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Img> direct, committed;
  auto add = [&](std::uint32_t loc, std::vector<std::uint8_t>&& b) {
    (isFresh(false, loc) ? direct : committed).push_back({loc, std::move(b)});
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
  std::sort(committed.begin(), committed.end(), bySector);
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
  if (committed.empty()) {
    if (hdrChanged) CFB_TRY(pwriteRaw(0, newHdr.data(), ss));  // (b)
  } else if (committed.size() == 1 && !hdrChanged) {
    CFB_TRY(pwriteRaw(secOff(committed[0].sector), committed[0].bytes.data(), ss));  // (c)
  } else {
    // shadowMetadata left at most one committed sector to change, alone
    broken = true;
    return Error(Errc::io_error, "commit: metadata left in place");
  }
  committedHdr = std::move(newHdr);
  fileSectors = std::max<std::uint64_t>(fileSectors, (physSize - ss) / ss);
  endTransaction();
  return {};
}

}  // namespace cfb
