// The file layer on POSIX systems. Names are UTF-8 as the file system has
// them. A writer's exclusive sharing is kept among this program's openers
// with advisory locks: a writer takes an exclusive lock, a reader a shared
// one, and a conflicting open answers FILE_BUSY as a sharing violation would.
// Pipes, FIFOs, terminals and the standard streams cannot seek: they are read
// and written in order with read() and write().
#include "textlib/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "textlib/mem.h"

struct FileHandle {
    int fd;
    bool seekable;
    bool owned;    // closed by File_Close; not so for a standard stream
    uint64_t next; // a sequential file's offset: where the next transfer goes
    char name[1];
};

namespace {

void ToSlashes(char* name) {
    for (; *name; ++name)
        if (*name == '\\') *name = '/';
}

} // namespace

uint32_t File_MapError(uint32_t error) {
    switch (error) {
    case 0: return FILE_OK;
    case ENOENT:
    case ENOTDIR: return FILE_NOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return FILE_DENIED;
    case ENOMEM: return FILE_NOMEM;
    case EWOULDBLOCK:
    case EBUSY:
    case ETXTBSY: return FILE_BUSY;
    default: return FILE_ERROR;
    }
}

uint32_t File_MakeDirs(char* path) {
    char* cut = std::strrchr(path, '/');
    if (cut && cut != path && cut[-1] != '/') {
        *cut = 0;
        File_MakeDirs(path);
        *cut = '/';
    }
    struct stat st;
    if (stat(path, &st) == 0) return 0;
    if (mkdir(path, 0777) == 0) return 0;
    return static_cast<uint32_t>(errno);
}

uint32_t File_Open(const char* name, uint32_t flags, FileHandle** out, uint64_t* size) {
    *out = nullptr;
    const size_t length = std::strlen(name);
    FileHandle* file = static_cast<FileHandle*>(Mem_Alloc(sizeof(FileHandle) + length));
    if (!file) return FILE_NOMEM;
    std::memcpy(file->name, name, length + 1);
    const bool makeDirs = (flags & FILE_CREATE) && (flags & FILE_MAKEDIRS);
    if (makeDirs) ToSlashes(file->name);

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
    mode |= O_CLOEXEC;

    int fd = open(file->name, mode, 0666);
    int error = fd < 0 ? errno : 0;
    if (fd < 0 && error == ENOENT && makeDirs) {
        char* cut = std::strrchr(file->name, '/');
        if (cut) {
            *cut = 0;
            uint32_t made = File_MakeDirs(file->name);
            *cut = '/';
            if (made == 0) {
                fd = open(file->name, mode, 0666);
                error = fd < 0 ? errno : 0;
            } else {
                error = static_cast<int>(made);
            }
        }
    }
    if (fd >= 0) {
        struct stat st;
        if (fstat(fd, &st) != 0) {
            error = errno;
        } else if (S_ISDIR(st.st_mode)) {
            error = EISDIR; // a folder is no file to read or write, as on Windows
        } else if (S_ISREG(st.st_mode) && flock(fd, lock | LOCK_NB) != 0) {
            error = errno == EWOULDBLOCK ? EWOULDBLOCK : errno;
        } else if (S_ISREG(st.st_mode) && (flags & FILE_WRITE) && (flags & FILE_CREATE) &&
                   ftruncate(fd, 0) != 0) {
            error = errno;
        } else {
            file->seekable = S_ISREG(st.st_mode) || S_ISBLK(st.st_mode);
            file->owned = true;
            file->next = 0;
            *size = (flags & FILE_WRITE) && (flags & FILE_CREATE)
                        ? 0
                        : static_cast<uint64_t>(st.st_size);
            file->fd = fd;
            *out = file;
            return FILE_OK;
        }
        close(fd);
    }
    Mem_Free(file);
    return File_MapError(static_cast<uint32_t>(error));
}

uint32_t File_OpenStandard(uint32_t which, FileHandle** out) {
    *out = nullptr;
    const int fd = which == FILE_STDIN ? 0 : which == FILE_STDOUT ? 1 : -1;
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) return FILE_ERROR;
    FileHandle* file = static_cast<FileHandle*>(Mem_Alloc(sizeof(FileHandle) + 1));
    if (!file) return FILE_NOMEM;
    // Read in order even when it is a file: the stream may not stand at its start.
    *file = FileHandle{fd, false, false, 0, {'-'}};
    file->name[1] = 0;
    *out = file;
    return FILE_OK;
}

bool File_IsSeekable(const FileHandle* file) {
    return file->seekable;
}

uint32_t File_Close(FileHandle* file) {
    if (!file) return FILE_OK;
    if (file->owned) close(file->fd);
    Mem_Free(file);
    return FILE_OK;
}

namespace {

// Moves count bytes at offset with pread or pwrite (read or write in order on
// a sequential file), going on after a partial transfer; a failure after
// some bytes moved ends it as a short transfer.
template <typename Buffer, typename Op, typename SeqOp>
uint32_t Transfer(FileHandle* file, Buffer* buffer, uint64_t offset, uint32_t count, uint32_t* done,
                  Op op, SeqOp seqOp) {
    if (!file->seekable && offset != file->next) return FILE_ERROR;
    const int fd = file->fd;
    uint32_t total = 0;
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
    file->next += total;
    if (done) *done = total;
    return FILE_OK;
}

} // namespace

uint32_t File_ReadAt(FileHandle* file, void* buffer, uint64_t offset, uint32_t count,
                     uint32_t* done) {
    return Transfer(file, static_cast<char*>(buffer), offset, count, done, pread, read);
}

uint32_t File_WriteAt(FileHandle* file, const void* bytes, uint64_t offset, uint32_t count,
                      uint32_t* done) {
    return Transfer(file, static_cast<const char*>(bytes), offset, count, done, pwrite, write);
}

uint32_t File_Replace(const char* source, const char* target) {
    if (rename(source, target) == 0) return FILE_OK;
    return File_MapError(static_cast<uint32_t>(errno));
}

uint32_t File_Remove(const char* name) {
    if (unlink(name) == 0) return FILE_OK;
    return File_MapError(static_cast<uint32_t>(errno));
}
