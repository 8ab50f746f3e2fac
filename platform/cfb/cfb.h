// cfb: a reader and writer of compound files (Microsoft "Compound File Binary"
// format, the container of OLE structured storage), written from the public
// format description. No Qt, no global state.
//
// What it does
//  - creates version 3 files (512-byte sectors); reads version 3 and 4 and can
//    modify both;
//  - streams and storages by name (UTF-8 in this API, UTF-16 in the file, at
//    most 31 UTF-16 units, compared case-insensitively as the format says);
//  - streams below 4096 bytes live in the mini stream and move to regular
//    sectors (and back) when they cross that size;
//  - a damaged file gives an Error (Errc + text), never a crash, a hang or an
//    allocation larger than the file.
//
// Crash safety (see the long comment at the top of compound_file.cpp): every
// mutating call is one transaction; when it returns, a process killed at any
// later moment leaves the file with the call's result, and a process killed
// during the call leaves the file as it was before the call or as after it.
// flush() makes what was written durable (fsync).
//
// Threads: a CompoundFile and its Stream handles hold no global state and no
// lock of their own. One CompoundFile may be used from several threads only
// under one lock held by the caller around every call (on the file and on all
// of its Stream handles, reads included: reads fill shared caches).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace cfb {

enum class Errc : int {
  ok = 0,
  io_error,             // the operating system refused a read, write or sync
  not_found,            // no element of that name
  already_exists,       // an element of that name exists
  invalid_name,         // empty, longer than 31 UTF-16 units, or a forbidden character
  invalid_argument,     // e.g. a negative seek
  wrong_type,           // a stream where a storage was expected or the reverse
  not_compound_file,    // bad signature or too short for a header
  unsupported_version,  // not version 3 or 4, or an unusual sector size
  bad_header,           // header fields out of range
  bad_difat,            // DIFAT missing entries or pointing outside the file
  difat_loop,           // the DIFAT chain loops
  bad_fat,              // a FAT sector or entry is unusable
  chain_loop,           // a sector chain loops
  sector_out_of_range,  // a sector index beyond the end of the file
  chain_too_short,      // a stream's size is beyond its sector chain
  cross_linked,         // two chains share a sector
  bad_directory,        // a directory entry is unusable
  directory_loop,       // the directory tree loops
  bad_minifat,          // the mini FAT or mini stream is unusable
  file_exists,          // create without overwrite on an existing file
  locked,               // another process (or object) holds the file
  read_only,            // a write on a file opened read-only
  closed,               // the file was closed
  broken,               // an earlier write failed; close and reopen the file
  stale_handle,         // the element of this handle was destroyed
  too_large,            // beyond what the file version can hold
  not_regular_file,     // the path names a pipe, a device, a folder or a link to nothing
  access_denied,        // the system does not let this process open the file so
};

const std::error_category& errorCategory() noexcept;
std::error_code make_error_code(Errc e) noexcept;
// The fixed English text of a code.
const char* errcText(Errc e) noexcept;

// An error: the code and a detail (which stream, which sector...).
class Error {
 public:
  Error() = default;
  Error(Errc code, std::string detail = {}) : code_(code), detail_(std::move(detail)) {}
  Errc code() const { return code_; }
  const std::string& detail() const { return detail_; }
  std::error_code errorCode() const { return make_error_code(code_); }
  // "text of the code: detail"
  std::string message() const;

 private:
  Errc code_ = Errc::ok;
  std::string detail_;
};

// A value or an Error.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}
  Result(Error e) : v_(std::move(e)) {}
  Result(Errc e) : v_(Error(e)) {}
  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  // By value on a temporary, so that `for (auto& x : *f.list())` is safe.
  T operator*() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  const Error& error() const { return std::get<1>(v_); }
  Errc code() const { return ok() ? Errc::ok : error().code(); }

 private:
  std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error e) : e_(std::move(e)) {}
  Result(Errc e) : e_(Error(e)) {}
  bool ok() const { return e_.code() == Errc::ok; }
  explicit operator bool() const { return ok(); }
  const Error& error() const { return e_; }
  Errc code() const { return e_.code(); }

 private:
  Error e_;
};
using Status = Result<void>;

enum class ElementType { Storage, Stream };

struct ElementInfo {
  std::string name;       // UTF-8
  std::u16string name16;  // as stored in the file
  ElementType type = ElementType::Stream;
  std::uint64_t size = 0;  // streams only
  std::array<std::uint8_t, 16> clsid{};
  std::uint32_t stateBits = 0;
  std::uint64_t created = 0;   // FILETIME, 0 when not set
  std::uint64_t modified = 0;  // FILETIME, 0 when not set
};

class CompoundFile;

// A storage (folder) of a compound file. root() is the file's root storage.
class Storage {
 public:
  Storage() = default;
  bool isRoot() const { return id_ == 0; }
  friend bool operator==(const Storage&, const Storage&) = default;

 private:
  friend class CompoundFile;
  Storage(std::uint32_t id, std::uint32_t gen) : id_(id), gen_(gen) {}
  std::uint32_t id_ = 0;
  std::uint32_t gen_ = 0;
};

enum class Whence { Begin, Current, End };

// A handle on one stream: the file, the element and a seek position. Cheap to
// copy. It must not outlive its CompoundFile. After the stream is destroyed
// every call gives Errc::stale_handle; a rename keeps the handle valid.
class Stream {
 public:
  Stream() = default;
  Result<std::uint64_t> size() const;
  Result<std::string> name() const;

  // Reads up to buf.size() bytes at off; fewer only at the end of the stream.
  Result<std::size_t> readAt(std::uint64_t off, std::span<std::uint8_t> buf) const;
  // Writes all of data at off, growing the stream (a gap reads as zeros).
  Status writeAt(std::uint64_t off, std::span<const std::uint8_t> data);
  // Grows (zeros) or shrinks the stream.
  Status setSize(std::uint64_t newSize);
  // The whole stream.
  Result<std::vector<std::uint8_t>> readAll() const;
  // Replaces the whole content (one transaction: old or new after a crash).
  Status replace(std::span<const std::uint8_t> data);

  // Sequential access through the handle's seek position.
  Result<std::size_t> read(std::span<std::uint8_t> buf);
  Status write(std::span<const std::uint8_t> data);
  Result<std::uint64_t> seek(std::int64_t off, Whence whence = Whence::Begin);
  std::uint64_t position() const { return pos_; }

 private:
  friend class CompoundFile;
  Stream(CompoundFile* f, std::uint32_t id, std::uint32_t gen) : file_(f), id_(id), gen_(gen) {}
  CompoundFile* file_ = nullptr;
  std::uint32_t id_ = 0;
  std::uint32_t gen_ = 0;
  std::uint64_t pos_ = 0;
};

enum class OpenMode { ReadOnly, ReadWrite };

struct CreateOptions {
  bool overwrite = false;  // replace an existing file (else Errc::file_exists)
  int version = 3;         // 3 (512-byte sectors) or 4 (4096-byte sectors)
};

class CompoundFile {
 public:
  // Creates a new file, locked exclusively (advisory flock) until close.
  static Result<std::unique_ptr<CompoundFile>> create(const std::string& path, CreateOptions options = {});
  // Opens a file: ReadOnly takes a shared lock, ReadWrite an exclusive one;
  // either fails with Errc::locked when another holder conflicts.
  static Result<std::unique_ptr<CompoundFile>> open(const std::string& path, OpenMode mode);
  // Opens a read-only image held in memory (the bytes are copied).
  static Result<std::unique_ptr<CompoundFile>> openMemory(std::span<const std::uint8_t> bytes);

  ~CompoundFile();
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;

  // Releases the lock and the file. Later calls give Errc::closed.
  Status close();
  // Makes everything written so far durable (fsync).
  Status flush();

  bool isOpen() const;
  bool isReadOnly() const;
  int version() const;
  const std::string& path() const;

  Storage root() const { return Storage(0, 0); }

  // Elements of a storage in the file's name order.
  Result<std::vector<ElementInfo>> list(Storage storage) const;
  Result<std::vector<ElementInfo>> list() const { return list(root()); }
  Result<ElementInfo> stat(Storage storage, std::string_view name) const;
  bool exists(Storage storage, std::string_view name) const;

  // A new stream; with overwrite an existing stream of the name is emptied.
  Result<Stream> createStream(Storage storage, std::string_view name, bool overwrite = false);
  Result<Stream> openStream(Storage storage, std::string_view name);
  Result<Storage> createStorage(Storage storage, std::string_view name);
  Result<Storage> openStorage(Storage storage, std::string_view name);
  Status rename(Storage storage, std::string_view oldName, std::string_view newName);
  // Removes an element (a storage with everything in it); its sectors are
  // reused by later writes.
  Status destroy(Storage storage, std::string_view name);

  // Whole-stream helpers on the root storage.
  Result<std::vector<std::uint8_t>> readStream(std::string_view name) const;
  // Creates or replaces the stream with data in one transaction.
  Status writeStream(std::string_view name, std::span<const std::uint8_t> data);

  // Copies every element of this file's root storage (streams and storages,
  // recursively) into dst's root storage, replacing elements of the same name,
  // in one transaction of dst.
  Status copyTo(CompoundFile& dst) const;

  // Full check of the structure: every chain, no sector shared, directory
  // tree order and red-black rules. Used by tests and the fuzzer.
  Status checkConsistency() const;
  // Whole, and with no unused tail: a writer's close would change no byte
  // it did not write.
  bool isSettled() const;

  // Testing only: called before every write, truncation and sync of the file
  // with a running count (the crash tests kill the process from it).
  void setWriteHookForTesting(std::function<void(std::uint64_t)> hook);
  // Testing only: asked before every write (at `offset`, `size` bytes),
  // truncation (to `offset`) and sync of the file; a nonzero answer fails
  // that call with it as the system's error (ENOSPC: a full disk).
  enum class FileCall { Write, Truncate, Sync };
  void setFileFaultForTesting(std::function<int(FileCall, std::uint64_t offset, std::uint64_t size)> fault);

  class Impl;

 private:
  friend class Stream;
  explicit CompoundFile(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace cfb

template <>
struct std::is_error_code_enum<cfb::Errc> : std::true_type {};
