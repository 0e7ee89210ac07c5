// A fresh scratch folder per test, removed afterwards, a scope with another
// working folder, whole-file helpers, and a text repeated for big files.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

struct TestDir {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path =
        Name(std::string("scratch_") + info->test_suite_name() + "_" + info->name());
    static std::string Name(std::string name) { // parameterised tests have a '/' in their names
        for (char& c : name)
            if (c == '/') c = '_';
        return name;
    }
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

// Makes folder the working folder for the scope.
struct InFolder {
    const std::filesystem::path previous = std::filesystem::current_path();
    explicit InFolder(const std::string& folder) { std::filesystem::current_path(folder); }
    ~InFolder() { std::filesystem::current_path(previous); }
};

// A fresh scratch folder that is the working folder for the scope.
struct InTestDir : TestDir {
    InFolder in{path};
};

inline void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Repeat(const std::string& piece, size_t n) {
    std::string out;
    for (out.reserve(piece.size() * n); n > 0; n--)
        out += piece;
    return out;
}
