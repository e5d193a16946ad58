#pragma once

// A folder of its own for each test that writes files, removed afterwards.
// Tests run as parallel processes, and the suites of two builds may run at
// once, so the folder gets a name no other process holds (mkdtemp) and only
// that folder is ever removed. It is made in gtest's temporary folder, which
// ctest points into the build (TEST_TMPDIR, see tests/CMakeLists.txt). Header
// only, so that it adds nothing to the shared test library.

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder named after `prefix`, removed with everything in it when the
// object goes.
class TTempFolder {
 public:
  explicit TTempFolder(const std::string& prefix) {
    const std::filesystem::path base(::testing::TempDir());
    std::filesystem::create_directories(base);
    std::string name = prefix;
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') c = '_';
    std::string pattern = (base / (name + ".XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
      throw std::runtime_error("cannot make a folder like " + pattern + ": " + std::strerror(errno));
    folder_ = buffer.data();
  }
  ~TTempFolder() {
    // A test may have taken the write permission away.
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(folder_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
      if (it->is_directory(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(folder_, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  std::string Folder() const { return folder_.string(); }

 private:
  std::filesystem::path folder_;
};

// A fixture with a TTempFolder named after the prefix and the test.
class TTempFolderTest : public ::testing::Test {
 protected:
  // `prefix` keeps the folders of different test programs apart.
  explicit TTempFolderTest(const char* prefix) : prefix_(prefix) {}

  void SetUp() override {
    folder_.emplace(prefix_ + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { folder_.reset(); }
  std::string Path(const std::string& name) const { return folder_->Path(name); }
  std::string Folder() const { return folder_->Folder(); }

 private:
  std::string prefix_;
  std::optional<TTempFolder> folder_;
};

}  // namespace testing_support
