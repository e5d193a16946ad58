#include "report/OutputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
}

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw TOutputError(OneLine("cannot write " + path + ": " + reason), OneLine(reason), path);
}

std::string Reason(int error) { return std::system_category().message(error); }

// Writes every byte, going on after short writes and interruptions. False
// with errno set on failure.
bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Temporary files are hidden and name the program and process, so that one
// left by a killed process can be told apart from the user's files.
std::atomic<unsigned> temporaryCount{0};

}  // namespace

TFileBatch::TFileBatch(std::string folder) : folder_(std::move(folder)) {
  if (folder_.empty()) folder_.push_back('.');
}

TFileBatch::~TFileBatch() {
  if (committed_) return;
  for (const TEntry& entry : entries_) ::unlink(entry.temporary.c_str());
}

std::string TFileBatch::PathOf(const std::string& name) const { return (fs::path(folder_) / name).string(); }

std::string TFileBatch::NewTemporary(const std::string& name) const {
  return PathOf("." + name + ".morilux-" + std::to_string(::getpid()) + "-" + std::to_string(temporaryCount++));
}

const TFileBatch::TEntry& TFileBatch::Find(const std::string& name) const {
  std::lock_guard lock(mutex_);
  for (const TEntry& entry : entries_)
    if (entry.name == name) return entry;
  throw std::logic_error("no file " + name + " written in this batch");
}

void TFileBatch::Write(const std::string& name, std::string_view bytes) {
  const std::string path = PathOf(name);
  int descriptor = -1;
  std::string temporary;
  do {
    temporary = NewTemporary(name);
    descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (descriptor < 0 && errno == EEXIST);
  if (descriptor < 0) Fail(path, Reason(errno));
  {
    std::lock_guard lock(mutex_);
    entries_.push_back({name, temporary});
  }
  // A file-size limit shows as EFBIG here (the program ignores SIGXFSZ), a
  // full disk as ENOSPC, here or on closing.
  const bool written = WriteAll(descriptor, bytes);
  const int writeError = errno;
  const bool closed = ::close(descriptor) == 0;
  if (!written) Fail(path, Reason(writeError));
  if (!closed) Fail(path, Reason(errno));
}

void TFileBatch::WriteSame(const std::string& name, const std::string& same) {
  const std::string source = Find(same).temporary;
  const std::string path = PathOf(name);
  std::string temporary;
  int result = -1;
  do {
    temporary = NewTemporary(name);
    result = ::link(source.c_str(), temporary.c_str());
  } while (result != 0 && errno == EEXIST);
  if (result != 0) {
    std::error_code error;
    fs::copy_file(source, temporary, error);
    if (error) {
      ::unlink(temporary.c_str());
      Fail(path, error.message());
    }
  }
  std::lock_guard lock(mutex_);
  entries_.push_back({name, temporary});
}

void TFileBatch::RemoveOnCommit(const std::string& name) {
  std::lock_guard lock(mutex_);
  removals_.push_back(name);
}

void TFileBatch::Commit() {
  std::lock_guard lock(mutex_);
  for (const TEntry& entry : entries_) {
    struct stat status {};
    const std::string path = PathOf(entry.name);
    if (::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) Fail(path, "a folder has that name");
  }
  for (const TEntry& entry : entries_)
    if (::rename(entry.temporary.c_str(), PathOf(entry.name).c_str()) != 0) Fail(PathOf(entry.name), Reason(errno));
  committed_ = true;
  for (const std::string& name : removals_) {
    struct stat status {};
    const std::string path = PathOf(name);
    if (::lstat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) ::unlink(path.c_str());
  }
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const fs::path target(path);
  if (!target.has_filename()) Fail(path, "the name is a folder");
  TFileBatch batch(target.parent_path().string());
  batch.Write(target.filename().string(), bytes);
  batch.Commit();
}

std::vector<std::string> MakeFolders(const std::string& folder) {
  std::vector<std::string> made;
  fs::path missing = fs::path(folder).lexically_normal();
  std::error_code error;
  // The folders from the first missing one down, which a failure may remove.
  std::vector<fs::path> chain;
  for (fs::path at = missing; !at.empty() && !fs::exists(at, error); at = at.parent_path()) {
    chain.push_back(at);
    if (at == at.parent_path()) break;
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (fs::create_directory(*it, error)) {
      made.push_back(it->string());
    } else if (error) {
      RemoveFolders(made);
      throw TOutputError(OneLine("cannot create the folder " + folder + ": " + error.message()));
    }
  }
  if (!fs::is_directory(folder, error)) {
    RemoveFolders(made);
    throw TOutputError(OneLine("cannot create the folder " + folder + ": " +
                               (error ? error.message() : std::string("a file has that name"))));
  }
  return made;
}

void RemoveFolders(const std::vector<std::string>& made) {
  std::error_code ignored;
  for (auto it = made.rbegin(); it != made.rend(); ++it) fs::remove(*it, ignored);
}
