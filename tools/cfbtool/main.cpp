// cfbtool: look into and make compound files.
//   cfbtool list FILE          every element: type, size, path
//   cfbtool cat FILE STREAM    the stream's bytes to standard output
//                              (STREAM may name a stream in a storage as a/b)
//   cfbtool create FILE DIR    a new FILE with one stream per regular file of DIR
//   cfbtool check FILE         full structure check
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/cfb/cfb.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: cfbtool list FILE\n"
               "       cfbtool cat FILE STREAM\n"
               "       cfbtool create FILE DIR\n"
               "       cfbtool check FILE\n");
  return 2;
}

int fail(const std::string& what, const cfb::Error& e) {
  std::fprintf(stderr, "cfbtool: %s: %s\n", what.c_str(), e.message().c_str());
  return 1;
}

int listStorage(cfb::CompoundFile& f, cfb::Storage st, const std::string& prefix) {
  auto items = f.list(st);
  if (!items) return fail("list", items.error());
  for (const auto& it : *items) {
    const std::string path = prefix + it.name;
    if (it.type == cfb::ElementType::Storage) {
      std::printf("d %12s %s/\n", "", path.c_str());
      auto sub = f.openStorage(st, it.name);
      if (!sub) return fail(path, sub.error());
      if (int rc = listStorage(f, *sub, path + "/")) return rc;
    } else {
      std::printf("f %12llu %s\n", static_cast<unsigned long long>(it.size), path.c_str());
    }
  }
  return 0;
}

int cmdList(const std::string& file) {
  auto f = cfb::CompoundFile::open(file, cfb::OpenMode::ReadOnly);
  if (!f) return fail(file, f.error());
  return listStorage(**f, (*f)->root(), "");
}

int cmdCat(const std::string& file, const std::string& name) {
  auto f = cfb::CompoundFile::open(file, cfb::OpenMode::ReadOnly);
  if (!f) return fail(file, f.error());
  cfb::Storage st = (*f)->root();
  std::string rest = name;
  for (auto slash = rest.find('/'); slash != std::string::npos; slash = rest.find('/')) {
    auto sub = (*f)->openStorage(st, rest.substr(0, slash));
    if (!sub) return fail(name, sub.error());
    st = *sub;
    rest = rest.substr(slash + 1);
  }
  auto s = (*f)->openStream(st, rest);
  if (!s) return fail(name, s.error());
  std::vector<std::uint8_t> buf(1 << 16);
  for (;;) {
    auto n = s->read(buf);
    if (!n) return fail(name, n.error());
    if (*n == 0) break;
    if (std::fwrite(buf.data(), 1, *n, stdout) != *n) return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}

int cmdCreate(const std::string& file, const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) {
    std::perror(dir.c_str());
    return 1;
  }
  std::vector<std::string> names;
  while (dirent* ent = ::readdir(d)) {
    const std::string n = ent->d_name;
    struct stat sb {};
    if (::stat((dir + "/" + n).c_str(), &sb) == 0 && S_ISREG(sb.st_mode)) names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  auto f = cfb::CompoundFile::create(file, {.overwrite = true});
  if (!f) return fail(file, f.error());
  for (const auto& n : names) {
    std::ifstream in(dir + "/" + n, std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
      std::fprintf(stderr, "cfbtool: cannot read %s\n", n.c_str());
      return 1;
    }
    auto st = (*f)->writeStream(n, data);
    if (!st) return fail(n, st.error());
  }
  auto st = (*f)->flush();
  if (!st) return fail(file, st.error());
  st = (*f)->close();
  if (!st) return fail(file, st.error());
  return 0;
}

int cmdCheck(const std::string& file) {
  auto f = cfb::CompoundFile::open(file, cfb::OpenMode::ReadOnly);
  if (!f) return fail(file, f.error());
  auto st = (*f)->checkConsistency();
  if (!st) return fail(file, st.error());
  std::printf("ok\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string cmd = argv[1];
  if (cmd == "list" && argc == 3) return cmdList(argv[2]);
  if (cmd == "cat" && argc == 4) return cmdCat(argv[2], argv[3]);
  if (cmd == "create" && argc == 4) return cmdCreate(argv[2], argv[3]);
  if (cmd == "check" && argc == 3) return cmdCheck(argv[2]);
  return usage();
}
