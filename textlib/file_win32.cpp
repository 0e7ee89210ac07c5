// The file layer on Windows: names converted from UTF-8 to the ANSI code
// page for the "A" functions, positional I/O through SetFilePointer, and
// Windows error codes mapped to the layer's result codes. Pipes, consoles and
// the standard handles cannot seek: they are read and written in order.
#include <windows.h>

#include <cstring>

#include "textlib/conv.h"
#include "textlib/file.h"
#include "textlib/mem.h"

static_assert(FILE_CREATE == 4, "<windows.h> must come before textlib/file.h");

struct FileHandle {
    HANDLE handle;
    bool seekable;
    bool owned;    // closed by File_Close; not so for a standard handle
    uint64_t next; // a sequential file's offset: where the next transfer goes
    char name[1];
};

namespace {

uint32_t Seek(HANDLE handle, uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    DWORD low = SetFilePointer(handle, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER) {
        DWORD error = GetLastError();
        if (error != 0) return File_MapError(error);
    }
    return FILE_OK;
}

} // namespace

uint32_t File_MapError(uint32_t error) {
    switch (error) {
    case 0: return FILE_OK;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FILE_NOTFOUND;
    case ERROR_ACCESS_DENIED: return FILE_DENIED;
    case ERROR_OUTOFMEMORY: return FILE_NOMEM;
    case ERROR_SHARING_VIOLATION: return FILE_BUSY;
    default: return FILE_ERROR;
    }
}

uint32_t File_MakeDirs(char* path) {
    char* cut = std::strrchr(path, '\\');
    if (cut && cut != path && cut[-1] != '\\') {
        *cut = 0;
        File_MakeDirs(path);
        *cut = '\\';
    }
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return 0;
    if (CreateDirectoryA(path, nullptr)) return 0;
    return GetLastError();
}

uint32_t File_Open(const char* name, uint32_t flags, FileHandle** out, uint64_t* size) {
    *out = nullptr;
    const char* ansi = Conv_Utf8ToAnsi(name);
    if (!ansi) return FILE_NOMEM;
    const size_t length = std::strlen(ansi);
    FileHandle* file = static_cast<FileHandle*>(Mem_Alloc(sizeof(FileHandle) + length));
    if (!file) return FILE_NOMEM;
    std::memcpy(file->name, ansi, length + 1);
    const bool makeDirs = (flags & FILE_CREATE) && (flags & FILE_MAKEDIRS);
    if (makeDirs)
        for (char* p = file->name; *p; ++p)
            if (*p == '/') *p = '\\';

    DWORD access;
    DWORD share;
    DWORD disposition;
    if (flags & FILE_WRITE) {
        disposition = (flags & FILE_CREATE) ? CREATE_ALWAYS : OPEN_EXISTING;
        access = (flags & FILE_READ) ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
        share = 0;
    } else if (flags & FILE_READ) {
        disposition = OPEN_EXISTING;
        access = GENERIC_READ;
        share = FILE_SHARE_READ;
    } else {
        Mem_Free(file);
        return FILE_BADARG;
    }

    HANDLE handle = CreateFileA(file->name, access, share, nullptr, disposition, 0, nullptr);
    DWORD error = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (handle == INVALID_HANDLE_VALUE && error == ERROR_PATH_NOT_FOUND && makeDirs) {
        char* cut = std::strrchr(file->name, '\\');
        if (cut) {
            *cut = 0;
            DWORD made = File_MakeDirs(file->name);
            *cut = '\\';
            if (made == 0) {
                handle = CreateFileA(file->name, access, share, nullptr, disposition, 0, nullptr);
                if (handle == INVALID_HANDLE_VALUE) error = GetLastError();
            } else {
                error = made;
            }
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        Mem_Free(file);
        return File_MapError(error);
    }
    DWORD high = 0;
    DWORD low = GetFileSize(handle, &high);
    *size = (static_cast<uint64_t>(high) << 32) | low;
    file->handle = handle;
    file->seekable = GetFileType(handle) == FILE_TYPE_DISK;
    file->owned = true;
    file->next = 0;
    *out = file;
    return FILE_OK;
}

uint32_t File_OpenStandard(uint32_t which, FileHandle** out) {
    *out = nullptr;
    HANDLE handle = which == FILE_STDIN    ? GetStdHandle(STD_INPUT_HANDLE)
                    : which == FILE_STDOUT ? GetStdHandle(STD_OUTPUT_HANDLE)
                                           : INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return FILE_ERROR;
    FileHandle* file = static_cast<FileHandle*>(Mem_Alloc(sizeof(FileHandle) + 1));
    if (!file) return FILE_NOMEM;
    // Read in order even when it is a file: the stream may not stand at its start.
    *file = FileHandle{handle, false, false, 0, {'-'}};
    file->name[1] = 0;
    *out = file;
    return FILE_OK;
}

bool File_IsSeekable(const FileHandle* file) {
    return file->seekable;
}

uint32_t File_Close(FileHandle* file) {
    if (!file) return FILE_OK;
    if (file->owned) CloseHandle(file->handle);
    Mem_Free(file);
    return FILE_OK;
}

namespace {

// Seeks to offset and moves count bytes with ReadFile or WriteFile. A
// sequential file moves them in order, going on after a partial transfer
// (a pipe hands out what its writer wrote) until its end: a pipe whose
// writer has gone answers ERROR_BROKEN_PIPE, which is its end of data.
template <typename Buffer, typename Op>
uint32_t Transfer(FileHandle* file, Buffer* buffer, uint64_t offset, uint32_t count, uint32_t* done,
                  Op op) {
    if (file->seekable) {
        const uint32_t result = Seek(file->handle, offset);
        if (result != FILE_OK) return result;
        DWORD moved = 0;
        if (!op(file->handle, buffer, count, &moved, nullptr)) return File_MapError(GetLastError());
        if (done) *done = moved;
        return FILE_OK;
    }
    if (offset != file->next) return FILE_ERROR;
    uint32_t total = 0;
    while (total < count) {
        DWORD moved = 0;
        if (!op(file->handle, buffer + total, count - total, &moved, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
            if (total == 0) return File_MapError(error);
            break;
        }
        if (moved == 0) break;
        total += moved;
    }
    file->next += total;
    if (done) *done = total;
    return FILE_OK;
}

} // namespace

uint32_t File_ReadAt(FileHandle* file, void* buffer, uint64_t offset, uint32_t count,
                     uint32_t* done) {
    return Transfer(file, static_cast<char*>(buffer), offset, count, done, ReadFile);
}

uint32_t File_WriteAt(FileHandle* file, const void* bytes, uint64_t offset, uint32_t count,
                      uint32_t* done) {
    return Transfer(file, static_cast<const char*>(bytes), offset, count, done, WriteFile);
}

uint32_t File_Replace(const char* source, const char* target) {
    const char* converted = Conv_Utf8ToAnsi(source);
    if (!converted) return FILE_NOMEM;
    char from[MAX_PATH * 4];
    if (std::strlen(converted) >= sizeof from) return FILE_NOMEM;
    std::strcpy(from, converted);
    const char* to = Conv_Utf8ToAnsi(target);
    if (!to) return FILE_NOMEM;
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return FILE_OK;
    return File_MapError(GetLastError());
}

uint32_t File_Remove(const char* name) {
    const char* ansi = Conv_Utf8ToAnsi(name);
    if (!ansi) return FILE_NOMEM;
    if (DeleteFileA(ansi)) return FILE_OK;
    return File_MapError(GetLastError());
}
