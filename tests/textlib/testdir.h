// A fresh scratch folder per test, removed afterwards, and whole-file helpers.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

struct TestDir {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path = std::string("scratch_") + info->test_suite_name() + "_" + info->name();
    TestDir() {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~TestDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

inline void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
