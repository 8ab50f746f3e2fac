#include "platform/cfb/cfb.h"

namespace cfb {

const char* errcText(Errc e) noexcept {
  switch (e) {
    case Errc::ok: return "no error";
    case Errc::io_error: return "input/output error";
    case Errc::not_found: return "element not found";
    case Errc::already_exists: return "an element of that name already exists";
    case Errc::invalid_name: return "invalid element name";
    case Errc::invalid_argument: return "invalid argument";
    case Errc::wrong_type: return "element is of the wrong type";
    case Errc::not_compound_file: return "not a compound file";
    case Errc::unsupported_version: return "unsupported compound file version";
    case Errc::bad_header: return "damaged compound file header";
    case Errc::bad_difat: return "damaged DIFAT (list of FAT sectors)";
    case Errc::difat_loop: return "loop in the DIFAT chain";
    case Errc::bad_fat: return "damaged FAT";
    case Errc::chain_loop: return "loop in a sector chain";
    case Errc::sector_out_of_range: return "sector index beyond the end of the file";
    case Errc::chain_too_short: return "stream size beyond its sector chain";
    case Errc::cross_linked: return "two sector chains share a sector";
    case Errc::bad_directory: return "damaged directory";
    case Errc::directory_loop: return "loop in the directory tree";
    case Errc::bad_minifat: return "damaged mini FAT or mini stream";
    case Errc::file_exists: return "file already exists";
    case Errc::locked: return "file is locked by another user";
    case Errc::read_only: return "file is open read-only";
    case Errc::closed: return "file is closed";
    case Errc::broken: return "an earlier write failed; the file must be reopened";
    case Errc::stale_handle: return "the element of this handle no longer exists";
    case Errc::too_large: return "too large for this compound file";
    case Errc::not_regular_file: return "not a regular file";
    case Errc::access_denied: return "access denied";
  }
  return "unknown compound file error";
}

namespace {
class Category final : public std::error_category {
 public:
  const char* name() const noexcept override { return "cfb"; }
  std::string message(int ev) const override { return errcText(static_cast<Errc>(ev)); }
};
}  // namespace

const std::error_category& errorCategory() noexcept {
  static const Category category;  // immutable; safe to share between threads
  return category;
}

std::error_code make_error_code(Errc e) noexcept { return {static_cast<int>(e), errorCategory()}; }

std::string Error::message() const {
  std::string m = errcText(code_);
  if (!detail_.empty()) {
    m += ": ";
    m += detail_;
  }
  return m;
}

}  // namespace cfb
