// File layer: why opens fail, folders made on creation with either separator,
// truncation, positional I/O, sharing, Korean names, replace and remove.
#include "textlib/file.h"

#include <cerrno>

#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "testdir.h"
#include "textlib/mem.h"

namespace {

struct Opened {
    FileHandle* file = reinterpret_cast<FileHandle*>(1);
    uint64_t size = 99;
    const uint32_t result;
    Opened(const std::string& n, uint32_t f) : result(File_Open(n.c_str(), f, &file, &size)) {
        EXPECT_EQ(file != nullptr, result == FILE_OK) << n; // null on failure
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
        {"a", 0, FILE_BADARG}, {"a", FILE_CREATE, FILE_BADARG}, {"b", FILE_READ, FILE_NOTFOUND},
        {"a", FILE_MAKEDIRS | FILE_CREATE | FILE_NOBOM, FILE_BADARG}, // neither reading nor writing
        {"no/such/file", FILE_READ, FILE_NOTFOUND}, {"a/file", FILE_READ, FILE_NOTFOUND},
        {"no/such/file", FILE_WRITE | FILE_CREATE, FILE_NOTFOUND}, // no folders without MAKEDIRS
        {"sub", FILE_READ, FILE_DENIED}, {"sub", OUTPUT, FILE_DENIED}}; // a folder is no file
    // clang-format on
    for (const auto& [name, flags, result] : cases)
        EXPECT_EQ(Opened(dir / name, flags).result, result) << name << " " << flags;
    Mem_FailNth(1);
    EXPECT_EQ(Opened(dir / "a", FILE_READ).result, FILE_NOMEM);
    Mem_FailNth(0);
    EXPECT_EQ(ReadFile(dir / "a"), "x");
#ifndef _WIN32 // tests may run with every permission, where no open provokes these
    for (uint32_t error : {EACCES, EPERM})
        EXPECT_EQ(File_MapError(error), FILE_DENIED) << error;
#endif
}

TEST(File, CreatingMakesFoldersWithEitherSeparatorTruncatesAndWritesAnywhere) {
    TestDir dir;
    WriteFile(dir / "old", "0123456789ABCDEF");
    for (const char* name : {"one/two/three.bbl", "four\\five\\six.bbl", "seven/e\\f.bbl", "old"}) {
        Opened f(dir / name, OUTPUT);
        EXPECT_EQ(f.size, 0u) << name;
        EXPECT_EQ(File_WriteAt(f.file, "AB", 8, 2, nullptr), FILE_OK); // past the end
        EXPECT_EQ(File_WriteAt(f.file, "0123456", 0, 7, nullptr), FILE_OK);
    }
    const std::string written("0123456\0AB", 10);
    for (const char* name : {"one/two/three.bbl", "four/five/six.bbl", "seven/e/f.bbl", "old"})
        EXPECT_EQ(ReadFile(dir / name), written) << name;
    Opened f(dir / "old", FILE_READ);
    char buf[16];
    uint32_t done[2] = {99, 99};
    EXPECT_EQ(File_ReadAt(f.file, buf, 5, 8, &done[0]), FILE_OK);
    EXPECT_EQ(File_ReadAt(f.file, buf + 5, 1000, 8, &done[1]), FILE_OK); // at the end: no bytes
    EXPECT_EQ(std::string(buf, done[0] + done[1]), written.substr(5));
}

// A writer shares with no other opener, readers with each other.
TEST(File, SharingReplaceAndRemoveWithKoreanNames) {
    TestDir dir;
    const std::string name = dir / "\xed\x8c\xa8\xed\x84\xb4.map", other = dir / "\xed\x95\x9c.tmp";
    {
        Opened writer(name, OUTPUT);
        EXPECT_EQ(File_WriteAt(writer.file, "data", 0, 4, nullptr), FILE_OK);
        for (uint32_t flags : {FILE_READ, FILE_WRITE, OUTPUT}) // OUTPUT must not truncate it
            EXPECT_EQ(Opened(name, flags).result, FILE_BUSY) << flags;
    }
    {
        Opened reader1(name, FILE_READ), reader2(name, FILE_READ), created(other, OUTPUT);
        EXPECT_EQ(reader2.size, 4u);
        EXPECT_EQ(Opened(name, FILE_WRITE).result, FILE_BUSY);
    }
    EXPECT_EQ(File_Replace(other.c_str(), name.c_str()), FILE_OK);
    EXPECT_EQ(Opened(name, FILE_READ).size, 0u); // the empty file took its place
    EXPECT_EQ(File_Replace(other.c_str(), name.c_str()), FILE_NOTFOUND);
    EXPECT_EQ(File_Remove(name.c_str()), FILE_OK);
    EXPECT_EQ(File_Remove(name.c_str()), FILE_NOTFOUND);
    EXPECT_TRUE(std::filesystem::is_empty(dir / ""));
}

} // namespace
