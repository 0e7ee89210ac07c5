// File layer: result codes of failed opens (bad flags, missing, folders, out
// of memory), folders made on creation with either separator, truncation,
// positional I/O, sharing, Korean names, replace and remove.
#include "textlib/file.h"

#include <cerrno>

#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "testdir.h"
#include "textlib/mem.h"

namespace {

struct Opened {
    FileHandle* file = nullptr;
    uint64_t size = 99;
    uint32_t result;
    Opened(const std::string& name, uint32_t flags) {
        result = File_Open(name.c_str(), flags, &file, &size);
        EXPECT_EQ(file != nullptr, result == FILE_OK) << name;
    }
    ~Opened() { File_Close(file); }
};

constexpr uint32_t OUTPUT = FILE_NOBOM | FILE_MAKEDIRS | FILE_CREATE | FILE_WRITE;

TEST(File, FailedOpensAnswerWhy) {
    TestDir dir;
    WriteFile(dir / "a", "x");
    std::filesystem::create_directories(dir / "sub");
    // clang-format off
    const std::tuple<const char*, uint32_t, uint32_t> cases[] = { // name, flags, result
        {"a", 0, FILE_BADARG}, {"a", FILE_CREATE, FILE_BADARG}, // neither reading nor writing
        {"a", FILE_MAKEDIRS | FILE_CREATE | FILE_NOBOM, FILE_BADARG},
        {"missing", FILE_READ, FILE_NOTFOUND}, {"no/such/file", FILE_READ, FILE_NOTFOUND},
        {"no/such/file", FILE_WRITE | FILE_CREATE, FILE_NOTFOUND}, // no folders without MAKEDIRS
        {"a/file", FILE_READ, FILE_NOTFOUND},                      // a file is no folder
        {"sub", FILE_READ, FILE_DENIED}, {"sub", OUTPUT, FILE_DENIED}}; // nor a folder a file
    // clang-format on
    for (const auto& [name, flags, result] : cases)
        EXPECT_EQ(Opened(dir / name, flags).result, result) << name << " " << flags;
    Mem_FailNth(1);
    EXPECT_EQ(Opened(dir / "a", FILE_READ).result, FILE_NOMEM);
    Mem_FailNth(0);
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
    EXPECT_EQ(ReadFile(dir / "a"), "x");
}

TEST(File, CreatingMakesFoldersWithEitherSeparatorTruncatesAndWritesAnywhere) {
    TestDir dir;
    WriteFile(dir / "old", "0123456789ABCDEF");
    const std::string written("0123456\0AB", 10);
    for (const char* name : {"one/two/three.bbl", "four\\five\\six.bbl", "seven/e\\f.bbl", "old"}) {
        Opened f(dir / name, OUTPUT);
        ASSERT_EQ(f.result, FILE_OK) << name;
        EXPECT_EQ(f.size, 0u);
        uint32_t done = 0;
        EXPECT_EQ(File_WriteAt(f.file, "AB", 8, 2, &done), FILE_OK); // past the end
        EXPECT_EQ(done, 2u);
        EXPECT_EQ(File_WriteAt(f.file, "0123456", 0, 7, nullptr), FILE_OK);
    }
    for (const char* name : {"one/two/three.bbl", "four/five/six.bbl", "seven/e/f.bbl", "old"})
        EXPECT_EQ(ReadFile(dir / name), written) << name;
    Opened f(dir / "old", FILE_READ);
    EXPECT_EQ(f.size, 10u);
    char buf[8] = {};
    uint32_t done = 99;
    EXPECT_EQ(File_ReadAt(f.file, buf, 5, 8, &done), FILE_OK);
    EXPECT_EQ(std::string(buf, done), written.substr(5));
    EXPECT_EQ(File_ReadAt(f.file, buf, 1000, 8, &done), FILE_OK); // at the end: no bytes
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(File_ReadAt(f.file, buf, 1, 2, nullptr), FILE_OK);
    EXPECT_EQ(std::string(buf, 2), "12");
}

TEST(File, AWriterSharesWithNoOtherOpener) {
    TestDir dir;
    WriteFile(dir / "s", "data");
    {
        Opened writer(dir / "s", FILE_WRITE);
        ASSERT_EQ(writer.result, FILE_OK);
        EXPECT_EQ(Opened(dir / "s", FILE_READ).result, FILE_BUSY);
        EXPECT_EQ(Opened(dir / "s", FILE_WRITE).result, FILE_BUSY);
        // A refused creating open must not truncate the file it could not have.
        EXPECT_EQ(Opened(dir / "s", OUTPUT).result, FILE_BUSY);
    }
    EXPECT_EQ(ReadFile(dir / "s"), "data");
    Opened reader1(dir / "s", FILE_READ);
    Opened reader2(dir / "s", FILE_READ);
    EXPECT_EQ(reader2.result, FILE_OK);
    EXPECT_EQ(Opened(dir / "s", FILE_WRITE).result, FILE_BUSY);
}

TEST(File, KoreanNamesReplaceAndRemove) {
    TestDir dir;
    const std::string name = dir / "\xed\x8c\xa8\xed\x84\xb4 \xed\x8c\x8c\xec\x9d\xbc.map";
    const std::string other = dir / "\xed\x95\x9c.tmp";
    for (const std::string& file : {name, other}) {
        Opened f(file, OUTPUT);
        ASSERT_EQ(f.result, FILE_OK);
        ASSERT_EQ(File_WriteAt(f.file, file.c_str(), 0, uint32_t(file.size()), nullptr), FILE_OK);
    }
    EXPECT_EQ(File_Replace(other.c_str(), name.c_str()), FILE_OK);
    EXPECT_EQ(Opened(name, FILE_READ).size, other.size());
    EXPECT_EQ(File_Replace(other.c_str(), name.c_str()), FILE_NOTFOUND);
    EXPECT_EQ(File_Remove(name.c_str()), FILE_OK);
    EXPECT_EQ(File_Remove(name.c_str()), FILE_NOTFOUND);
    EXPECT_TRUE(std::filesystem::is_empty(dir / ""));
}

#ifndef _WIN32
// Tests may run with every permission, where no operation here provokes these.
TEST(File, PermissionErrorsAreDenied) {
    for (uint32_t error : {EACCES, EPERM})
        EXPECT_EQ(File_MapError(error), FILE_DENIED) << error;
}
#endif

} // namespace
