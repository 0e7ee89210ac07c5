// File layer: why opens fail (devices and reserved device names for readers of data), folders made
// on creation with either separator, truncation, positional I/O, sharing, Korean names, replace and
// remove, scratch files; temporaries: exclusive (a taken name passed over, never opened), beside
// their target, synced before they replace it.
#include "textlib/file.h"

#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "tests/support/testdir.h"

// Records, in order, the calls that make a replacement last (they stand in for the C library's).
static std::vector<std::string> g_durable;
#ifndef _WIN32
extern "C" int fsync(int fd) {
    g_durable.push_back(
        "sync " + std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)).string());
    return int(syscall(SYS_fsync, fd));
}

extern "C" int rename(const char* from, const char* to) {
    g_durable.push_back(std::string("rename ") + from + " " + to);
    return int(syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}
#endif

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
constexpr uint32_t DATA = FILE_READ | FILE_NODEVICE;
#ifdef _WIN32 // names that Windows keeps for devices, in any folder
constexpr uint32_t RESERVED = FILE_DEVICE, RESERVED_OUT = FILE_DEVICE;
#else
constexpr uint32_t RESERVED = FILE_NOTFOUND, RESERVED_OUT = FILE_OK;
#endif

TEST(File, OpensFailCreateShareReplaceAndRemove) {
    TestDir dir;
    WriteFile(dir / "a", "x");
    std::filesystem::create_directories(dir / "sub");
    // clang-format off
    const std::tuple<const char*, uint32_t, uint32_t> cases[] = { // name, flags, result
        {"a", 0, FILE_BADARG}, {"a", FILE_CREATE, FILE_BADARG}, {"b", FILE_READ, FILE_NOTFOUND},
        {"a", FILE_MAKEDIRS | FILE_CREATE | FILE_NOBOM, FILE_BADARG}, // neither reading nor writing
        {"no/such/file", FILE_READ, FILE_NOTFOUND}, {"a/file", FILE_READ, FILE_NOTFOUND},
        {"no/such/file", FILE_WRITE | FILE_CREATE, FILE_NOTFOUND}, // no folders without MAKEDIRS
        {"sub", FILE_READ, FILE_FOLDER}, {"sub", OUTPUT, FILE_FOLDER}, // a folder is no file
        {"Aux", DATA, RESERVED}, {"com1.txt", DATA, RESERVED}, {"LPT9 .bin", DATA, RESERVED},
        {"nul", DATA, RESERVED}, {"sub/con:", DATA, RESERVED}, {"com10", DATA, FILE_NOTFOUND},
        {"prn", OUTPUT | FILE_NODEVICE, RESERVED_OUT}, {"nul.txt", OUTPUT | FILE_NODEVICE, FILE_OK},
        {"auxx.txt", DATA, FILE_NOTFOUND}, {"com0", DATA, FILE_NOTFOUND}, {"a.aux", DATA, FILE_NOTFOUND}};
    // clang-format on
    for (const auto& [name, flags, result] : cases)
        EXPECT_EQ(Opened(dir / name, flags).result, result) << name << " " << flags;
    EXPECT_EQ(ReadFile(dir / "a"), "x");
#ifndef _WIN32 // devices are refused unopened, a FIFO with a writer opened
    for (const char* device : {"/dev/zero", "/dev/null", "/dev/tty"})
        EXPECT_EQ(Opened(device, DATA).result, FILE_DEVICE) << device;
    mkfifo((dir / "f").c_str(), 0600);
    const int writer = open((dir / "f").c_str(), O_RDWR);
    EXPECT_EQ(Opened(dir / "f", DATA).result, FILE_OK);
    close(writer);
#endif
    // Creating makes folders with either separator, truncates, writes anywhere.
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
    // Korean names (in k): a writer shares with no opener, readers with each other; replace,
    // remove.
    const std::string name = dir / "k/\xed\x8c\xa8\xed\x84\xb4.map",
                      other = dir / "k/\xed\x95\x9c.tmp";
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
    EXPECT_TRUE(std::filesystem::is_empty(dir / "k"));
    // A scratch file is read and written where it was asked, and goes with its handle.
    std::filesystem::create_directories(dir / "t");
    const std::string folder = std::filesystem::absolute(dir / "t").string();
#ifdef _WIN32
    _putenv(("TMP=" + folder).c_str());
#else
    setenv("TMPDIR", folder.c_str(), 1);
#endif
    FileHandle* scratch = nullptr;
    ASSERT_EQ(File_OpenScratch(&scratch), FILE_OK);
    EXPECT_EQ(File_WriteAt(scratch, "spool", 0, 5, nullptr), FILE_OK);
    EXPECT_EQ(File_ReadAt(scratch, buf, 1, 8, &done[0]), FILE_OK);
    EXPECT_EQ(std::string(buf, done[0]), "pool");
    File_Close(scratch);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "t"));
}

// A temporary's folders go with it; a name that is taken is passed over, never
// opened; a committed temporary is synced, renamed over its target, and its
// folder synced.
TEST(File, TemporariesAreNewFilesSyncedBeforeTheyReplaceTheTarget) {
    TestDir dir;
    const std::string sub = dir / "sub", target = sub + "/o";
    FileHandle* temp = nullptr;
    File_SeedTempNames(20261207);
    ASSERT_EQ(File_CreateTemp(target.c_str(), FILE_MAKEDIRS, &temp), FILE_OK);
    const std::string first = File_TempName();
    File_Discard(temp);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path));
    std::filesystem::create_directories(sub);
    WriteFile(first, "planted");
    File_SeedTempNames(20261207);
    ASSERT_EQ(File_CreateTemp(target.c_str(), FILE_MAKEDIRS, &temp), FILE_OK);
    File_SeedTempNames(0);
    const std::string second = File_TempName();
    EXPECT_EQ(second.rfind(sub + "/.~", 0), 0u) << second;
    ASSERT_EQ(File_WriteAt(temp, "map", 0, 3, nullptr), FILE_OK);
    g_durable.clear();
    ASSERT_EQ(File_Commit(temp, target.c_str()), FILE_OK);
    EXPECT_EQ(ReadFile(target), "map");
    EXPECT_EQ(ReadFile(first), "planted");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sub), {}), 2); // o, the planted
#ifndef _WIN32 // that data reach the disk is seen on Linux only
    const std::string full = std::filesystem::absolute(sub).string();
    EXPECT_EQ(g_durable,
              (std::vector<std::string>{"sync " + full + second.substr(sub.size()),
                                        "rename " + second + " " + target, "sync " + full}));
#endif
}

} // namespace
