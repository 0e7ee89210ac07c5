// The file layer on POSIX systems. Names are UTF-8 as the file system has
// them. A writer's exclusive sharing is kept among this program's openers
// with advisory locks: a writer takes an exclusive lock, a reader a shared
// one, and a conflicting open answers FILE_BUSY as a sharing violation would.
// Devices, FIFOs and sockets are not shared that way: two writers to
// /dev/null do not conflict. Pipes, FIFOs, terminals and the standard
// streams cannot seek: they are read and written in order with read() and
// write().
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "textlib/file_common.h"
#include "textlib/mem.h"

namespace {

// What a FILE_NODEVICE reader takes: data that end, in a file or a FIFO (a
// folder is refused as such).
bool IsData(const struct stat& st) {
    return S_ISREG(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISDIR(st.st_mode);
}

} // namespace

uint32_t File_MapError(uint32_t error) {
    switch (error) {
    case 0: return FILE_OK;
    case ENOENT:
    case ENOTDIR: return FILE_NOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS: return FILE_DENIED;
    case EISDIR: return FILE_FOLDER;
    case ENOMEM: return FILE_NOMEM;
    case EWOULDBLOCK:
    case EBUSY:
    case ETXTBSY: return FILE_BUSY;
    default: return FILE_ERROR;
    }
}

bool FileSys_Exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0;
}

uint32_t FileSys_MakeDir(const char* path) {
    return mkdir(path, 0777) != 0 ? static_cast<uint32_t>(errno) : 0;
}

bool FileSys_RemoveDir(const char* path) {
    return rmdir(path) == 0;
}

uint32_t File_Open(const char* name, uint32_t flags, FileHandle** out, uint64_t* size) {
    *out = nullptr;
    FileHandle* file = FileHandle_ForOpen(name, flags);
    if (!file) return FILE_NOMEM;
    int mode;
    int lock;
    if (flags & FILE_WRITE) {
        mode = (flags & FILE_READ) ? O_RDWR : O_WRONLY;
        if (flags & FILE_CREATE) mode |= O_CREAT;
        lock = LOCK_EX;
    } else if (flags & FILE_READ) {
        mode = O_RDONLY;
        lock = LOCK_SH;
    } else {
        Mem_Free(file);
        return FILE_BADARG;
    }
    mode |= O_CLOEXEC | O_NOCTTY;
    // A reader that wants data that end is told from its name what a device
    // is before opening it, which may wait (a serial line, for its carrier).
    const bool dataOnly = (flags & FILE_NODEVICE) && !(flags & FILE_WRITE);
    const bool makeDirs = (flags & FILE_CREATE) && (flags & FILE_MAKEDIRS);
    struct stat st;
    if (dataOnly && stat(file->name, &st) == 0 && !IsData(st)) {
        Mem_Free(file);
        return FILE_DEVICE;
    }

    int fd = open(file->name, mode, 0666);
    int error = fd < 0 ? errno : 0;
    if (fd < 0 && error == ENOENT && makeDirs) {
        uint32_t made = static_cast<uint32_t>(error);
        if (FileName_MakeParent(file->name, &made)) {
            fd = open(file->name, mode, 0666);
            error = fd < 0 ? errno : 0;
        } else {
            error = static_cast<int>(made);
        }
    }
    if (fd >= 0) {
        if (fstat(fd, &st) != 0) {
            error = errno;
        } else if (S_ISDIR(st.st_mode)) {
            error = EISDIR; // a folder is no file to read or write, as on Windows
        } else if (dataOnly && !IsData(st)) {
            close(fd);
            Mem_Free(file);
            return FILE_DEVICE;
        } else if (S_ISREG(st.st_mode) && flock(fd, lock | LOCK_NB) != 0) {
            error = errno == EWOULDBLOCK ? EWOULDBLOCK : errno;
        } else if ((flags & FILE_WRITE) && (flags & FILE_CREATE) && S_ISREG(st.st_mode) &&
                   ftruncate(fd, 0) != 0) {
            error = errno;
        } else {
            file->seekable = S_ISREG(st.st_mode) || S_ISBLK(st.st_mode);
            *size = (flags & FILE_WRITE) && (flags & FILE_CREATE)
                        ? 0
                        : static_cast<uint64_t>(st.st_size);
            file->native = fd;
            *out = file;
            return FILE_OK;
        }
        close(fd);
    }
    Mem_Free(file);
    return File_MapError(static_cast<uint32_t>(error));
}

uint32_t FileSys_Standard(uint32_t which, FileNative* native) {
    const int fd = which == FILE_STDIN ? 0 : which == FILE_STDOUT ? 1 : -1;
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) return FILE_ERROR;
    // A shell's pipe may be a socket; a terminal's input ends with its EOF key.
    if (fd == 0 && !IsData(st) && !S_ISSOCK(st.st_mode) && !isatty(fd)) return FILE_DEVICE;
    *native = fd;
    return FILE_OK;
}

void FileSys_Close(FileNative native) {
    close(native);
}

bool File_IsTerminal(const FileHandle* file) {
    return isatty(file->native) != 0;
}

namespace {

// Moves count bytes at offset with pread or pwrite (read or write in order on
// a sequential file), going on after a partial transfer; a failure after
// some bytes moved ends it as a short transfer.
template <typename Buffer, typename Op, typename SeqOp>
uint32_t Transfer(const FileHandle* file, Buffer* buffer, uint64_t offset, uint32_t count,
                  uint32_t* moved, Op op, SeqOp seqOp) {
    const int fd = file->native;
    uint32_t& total = *moved;
    while (total < count) {
        const ssize_t n = file->seekable ? op(fd, buffer + total, count - total,
                                              static_cast<off_t>(offset + total))
                                         : seqOp(fd, buffer + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (total == 0) return File_MapError(static_cast<uint32_t>(errno));
            break;
        }
        if (n == 0) break;
        total += static_cast<uint32_t>(n);
    }
    return FILE_OK;
}

} // namespace

uint32_t FileSys_Read(const FileHandle* file, void* buffer, uint64_t offset, uint32_t count,
                      uint32_t* moved) {
    return Transfer(file, static_cast<char*>(buffer), offset, count, moved, pread, read);
}

uint32_t FileSys_Write(const FileHandle* file, const void* bytes, uint64_t offset, uint32_t count,
                       uint32_t* moved) {
    return Transfer(file, static_cast<const char*>(bytes), offset, count, moved, pwrite, write);
}

uint32_t File_Replace(const char* source, const char* target) {
    if (rename(source, target) == 0) return FILE_OK;
    return File_MapError(static_cast<uint32_t>(errno));
}

uint32_t File_Remove(const char* name) {
    if (unlink(name) == 0) return FILE_OK;
    return File_MapError(static_cast<uint32_t>(errno));
}

namespace {

// The temporary being written, kept where a signal handler can reach it.
char tempName[PATH_MAX + 32] = "";
volatile sig_atomic_t tempLive = 0;

constexpr int MAX_LINKS = 40; // as the kernel follows at most

// Whether a link on device dev lives in /proc, with the process's own files.
bool IsProcessLink(dev_t dev) {
    struct stat proc;
    return stat("/proc/self", &proc) == 0 && proc.st_dev == dev;
}

// Syncs the folder named by the first length bytes of name (the working
// folder when length is 0). Not every file system syncs folders; the data
// are on disk already, so a failure here is no failure of the job.
void SyncFolder(const char* name, size_t length) {
    char* folder = static_cast<char*>(Mem_Alloc(length + 2));
    if (!folder) return;
    std::memcpy(folder, length ? name : ".", length ? length : 1);
    folder[length ? length : 1] = 0;
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
    Mem_Free(folder);
}

} // namespace

uint64_t FileSys_RandomBits() {
    uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) {
        bits = static_cast<uint64_t>(time(nullptr)) * 6364136223846793005u ^
               static_cast<uint64_t>(getpid()) << 32 ^ reinterpret_cast<uintptr_t>(&bits);
    }
    return bits;
}

uint32_t File_Resolve(const char* name, char** target, uint32_t* kind) {
    *target = nullptr;
    size_t length = std::strlen(name);
    char* current = static_cast<char*>(Mem_Alloc(length + 1));
    if (!current) return FILE_NOMEM;
    std::memcpy(current, name, length + 1);
    FileName_ToNative(current);
    for (int links = 0;; links++) {
        struct stat st;
        if (length == 0 || current[length - 1] == '/') {
            *kind = length ? FILE_KIND_FOLDER : FILE_KIND_NONE;
            break;
        }
        if (lstat(current, &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) {
                Mem_Free(current);
                return File_MapError(static_cast<uint32_t>(errno));
            }
            *kind = FILE_KIND_NONE;
            break;
        }
        // The links of /proc (/dev/stdout, /dev/fd/N) stand for files this
        // process has open: pipes, terminals, or a file the shell opened; the
        // map goes straight into them, as into a device.
        if (S_ISLNK(st.st_mode) && IsProcessLink(st.st_dev)) {
            *kind = FILE_KIND_DEVICE;
            break;
        }
        if (!S_ISLNK(st.st_mode)) {
            *kind = S_ISREG(st.st_mode)   ? FILE_KIND_FILE
                    : S_ISDIR(st.st_mode) ? FILE_KIND_FOLDER
                                          : FILE_KIND_DEVICE;
            break;
        }
        // A relative link is read from the folder that holds it.
        char link[PATH_MAX];
        const ssize_t n = links < MAX_LINKS ? readlink(current, link, sizeof link) : -1;
        if (n <= 0 || n >= PATH_MAX) {
            Mem_Free(current);
            return FILE_ERROR; // a loop of links, or one that cannot be read
        }
        const char* slash = std::strrchr(current, '/');
        const size_t folder =
            slash && link[0] != '/' ? static_cast<size_t>(slash - current) + 1 : 0;
        char* next = static_cast<char*>(Mem_Alloc(folder + static_cast<size_t>(n) + 1));
        if (!next) {
            Mem_Free(current);
            return FILE_NOMEM;
        }
        std::memcpy(next, current, folder);
        std::memcpy(next + folder, link, static_cast<size_t>(n));
        length = folder + static_cast<size_t>(n);
        next[length] = 0;
        Mem_Free(current);
        current = next;
    }
    *target = current;
    return FILE_OK;
}

bool File_Same(const char* a, const char* b) {
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

uint32_t FileSys_RefusesWriters(const char* name) {
    // A file without a write bit is read-only for every user, the superuser
    // too, whom the system itself would let write it; so the read-only
    // attribute is on Windows.
    struct stat st;
    if (stat(name, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0) return FILE_DENIED;
    return FILE_OK;
}

uint32_t File_CreateTemp(const char* target, uint32_t flags, FileHandle** out) {
    *out = nullptr;
    const size_t folder = FileName_FolderLength(target);
    if (folder + TEMP_LENGTH >= sizeof tempName) return FILE_NOMEM;
    std::memcpy(tempName, target, folder);
    std::memcpy(tempName + folder, TEMP_PATTERN, TEMP_LENGTH + 1);
    FileName_ToNative(tempName);
    uint32_t error = 0;
    FileHandle* file = FileTemp_New(target, folder, flags, &error);
    if (!file) return FILE_NOMEM;
    // Signals wait while the name is registered and the file made, so that
    // a handler never finds a file of ours unregistered, nor a name unmade.
    sigset_t all, before;
    sigfillset(&all);
    int fd = -1;
    for (int i = 0; error == 0 && fd < 0 && i < TEMP_TRIES; i++) {
        FileTemp_Letters(file->name + folder + TEMP_LETTERS);
        sigprocmask(SIG_BLOCK, &all, &before);
        std::memcpy(tempName, file->name, folder + TEMP_LENGTH + 1);
        fd = open(file->name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        error = fd < 0 && errno != EEXIST ? static_cast<uint32_t>(errno) : 0;
        tempLive = fd >= 0;
        sigprocmask(SIG_SETMASK, &before, nullptr);
    }
    if (fd < 0) {
        FileTemp_RemoveMadeDirs(file);
        FileHandle_Free(file);
        return error ? File_MapError(error) : FILE_ERROR;
    }
    // A replaced file keeps its owner where that is allowed, and its permissions.
    struct stat st;
    if (stat(target, &st) == 0 && S_ISREG(st.st_mode)) {
        if (fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner of a file or the superuser may give it away.
        }
        fchmod(fd, st.st_mode & 07777);
    }
    file->native = fd;
    *out = file;
    return FILE_OK;
}

const char* File_TempName() {
    return tempName;
}

uint32_t File_Sync(FileHandle* file) {
    if (fsync(file->native) == 0) return FILE_OK;
    return File_MapError(static_cast<uint32_t>(errno));
}

uint32_t File_Commit(FileHandle* temp, const char* target) {
    uint32_t result = File_Sync(temp);
    if (close(temp->native) != 0 && result == FILE_OK)
        result = File_MapError(static_cast<uint32_t>(errno));
    temp->native = -1;
    // Only an ordinary file is ever replaced, whatever came between: never a
    // device, a folder or a link put in its place.
    struct stat st;
    if (result == FILE_OK && lstat(target, &st) == 0 && !S_ISREG(st.st_mode)) result = FILE_DENIED;
    if (result == FILE_OK && rename(temp->name, target) != 0)
        result = File_MapError(static_cast<uint32_t>(errno));
    if (result != FILE_OK) {
        File_Discard(temp);
        return result;
    }
    tempLive = 0;
    // The rename is an entry of the folder, and each folder made for it an
    // entry of its parent: they last once those folders are synced.
    SyncFolder(target, FileName_FolderLength(target));
    for (uint32_t i = temp->madeCount; i-- > 0;) {
        size_t parent = temp->made[i];
        while (parent > 0 && temp->name[parent - 1] != '/')
            parent--;
        SyncFolder(temp->name, parent);
    }
    FileHandle_Free(temp);
    return FILE_OK;
}

void File_Discard(FileHandle* temp) {
    if (!temp) return;
    if (temp->native >= 0) close(temp->native);
    unlink(temp->name);
    tempLive = 0;
    FileTemp_RemoveMadeDirs(temp);
    FileHandle_Free(temp);
}

uint32_t File_OpenScratch(FileHandle** out) {
    *out = nullptr;
    const char* folder = getenv("TMPDIR");
    if (!folder || !*folder) folder = "/tmp";
    const size_t length = std::strlen(folder);
    FileHandle* file = FileHandle_New(folder, length, length + 1 + TEMP_LENGTH);
    if (!file) return FILE_NOMEM;
    file->name[length] = '/';
    std::memcpy(file->name + length + 1, TEMP_PATTERN, TEMP_LENGTH + 1);
    // Unlinked as soon as it is made, so that nothing is left of it however the process ends.
    int fd = -1, error = 0;
    for (int i = 0; fd < 0 && error == 0 && i < TEMP_TRIES; i++) {
        FileTemp_Letters(file->name + length + 1 + TEMP_LETTERS);
        fd = open(file->name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        error = fd < 0 && errno != EEXIST ? errno : 0;
    }
    if (fd < 0) {
        Mem_Free(file);
        return error ? File_MapError(static_cast<uint32_t>(error)) : FILE_ERROR;
    }
    unlink(file->name);
    file->native = fd;
    file->seekable = true;
    *out = file;
    return FILE_OK;
}

void File_RemoveLiveTemp() {
    if (tempLive) unlink(tempName);
}
