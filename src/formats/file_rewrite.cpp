#include "formats/file_rewrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// A new, empty file beside `target` that no other file or program owns.
fs::path createTemporaryBeside(const fs::path& target) {
  std::random_device rd;
  for (int attempt = 0; attempt < 50; ++attempt) {
    fs::path candidate = target;
    candidate += ".sondrel-" + std::to_string(rd() % 1000000000u) + ".tmp";
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return candidate;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

class ScopedOwnerWrite {
 public:
  explicit ScopedOwnerWrite(const fs::path& path) : path_(path) {
    std::error_code ec;
    perms_ = fs::status(path_, ec).permissions();
    if (!ec && (perms_ & fs::perms::owner_write) == fs::perms::none) {
      fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add, ec);
      changed_ = !ec;
    }
  }
  ~ScopedOwnerWrite() {
    std::error_code ec;
    if (changed_) fs::permissions(path_, perms_, fs::perm_options::replace, ec);
  }
  ScopedOwnerWrite(const ScopedOwnerWrite&) = delete;
  ScopedOwnerWrite& operator=(const ScopedOwnerWrite&) = delete;

 private:
  fs::path path_;
  fs::perms perms_ = fs::perms::unknown;
  bool changed_ = false;
};

}  // namespace

bool rewriteFile(const std::string& path, const std::function<bool(InputFile&, std::ostream&)>& write) {
  std::error_code ec;
  fs::path target = fs::u8path(path);
  if (fs::is_symlink(fs::symlink_status(target, ec))) target = fs::canonical(target, ec);
  if (ec) return false;
  auto original = InputFile::open(target.string());
  if (!original) return false;
  auto perms = fs::status(target, ec).permissions();
  if (ec) return false;
  fs::path temp = createTemporaryBeside(target);
  if (temp.empty()) return false;
  bool ok = false;
  try {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    ok = out.is_open() && write(*original, out);
    out.flush();
    ok = ok && out.good();
    out.close();
    ok = ok && !out.fail();
  } catch (...) {
    ok = false;
  }
  if (ok) {
    fs::permissions(temp, perms, fs::perm_options::replace, ec);
    fs::rename(temp, target, ec);
    ok = !ec;
  }
  if (!ok) fs::remove(temp, ec);
  return ok;
}

bool editCopyThenReplace(const std::string& path, const std::function<bool(const std::string&)>& edit) {
  std::error_code ec;
  fs::path target = fs::u8path(path);
  if (fs::is_symlink(fs::symlink_status(target, ec))) target = fs::canonical(target, ec);
  if (ec || !fs::is_regular_file(target, ec)) return false;
  auto perms = fs::status(target, ec).permissions();
  fs::path temp = createTemporaryBeside(target);
  if (temp.empty()) return false;
  bool ok = fs::copy_file(target, temp, fs::copy_options::overwrite_existing, ec) && !ec;
  try {
    ok = ok && edit(temp.string());
  } catch (...) {
    ok = false;
  }
  if (ok) {
    fs::permissions(temp, perms, fs::perm_options::replace, ec);
    fs::rename(temp, target, ec);
    ok = !ec;
  }
  if (!ok) fs::remove(temp, ec);
  return ok;
}

bool copyRange(InputFile& in, int64_t from, int64_t to, std::ostream& out) {
  constexpr int64_t kBlock = 1 << 16;
  if (from < 0 || to > in.size() || from > to) return false;
  for (int64_t pos = from; pos < to; pos += kBlock) {
    Bytes block;
    if (!in.readExact(pos, std::min(kBlock, to - pos), block)) return false;
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    if (!out) return false;
  }
  return true;
}

bool overwriteInPlace(const std::string& path, int64_t offset, ByteView data) {
  std::error_code ec;
  fs::path target = fs::u8path(path);
  if (!fs::is_regular_file(target, ec)) return false;
  auto size = fs::file_size(target, ec);
  if (ec || offset < 0 || static_cast<uint64_t>(offset) + data.size() > size) return false;
  ScopedOwnerWrite writable(target);
  std::fstream file(target, std::ios::binary | std::ios::in | std::ios::out);
  if (!file.is_open()) return false;
  file.seekp(offset);
  file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  file.flush();
  return file.good();
}

}  // namespace sondrel
