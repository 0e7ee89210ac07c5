// The file layer on Windows: names converted from UTF-8 to the ANSI code
// page for the "A" functions, positional I/O through SetFilePointer, and
// Windows error codes mapped to the layer's result codes. Temporaries are
// opened with delete sharing, so that a console control handler on another
// thread can delete the live one while it is open. Devices, pipes, consoles
// and the standard handles cannot seek: they are read and written in order.
#include <windows.h>

#include <ntsecapi.h>

#include <cstring>

#include "textlib/conv.h"
#include "textlib/file_common.h"
#include "textlib/mem.h"

static_assert(FILE_CREATE == 4, "<windows.h> must come before textlib/file.h");

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

// Whether the last part of name is one that Windows keeps for a device
// whatever folder it stands in: CON, PRN, AUX, NUL, COM1-9 or LPT1-9, in
// any case, with any extension or colon after it and blanks before that.
// 1 for NUL, 2 for the others, 0 for none.
int ReservedDevice(const char* name) {
    const char* base = name;
    if (((name[0] | 32) >= 'a' && (name[0] | 32) <= 'z') && name[1] == ':') base = name + 2;
    for (const char* p = base; *p; p++)
        if (*p == '\\' || *p == '/') base = p + 1;
    size_t n = std::strcspn(base, ".:");
    while (n > 0 && base[n - 1] == ' ')
        n--;
    char stem[5] = "";
    if (n < 3 || n > 4) return 0;
    for (size_t i = 0; i < n; i++)
        stem[i] = static_cast<char>(base[i] >= 'a' && base[i] <= 'z' ? base[i] - 32 : base[i]);
    if (n == 3) {
        if (std::strcmp(stem, "NUL") == 0) return 1;
        return std::strcmp(stem, "CON") == 0 || std::strcmp(stem, "PRN") == 0 ||
                       std::strcmp(stem, "AUX") == 0
                   ? 2
                   : 0;
    }
    const bool port = std::strncmp(stem, "COM", 3) == 0 || std::strncmp(stem, "LPT", 3) == 0;
    return port && stem[3] >= '1' && stem[3] <= '9' ? 2 : 0;
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

bool FileSys_Exists(const char* path) {
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

uint32_t FileSys_MakeDir(const char* path) {
    return CreateDirectoryA(path, nullptr) ? 0 : GetLastError();
}

bool FileSys_RemoveDir(const char* path) {
    return RemoveDirectoryA(path) != 0;
}

uint32_t File_Open(const char* name, uint32_t flags, FileHandle** out, uint64_t* size) {
    *out = nullptr;
    const char* ansi = Conv_Utf8ToAnsi(name);
    FileHandle* file = ansi ? FileHandle_ForOpen(ansi, flags) : nullptr;
    if (!file) return FILE_NOMEM;
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

    // A reserved name is told apart before it is opened: opening a serial
    // line can wait for its carrier.
    const bool dataOnly = (flags & FILE_NODEVICE) && !(flags & FILE_WRITE);
    const bool makeDirs = (flags & FILE_CREATE) && (flags & FILE_MAKEDIRS);
    const int reserved = (flags & FILE_NODEVICE) ? ReservedDevice(file->name) : 0;
    if (reserved == 2 || (reserved == 1 && dataOnly)) {
        Mem_Free(file);
        return FILE_DEVICE;
    }
    HANDLE handle = CreateFileA(file->name, access, share, nullptr, disposition, 0, nullptr);
    uint32_t error = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (handle == INVALID_HANDLE_VALUE && error == ERROR_PATH_NOT_FOUND && makeDirs &&
        FileName_MakeParent(file->name, &error)) {
        handle = CreateFileA(file->name, access, share, nullptr, disposition, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) error = GetLastError();
    }
    if (handle == INVALID_HANDLE_VALUE) {
        // A folder is refused as access denied; it is told as what it is.
        const DWORD attributes = GetFileAttributesA(file->name);
        Mem_Free(file);
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return FILE_FOLDER;
        return File_MapError(error);
    }
    const DWORD type = GetFileType(handle);
    if (dataOnly && type != FILE_TYPE_DISK && type != FILE_TYPE_PIPE) {
        CloseHandle(handle);
        Mem_Free(file);
        return FILE_DEVICE;
    }
    DWORD high = 0;
    DWORD low = GetFileSize(handle, &high);
    *size = (static_cast<uint64_t>(high) << 32) | low;
    file->native = handle;
    file->seekable = type == FILE_TYPE_DISK;
    *out = file;
    return FILE_OK;
}

uint32_t FileSys_Standard(uint32_t which, FileNative* native) {
    HANDLE handle = which == FILE_STDIN    ? GetStdHandle(STD_INPUT_HANDLE)
                    : which == FILE_STDOUT ? GetStdHandle(STD_OUTPUT_HANDLE)
                                           : INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return FILE_ERROR;
    DWORD mode = 0;
    if (which == FILE_STDIN && GetFileType(handle) == FILE_TYPE_CHAR &&
        !GetConsoleMode(handle, &mode))
        return FILE_DEVICE; // NUL, a serial line: no console's input
    *native = handle;
    return FILE_OK;
}

void FileSys_Close(FileNative native) {
    CloseHandle(native);
}

bool File_IsTerminal(const FileHandle* file) {
    DWORD mode = 0;
    return GetFileType(file->native) == FILE_TYPE_CHAR && GetConsoleMode(file->native, &mode);
}

namespace {

// Seeks to offset and moves count bytes with ReadFile or WriteFile. A
// sequential file moves them in order, going on after a partial transfer
// (a pipe hands out what its writer wrote) until its end: a pipe whose
// writer has gone answers ERROR_BROKEN_PIPE, which is its end of data.
template <typename Buffer, typename Op>
uint32_t Transfer(const FileHandle* file, Buffer* buffer, uint64_t offset, uint32_t count,
                  uint32_t* moved, Op op) {
    if (file->seekable) {
        const uint32_t result = Seek(file->native, offset);
        if (result != FILE_OK) return result;
        DWORD once = 0;
        if (!op(file->native, buffer, count, &once, nullptr)) return File_MapError(GetLastError());
        *moved = once;
        return FILE_OK;
    }
    uint32_t& total = *moved;
    while (total < count) {
        DWORD moved = 0;
        if (!op(file->native, buffer + total, count - total, &moved, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
            if (total == 0) return File_MapError(error);
            break;
        }
        if (moved == 0) break;
        total += moved;
    }
    return FILE_OK;
}

} // namespace

uint32_t FileSys_Read(const FileHandle* file, void* buffer, uint64_t offset, uint32_t count,
                      uint32_t* moved) {
    return Transfer(file, static_cast<char*>(buffer), offset, count, moved, ReadFile);
}

uint32_t FileSys_Write(const FileHandle* file, const void* bytes, uint64_t offset, uint32_t count,
                       uint32_t* moved) {
    return Transfer(file, static_cast<const char*>(bytes), offset, count, moved, WriteFile);
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

namespace {

// The temporary being written: its ANSI name for the control handler, its
// UTF-8 name for messages.
char tempName[MAX_PATH * 4] = "";
char tempUtf8[MAX_PATH * 4] = "";
volatile LONG tempLive = 0;

constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Copies the ANSI form of a UTF-8 name into out (size bytes); false when it
// cannot be converted or does not fit.
bool ToAnsi(const char* name, char* out, size_t size) {
    const char* ansi = Conv_Utf8ToAnsi(name);
    if (!ansi || std::strlen(ansi) >= size) return false;
    std::strcpy(out, ansi);
    return true;
}

// The final name of an open file as an ANSI path, through the function that
// Windows has from Vista on; false where it is missing.
bool FinalName(HANDLE handle, char* out, DWORD size) {
    typedef DWORD(WINAPI * FinalPathFn)(HANDLE, LPSTR, DWORD, DWORD);
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA");
    if (!proc) return false;
    FinalPathFn finalPath = reinterpret_cast<FinalPathFn>(reinterpret_cast<void*>(proc));
    const DWORD n = finalPath(handle, out, size, 0);
    if (n == 0 || n >= size) return false;
    if (std::strncmp(out, "\\\\?\\UNC\\", 8) == 0) {
        std::memmove(out + 2, out + 8, n - 7);
    } else if (std::strncmp(out, "\\\\?\\", 4) == 0) {
        std::memmove(out, out + 4, n - 3);
    }
    return true;
}

} // namespace

uint64_t FileSys_RandomBits() {
    uint64_t bits = 0;
    if (!RtlGenRandom(&bits, sizeof bits)) {
        bits = (static_cast<uint64_t>(GetTickCount()) << 32 ^ GetCurrentProcessId()) *
               6364136223846793005u;
    }
    return bits;
}

uint32_t File_Resolve(const char* name, char** target, uint32_t* kind) {
    *target = nullptr;
    char ansi[MAX_PATH * 4];
    if (!ToAnsi(name, ansi, sizeof ansi)) return FILE_NOMEM;
    const size_t length = std::strlen(ansi);
    const char* result = name;
    char final[MAX_PATH * 4];
    if (length == 0) {
        *kind = FILE_KIND_NONE;
    } else if (ansi[length - 1] == '\\' || ansi[length - 1] == '/') {
        *kind = FILE_KIND_FOLDER;
    } else if (ReservedDevice(ansi)) {
        *kind = FILE_KIND_DEVICE; // not opened: a serial line can keep the opener waiting
    } else {
        // Opening asks no access, so it neither conflicts with other openers
        // nor changes anything; it follows links and reaches devices.
        const DWORD attributes = GetFileAttributesA(ansi);
        HANDLE handle = CreateFileA(ansi, 0, SHARE_ALL, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            if (attributes != INVALID_FILE_ATTRIBUTES)
                *kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_KIND_FOLDER : FILE_KIND_FILE;
            else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                *kind = FILE_KIND_NONE;
            else
                return File_MapError(error);
        } else {
            const bool folder =
                attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
            *kind = GetFileType(handle) != FILE_TYPE_DISK ? FILE_KIND_DEVICE
                    : folder                              ? FILE_KIND_FOLDER
                                                          : FILE_KIND_FILE;
            // The file's own name, at the end of its links (Unix links too, under Wine).
            if (*kind == FILE_KIND_FILE && FinalName(handle, final, sizeof final)) {
                result = Conv_AnsiToUtf8(final);
            }
            CloseHandle(handle);
            if (!result) return FILE_NOMEM;
        }
    }
    const size_t size = std::strlen(result) + 1;
    *target = static_cast<char*>(Mem_Alloc(size));
    if (!*target) return FILE_NOMEM;
    std::memcpy(*target, result, size);
    return FILE_OK;
}

bool File_Same(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const char* names[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        const char* ansi = Conv_Utf8ToAnsi(names[i]);
        if (ansi && ReservedDevice(ansi)) return false; // a device is never a file's other name
        HANDLE handle = ansi ? CreateFileA(ansi, 0, SHARE_ALL, nullptr, OPEN_EXISTING,
                                           FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                             : INVALID_HANDLE_VALUE;
        if (handle == INVALID_HANDLE_VALUE) return false;
        const BOOL known = GetFileInformationByHandle(handle, &info[i]);
        CloseHandle(handle);
        if (!known) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh &&
           info[0].nFileIndexLow == info[1].nFileIndexLow;
}

uint32_t FileSys_RefusesWriters(const char* name) {
    char ansi[MAX_PATH * 4];
    if (!ToAnsi(name, ansi, sizeof ansi)) return FILE_NOMEM;
    // The read-only attribute refuses writers even where the system would
    // let this user through (Wine running as the superuser).
    const DWORD attributes = GetFileAttributesA(ansi);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return FILE_DENIED;
    return FILE_OK;
}

uint32_t File_CreateTemp(const char* target, uint32_t flags, FileHandle** out) {
    *out = nullptr;
    tempUtf8[0] = 0;
    char ansi[MAX_PATH * 4];
    if (!ToAnsi(target, ansi, sizeof ansi)) return FILE_NOMEM;
    const size_t folder = FileName_FolderLength(ansi), folderUtf8 = FileName_FolderLength(target);
    if (folder + TEMP_LENGTH >= sizeof tempName || folderUtf8 + TEMP_LENGTH >= sizeof tempUtf8)
        return FILE_NOMEM;
    std::memcpy(tempUtf8, target, folderUtf8);
    std::memcpy(tempUtf8 + folderUtf8, TEMP_PATTERN, TEMP_LENGTH + 1);
    uint32_t error = 0;
    FileHandle* file = FileTemp_New(ansi, folder, flags, &error);
    if (!file) return FILE_NOMEM;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int i = 0; error == 0 && handle == INVALID_HANDLE_VALUE && i < TEMP_TRIES; i++) {
        FileTemp_Letters(file->name + folder + TEMP_LETTERS);
        std::memcpy(tempUtf8 + folderUtf8 + TEMP_LETTERS, file->name + folder + TEMP_LETTERS, 12);
        InterlockedExchange(&tempLive, 0);
        std::memcpy(tempName, file->name, folder + TEMP_LENGTH + 1);
        handle = CreateFileA(file->name, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        error = GetLastError();
        if (handle != INVALID_HANDLE_VALUE)
            InterlockedExchange(&tempLive, 1);
        else if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            error = 0;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        FileTemp_RemoveMadeDirs(file);
        FileHandle_Free(file);
        return error ? File_MapError(error) : FILE_ERROR;
    }
    file->native = handle;
    *out = file;
    return FILE_OK;
}

const char* File_TempName() {
    return tempUtf8;
}

uint32_t File_Sync(FileHandle* file) {
    if (FlushFileBuffers(file->native)) return FILE_OK;
    return File_MapError(GetLastError());
}

uint32_t File_Commit(FileHandle* temp, const char* target) {
    uint32_t result = File_Sync(temp);
    CloseHandle(temp->native);
    temp->native = INVALID_HANDLE_VALUE;
    char to[MAX_PATH * 4];
    if (result == FILE_OK && !ToAnsi(target, to, sizeof to)) result = FILE_NOMEM;
    // Only an ordinary file is ever replaced, never a device such as NUL,
    // which Wine shows as a file of its Unix name.
    HANDLE existing = result == FILE_OK ? CreateFileA(to, 0, SHARE_ALL, nullptr, OPEN_EXISTING,
                                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr)
                                        : INVALID_HANDLE_VALUE;
    if (existing != INVALID_HANDLE_VALUE) {
        if (GetFileType(existing) != FILE_TYPE_DISK) result = FILE_DENIED;
        CloseHandle(existing);
    }
    if (result == FILE_OK &&
        !MoveFileExA(temp->name, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        result = File_MapError(GetLastError());
    if (result != FILE_OK) {
        File_Discard(temp);
        return result;
    }
    InterlockedExchange(&tempLive, 0);
    FileHandle_Free(temp);
    return FILE_OK;
}

void File_Discard(FileHandle* temp) {
    if (!temp) return;
    if (temp->native != INVALID_HANDLE_VALUE) CloseHandle(temp->native);
    DeleteFileA(temp->name);
    InterlockedExchange(&tempLive, 0);
    FileTemp_RemoveMadeDirs(temp);
    FileHandle_Free(temp);
}

uint32_t File_OpenScratch(FileHandle** out) {
    *out = nullptr;
    char folder[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return FILE_ERROR;
    FileHandle* file = FileHandle_New(folder, length, length + TEMP_LENGTH);
    if (!file) return FILE_NOMEM;
    std::memcpy(file->name + length, TEMP_PATTERN, TEMP_LENGTH + 1);
    // Deleted by the system with its last handle, however the process ends.
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    for (int i = 0; handle == INVALID_HANDLE_VALUE && error == 0 && i < TEMP_TRIES; i++) {
        FileTemp_Letters(file->name + length + TEMP_LETTERS);
        handle = CreateFileA(file->name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        error = handle == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) error = 0;
    }
    if (handle == INVALID_HANDLE_VALUE) {
        Mem_Free(file);
        return error ? File_MapError(error) : FILE_ERROR;
    }
    file->native = handle;
    file->seekable = true;
    *out = file;
    return FILE_OK;
}

void File_RemoveLiveTemp() {
    if (tempLive) DeleteFileA(tempName);
}
