#include "fuzz_entry.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cfb/cfb.h"

namespace {

void readEverything(cfb::CompoundFile& f) {
  std::vector<cfb::Storage> todo{f.root()};
  std::vector<std::uint8_t> buf(1 << 16);
  while (!todo.empty()) {
    const cfb::Storage st = todo.back();
    todo.pop_back();
    auto items = f.list(st);
    if (!items) continue;
    for (const auto& it : *items) {
      if (it.type == cfb::ElementType::Storage) {
        auto sub = f.openStorage(st, it.name);
        if (sub) todo.push_back(*sub);
        continue;
      }
      auto s = f.openStream(st, it.name);
      if (!s) continue;
      for (std::uint64_t off = 0;;) {
        auto n = s->readAt(off, buf);
        if (!n || *n == 0) break;
        off += *n;
      }
    }
  }
}

[[noreturn]] void failed(const char* what, const cfb::Error& e) {
  std::fprintf(stderr, "cfb fuzz property failed: %s: %s\n", what, e.message().c_str());
  std::abort();
}

}  // namespace

int cfbFuzzOne(const std::uint8_t* data, std::size_t size) {
  {
    auto f = cfb::CompoundFile::openMemory({data, size});
    if (f) {
      readEverything(**f);
      (void)(*f)->checkConsistency();
    }
  }
  // Read-write through a memory file.
  const int fd = ::memfd_create("cfbfuzz", MFD_CLOEXEC);
  if (fd < 0) return 0;
  if (::write(fd, data, size) != static_cast<ssize_t>(size)) {
    ::close(fd);
    return 0;
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  {
    auto f = cfb::CompoundFile::open(path, cfb::OpenMode::ReadWrite);
    if (f) {
      cfb::CompoundFile& cf = **f;
      std::vector<std::uint8_t> payload(5000);
      for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = std::uint8_t(i * 7);
      auto items = cf.list();
      if (items && !items->empty()) {
        const auto& first = items->front();
        if (first.type == cfb::ElementType::Stream) {
          auto s = cf.openStream(cf.root(), first.name);
          if (s) {
            (void)s->writeAt(first.size / 2, std::span(payload).first(700));
            (void)s->setSize(first.size / 3);
          }
        }
        (void)cf.rename(cf.root(), items->back().name, "renamed-by-fuzz");
        if (items->size() > 1) (void)cf.destroy(cf.root(), (*items)[1].name);
      }
      auto w = cf.writeStream("hlavicka", std::span(payload).first(300));
      if (!w && w.code() != cfb::Errc::already_exists && w.code() != cfb::Errc::wrong_type) failed("write", w.error());
      w = cf.writeStream("A0", payload);
      if (!w && w.code() != cfb::Errc::wrong_type) failed("write", w.error());
      auto c = cf.checkConsistency();
      if (!c) failed("consistency after writing", c.error());
      auto cl = cf.close();
      if (!cl) failed("close", cl.error());
      auto g = cfb::CompoundFile::open(path, cfb::OpenMode::ReadOnly);
      if (!g) failed("reopen", g.error());
      c = (*g)->checkConsistency();
      if (!c) failed("consistency after reopening", c.error());
      auto back = (*g)->readStream("A0");
      if (back && *back != payload) {
        std::fprintf(stderr, "cfb fuzz property failed: A0 reads back wrong\n");
        std::abort();
      }
    }
  }
  ::close(fd);
  return 0;
}
