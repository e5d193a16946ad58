#pragma once

// A fresh folder for each test that writes files, removed afterwards. Header
// only, so that it adds nothing to the shared test library.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testing_support {

class TTempFolderTest : public ::testing::Test {
 protected:
  // `prefix` keeps the folders of different test programs apart.
  explicit TTempFolderTest(const char* prefix) : prefix_(prefix) {}

  void SetUp() override {
    folder_ = std::filesystem::path(::testing::TempDir()) /
              (prefix_ + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    // A test may have taken the write permission away.
    std::error_code ignored;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  std::string Folder() const { return folder_.string(); }

 private:
  std::string prefix_;
  std::filesystem::path folder_;
};

}  // namespace testing_support
