#pragma once

#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Output files that are written whole or not at all. Every file the front ends
// write goes through here: it is written under a temporary name in its own
// folder and then renamed over its final name, so that a failure on the way (a
// full disk, a file-size limit, a path that cannot be made) leaves the folder
// as it was, with no partial file.

// A file that cannot be written. The message is one line naming the path and
// the reason.
class TOutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  TOutputError(const std::string& message, std::string reason, std::string path = {})
      : std::runtime_error(message), reason_(std::move(reason)), path_(std::move(path)) {}
  // The reason alone, for a front end that names the path in words of its
  // own; the whole message when no reason was kept apart.
  std::string Reason() const { return reason_.empty() ? what() : reason_; }
  // The file that could not be written, when it was kept apart.
  const std::string& Path() const { return path_; }

 private:
  std::string reason_;
  std::string path_;
};

// Files of one folder replaced together. Write puts each file under a
// temporary name beside its final name; Commit renames them all over their
// final names. A batch that ends without Commit (after a failure) removes its
// temporary files, so that the folder holds just what it held before. Only
// the names given are ever replaced or removed; Write may be called from
// several threads at once.
class TFileBatch {
 public:
  // `folder` must exist.
  explicit TFileBatch(std::string folder);
  ~TFileBatch();
  TFileBatch(const TFileBatch&) = delete;
  TFileBatch& operator=(const TFileBatch&) = delete;

  // The file `name` (a plain name in the folder) with these bytes, under a
  // temporary name until Commit. Throws TOutputError.
  void Write(const std::string& name, std::string_view bytes);
  // The file `name` with the content of `same`, written before: a second link
  // to the same data where the file system has links, else a copy.
  void WriteSame(const std::string& name, const std::string& same);
  // The file `name` removed on Commit, if it exists.
  void RemoveOnCommit(const std::string& name);
  // Renames every file over its final name and removes the names to remove.
  // Checks first that no final name is a folder, so that a rename fails only
  // for reasons outside the program. Throws TOutputError.
  void Commit();

  // The final path of a name in the folder.
  std::string PathOf(const std::string& name) const;

 private:
  struct TEntry {
    std::string name;
    std::string temporary;
  };
  std::string NewTemporary(const std::string& name) const;
  const TEntry& Find(const std::string& name) const;

  std::string folder_;
  std::vector<TEntry> entries_;
  std::vector<std::string> removals_;
  mutable std::mutex mutex_;
  bool committed_ = false;
};

// One file written whole or not at all, beside its final name. Throws TOutputError.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// Makes the folder and any missing folders above it; throws TOutputError.
// Returns the folders it made, deepest last, so that a caller whose writing
// then fails can remove them again (RemoveFolders).
std::vector<std::string> MakeFolders(const std::string& folder);
// Removes the given folders, deepest first, where they are empty.
void RemoveFolders(const std::vector<std::string>& made);
