// Directory entries and the red-black trees of every storage.
#include "platform/cfb/compound_file_impl.h"

namespace cfb {

void CompoundFile::Impl::replaceChild(std::uint32_t sid, std::uint32_t parent, std::uint32_t oldc, std::uint32_t newc) {
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

void CompoundFile::Impl::rbInsert(std::uint32_t sid, std::uint32_t z) {
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
  // fix-up; `left`: the parent stands left of the grandparent, the mirror
  // image swaps every side.
  const auto child = [this](std::uint32_t n, bool left) { return left ? e[n].left : e[n].right; };
  const auto rotate = [this, sid](std::uint32_t n, bool left) { left ? rotateLeft(sid, n) : rotateRight(sid, n); };
  while (z != rootOf(sid) && red(e[z].parent)) {
    std::uint32_t p = e[z].parent;
    const std::uint32_t g = e[p].parent;
    if (g == kNoStream) break;
    const bool left = p == e[g].left;
    const std::uint32_t u = child(g, !left);
    if (red(u)) {
      setColor(p, kBlack);
      setColor(u, kBlack);
      setColor(g, kRed);
      z = g;
    } else {
      if (z == child(p, !left)) {
        z = p;
        rotate(z, left);
        p = e[z].parent;
      }
      setColor(p, kBlack);
      setColor(g, kRed);
      rotate(g, !left);
    }
  }
  setColor(rootOf(sid), kBlack);
}

void CompoundFile::Impl::rbErase(std::uint32_t sid, std::uint32_t z) {
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
  if (removedColor != kRed) eraseFixup(sid, x, xParent);
}

void CompoundFile::Impl::eraseFixup(std::uint32_t sid, std::uint32_t x, std::uint32_t xParent) {
  // `left`: x stands left of its parent, its sibling w right; the mirror
  // image swaps every side.
  const auto child = [this](std::uint32_t n, bool left) { return left ? e[n].left : e[n].right; };
  const auto rotate = [this, sid](std::uint32_t n, bool left) { left ? rotateLeft(sid, n) : rotateRight(sid, n); };
  while (x != rootOf(sid) && !red(x) && xParent != kNoStream) {
    const bool left = x == e[xParent].left;
    std::uint32_t w = child(xParent, !left);
    if (w == kNoStream) {  // only in a tree that broke the rules
      x = xParent;
      xParent = e[x].parent;
      continue;
    }
    if (red(w)) {
      setColor(w, kBlack);
      setColor(xParent, kRed);
      rotate(xParent, left);
      w = child(xParent, !left);
      if (w == kNoStream) continue;
    }
    if (!red(e[w].left) && !red(e[w].right)) {
      setColor(w, kRed);
      x = xParent;
      xParent = e[x].parent;
    } else {
      if (!red(child(w, !left))) {
        setColor(child(w, left), kBlack);
        setColor(w, kRed);
        rotate(w, !left);
        w = child(xParent, !left);
      }
      setColor(w, e[xParent].color);
      setColor(xParent, kBlack);
      if (child(w, !left) != kNoStream) setColor(child(w, !left), kBlack);
      rotate(xParent, left);
      x = rootOf(sid);
      break;
    }
  }
  if (x != kNoStream) setColor(x, kBlack);
}

// In-order list of a storage's children (iterative).
std::vector<std::uint32_t> CompoundFile::Impl::inOrder(std::uint32_t sid) const {
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
bool CompoundFile::Impl::treeValid(std::uint32_t sid) const {
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
void CompoundFile::Impl::rebuildTree(std::uint32_t sid) {
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

Result<std::uint32_t> CompoundFile::Impl::find(std::uint32_t sid, std::string_view name) const {
  auto n = utf8ToUtf16(name);
  if (!n) return Error(Errc::invalid_name, std::string(name));
  auto it = names.find(sid);
  if (it == names.end()) return Error(Errc::not_found, std::string(name));
  auto f = it->second.find(nameKey(*n));
  if (f == it->second.end()) return Error(Errc::not_found, std::string(name));
  return f->second;
}

ElementInfo CompoundFile::Impl::info(std::uint32_t id) const {
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

Result<std::uint32_t> CompoundFile::Impl::createEntry(std::uint32_t sid, const std::u16string& name, std::uint8_t type) {
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
void CompoundFile::Impl::destroyEntry(std::uint32_t id) {
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

Status CompoundFile::Impl::copyStorage(Impl& dst, std::uint32_t srcSid, std::uint32_t dstSid) {
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

}  // namespace cfb
