// A fresh scratch folder under the tests' working folder, removed afterwards,
// and small helpers to write and read whole files by (ASCII) name.
#pragma once
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

class TestDir {
  public:
    TestDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string("scratch_") + info->test_suite_name() + "_" + info->name();
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TestDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // A name inside the folder, with '/' as separator.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& name) {
    return std::filesystem::exists(name);
}
