// File layer: the flag combinations, result codes and error mapping, folder
// creation with either separator, truncation, positional I/O, sharing, and
// the replace and remove operations the job runner writes its output with.
#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include "textlib/file.h"

#include <gtest/gtest.h>
#include <string>

#include "testdir.h"
#include "textlib/mem.h"

namespace {

struct Opened {
    FileHandle* file = nullptr;
    uint64_t size = 99;
    uint32_t result;
    Opened(const std::string& name, uint32_t flags) {
        result = File_Open(name.c_str(), flags, &file, &size);
    }
    ~Opened() { File_Close(file); }
};

constexpr uint32_t OUTPUT_FLAGS = FILE_NOBOM | FILE_MAKEDIRS | FILE_CREATE | FILE_WRITE;

TEST(File, FlagsThatAskForNeitherReadingNorWriting) {
    TestDir dir;
    WriteFile(dir / "a", "x");
    static_assert(FILE_CREATE == 4, "the layer's flag, not the NT disposition");
    for (uint32_t flags : {0u, FILE_CREATE, FILE_MAKEDIRS | FILE_CREATE, FILE_NOBOM}) {
        Opened f(dir / "a", flags);
        EXPECT_EQ(f.result, FILE_BADARG) << flags;
        EXPECT_EQ(f.file, nullptr);
    }
}

TEST(File, MissingFilesAndFolders) {
    TestDir dir;
    EXPECT_EQ(Opened(dir / "missing", FILE_READ).result, FILE_NOTFOUND);
    EXPECT_EQ(Opened(dir / "no/such/file", FILE_READ).result, FILE_NOTFOUND);
    EXPECT_EQ(Opened(dir / "no/such/file", FILE_WRITE | FILE_CREATE).result, FILE_NOTFOUND);
    EXPECT_FALSE(FileExists(dir / "no"));
}

TEST(File, CreatingMakesMissingFoldersWithEitherSeparator) {
    TestDir dir;
    for (const char* name : {"one/two/three.bbl", "four\\five\\six.bbl", "seven/e\\f.bbl"}) {
        Opened f(dir / name, OUTPUT_FLAGS);
        ASSERT_EQ(f.result, FILE_OK) << name;
        EXPECT_EQ(f.size, 0u);
        uint32_t done = 0;
        EXPECT_EQ(File_WriteAt(f.file, "hi", 0, 2, &done), FILE_OK);
        EXPECT_EQ(done, 2u);
    }
    EXPECT_EQ(ReadFile(dir / "one/two/three.bbl"), "hi");
    EXPECT_EQ(ReadFile(dir / "four/five/six.bbl"), "hi");
    EXPECT_EQ(ReadFile(dir / "seven/e/f.bbl"), "hi");
}

TEST(File, CreateTruncatesAndReadsReportTheSize) {
    TestDir dir;
    WriteFile(dir / "a", "0123456789");
    {
        Opened f(dir / "a", FILE_READ);
        ASSERT_EQ(f.result, FILE_OK);
        EXPECT_EQ(f.size, 10u);
        char buf[8] = {};
        uint32_t done = 99;
        EXPECT_EQ(File_ReadAt(f.file, buf, 6, 8, &done), FILE_OK);
        EXPECT_EQ(done, 4u);
        EXPECT_EQ(std::string(buf, 4), "6789");
        done = 99;
        EXPECT_EQ(File_ReadAt(f.file, buf, 1000, 8, &done), FILE_OK);
        EXPECT_EQ(done, 0u);
        EXPECT_EQ(File_ReadAt(f.file, buf, 0, 2, nullptr), FILE_OK);
        EXPECT_EQ(std::string(buf, 2), "01");
    }
    {
        Opened f(dir / "a", OUTPUT_FLAGS);
        ASSERT_EQ(f.result, FILE_OK);
        EXPECT_EQ(f.size, 0u);
    }
    EXPECT_EQ(ReadFile(dir / "a"), "");
}

TEST(File, WritesAtOffsetsPastTheEnd) {
    TestDir dir;
    Opened f(dir / "w", FILE_READ | FILE_WRITE | FILE_CREATE);
    ASSERT_EQ(f.result, FILE_OK);
    uint32_t done = 0;
    ASSERT_EQ(File_WriteAt(f.file, "AB", 4, 2, &done), FILE_OK);
    ASSERT_EQ(File_WriteAt(f.file, "xy", 0, 2, nullptr), FILE_OK);
    char buf[6];
    ASSERT_EQ(File_ReadAt(f.file, buf, 0, 6, &done), FILE_OK);
    EXPECT_EQ(done, 6u);
    EXPECT_EQ(std::string(buf, 6), std::string("xy\0\0AB", 6));
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
        EXPECT_EQ(Opened(dir / "s", OUTPUT_FLAGS).result, FILE_BUSY);
    }
    EXPECT_EQ(ReadFile(dir / "s"), "data");
    Opened reader1(dir / "s", FILE_READ);
    Opened reader2(dir / "s", FILE_READ);
    EXPECT_EQ(reader1.result, FILE_OK);
    EXPECT_EQ(reader2.result, FILE_OK);
    EXPECT_EQ(Opened(dir / "s", FILE_WRITE).result, FILE_BUSY);
}

TEST(File, AFolderIsNoFile) {
    TestDir dir;
    std::filesystem::create_directories(dir / "sub");
    EXPECT_EQ(Opened(dir / "sub", FILE_READ).result, FILE_DENIED);
    EXPECT_EQ(Opened(dir / "sub", OUTPUT_FLAGS).result, FILE_DENIED);
}

TEST(File, KoreanNamesRoundTrip) {
    TestDir dir;
    const std::string name =
        dir / "\xed\x8c\xa8\xed\x84\xb4 \xed\x8c\x8c\xec\x9d\xbc.map"; // 패턴 파일.map
    {
        Opened f(name, OUTPUT_FLAGS);
        ASSERT_EQ(f.result, FILE_OK);
        ASSERT_EQ(File_WriteAt(f.file, "k", 0, 1, nullptr), FILE_OK);
    }
    {
        Opened f(name, FILE_READ);
        ASSERT_EQ(f.result, FILE_OK);
        EXPECT_EQ(f.size, 1u);
    }
    EXPECT_EQ(File_Remove(name.c_str()), FILE_OK);
    EXPECT_EQ(Opened(name, FILE_READ).result, FILE_NOTFOUND);
}

TEST(File, ReplaceAndRemove) {
    TestDir dir;
    WriteFile(dir / "new", "fresh");
    WriteFile(dir / "old", "stale");
    EXPECT_EQ(File_Replace((dir / "new").c_str(), (dir / "old").c_str()), FILE_OK);
    EXPECT_EQ(ReadFile(dir / "old"), "fresh");
    EXPECT_FALSE(FileExists(dir / "new"));
    EXPECT_EQ(File_Replace((dir / "new").c_str(), (dir / "old").c_str()), FILE_NOTFOUND);
    EXPECT_EQ(File_Remove((dir / "old").c_str()), FILE_OK);
    EXPECT_EQ(File_Remove((dir / "old").c_str()), FILE_NOTFOUND);
}

TEST(File, OutOfMemoryAtOpenLeavesNothing) {
    TestDir dir;
    WriteFile(dir / "m", "x");
    Mem_FailNth(1);
    Opened f(dir / "m", FILE_READ);
    Mem_FailNth(0);
    EXPECT_EQ(f.result, FILE_NOMEM);
    EXPECT_EQ(f.file, nullptr);
}

TEST(File, ErrorMapping) {
#ifdef _WIN32
    struct Case {
        uint32_t error, result;
    } cases[] = {{0, FILE_OK},
                 {ERROR_FILE_NOT_FOUND, FILE_NOTFOUND},
                 {ERROR_PATH_NOT_FOUND, FILE_NOTFOUND},
                 {ERROR_ACCESS_DENIED, FILE_DENIED},
                 {ERROR_OUTOFMEMORY, FILE_NOMEM},
                 {ERROR_SHARING_VIOLATION, FILE_BUSY},
                 {ERROR_INVALID_NAME, FILE_ERROR},
                 {ERROR_DISK_FULL, FILE_ERROR}};
#else
    struct Case {
        uint32_t error, result;
    } cases[] = {{0, FILE_OK},
                 {ENOENT, FILE_NOTFOUND},
                 {ENOTDIR, FILE_NOTFOUND},
                 {EACCES, FILE_DENIED},
                 {EPERM, FILE_DENIED},
                 {ENOMEM, FILE_NOMEM},
                 {EWOULDBLOCK, FILE_BUSY},
                 {ENOSPC, FILE_ERROR},
                 {EIO, FILE_ERROR}};
#endif
    for (const Case& c : cases)
        EXPECT_EQ(File_MapError(c.error), c.result) << c.error;
}

} // namespace
