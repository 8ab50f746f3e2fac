// The whole-structure check: every chain, every entry and every tree.
#include "platform/cfb/compound_file_impl.h"

namespace cfb {

Status CompoundFile::Impl::check() {
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

}  // namespace cfb
