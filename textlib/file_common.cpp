// The portable half of the file layer: handles, standard streams, folders
// made on the way to a file and the names of temporaries, written once for
// both backends, which supply the system calls (file_common.h).
#include "textlib/file_common.h"

#include <cstring>

#include "textlib/mem.h"

namespace {

uint64_t tempSeed = 0; // 0: names from the system's random source

// File_MakeDirs, also noting the length of each folder it made in
// made[(*count)++] when made is given (room for one per separator and one).
uint32_t MakeDirs(char* path, uint32_t* made, uint32_t* count) {
    char* cut = std::strrchr(path, FILE_SEPARATOR);
    if (cut && cut != path && cut[-1] != FILE_SEPARATOR) {
        *cut = 0;
        MakeDirs(path, made, count);
        *cut = FILE_SEPARATOR;
    }
    if (FileSys_Exists(path)) return 0;
    const uint32_t error = FileSys_MakeDir(path);
    if (error != 0) return error;
    if (made) made[(*count)++] = static_cast<uint32_t>(std::strlen(path));
    return 0;
}

} // namespace

FileHandle* FileHandle_New(const char* name, size_t length, size_t room) {
    FileHandle* file = static_cast<FileHandle*>(Mem_Alloc(sizeof(FileHandle) + room));
    if (!file) return nullptr;
    std::memcpy(file->name, name, length);
    file->name[length] = 0;
    file->seekable = false;
    file->owned = true;
    file->next = 0;
    file->madeCount = 0;
    file->made = nullptr;
    return file;
}

FileHandle* FileHandle_ForOpen(const char* name, uint32_t flags) {
    const size_t length = std::strlen(name);
    FileHandle* file = FileHandle_New(name, length, length);
    if (file && (flags & FILE_CREATE) && (flags & FILE_MAKEDIRS)) FileName_ToNative(file->name);
    return file;
}

void FileHandle_Free(FileHandle* file) {
    Mem_Free(file->made);
    Mem_Free(file);
}

void FileName_ToNative(char* name) {
    for (; *name; ++name)
        if (*name == FILE_OTHER_SEPARATOR) *name = FILE_SEPARATOR;
}

size_t FileName_FolderLength(const char* name) {
    const char* slash = std::strrchr(name, '/');
    const char* back = std::strrchr(name, '\\');
    if (back > slash) slash = back;
    return slash ? static_cast<size_t>(slash - name) + 1 : 0;
}

bool FileName_MakeParent(char* name, uint32_t* error) {
    char* cut = std::strrchr(name, FILE_SEPARATOR);
    if (!cut) return false;
    *cut = 0;
    const uint32_t made = File_MakeDirs(name);
    *cut = FILE_SEPARATOR;
    if (made != 0) *error = made;
    return made == 0;
}

uint32_t File_MakeDirs(char* path) {
    return MakeDirs(path, nullptr, nullptr);
}

uint32_t File_OpenStandard(uint32_t which, FileHandle** out) {
    *out = nullptr;
    FileNative native;
    const uint32_t result = FileSys_Standard(which, &native);
    if (result != FILE_OK) return result;
    FileHandle* file = FileHandle_New("-", 1, 1);
    if (!file) return FILE_NOMEM;
    // Read in order even when it is a file: the stream may not stand at its start.
    file->native = native;
    file->seekable = file->owned = false;
    *out = file;
    return FILE_OK;
}

bool File_IsSeekable(const FileHandle* file) {
    return file->seekable;
}

uint32_t File_Close(FileHandle* file) {
    if (!file) return FILE_OK;
    if (file->owned) FileSys_Close(file->native);
    Mem_Free(file);
    return FILE_OK;
}

namespace {

// The bookkeeping of a transfer: where a file that cannot seek stands next.
uint32_t Moved(FileHandle* file, uint32_t result, uint32_t moved, uint32_t* done) {
    if (result != FILE_OK) return result;
    file->next += moved;
    if (done) *done = moved;
    return FILE_OK;
}

} // namespace

uint32_t File_ReadAt(FileHandle* file, void* buffer, uint64_t offset, uint32_t count,
                     uint32_t* done) {
    if (!file->seekable && offset != file->next) return FILE_ERROR;
    uint32_t moved = 0;
    const uint32_t result = FileSys_Read(file, buffer, offset, count, &moved);
    return Moved(file, result, moved, done);
}

uint32_t File_WriteAt(FileHandle* file, const void* bytes, uint64_t offset, uint32_t count,
                      uint32_t* done) {
    if (!file->seekable && offset != file->next) return FILE_ERROR;
    uint32_t moved = 0;
    const uint32_t result = FileSys_Write(file, bytes, offset, count, &moved);
    return Moved(file, result, moved, done);
}

uint32_t File_CheckWritable(const char* name) {
    const uint32_t refused = FileSys_RefusesWriters(name);
    if (refused != FILE_OK) return refused;
    FileHandle* file = nullptr;
    uint64_t size = 0;
    const uint32_t result = File_Open(name, FILE_WRITE, &file, &size);
    File_Close(file);
    return result;
}

void FileTemp_Letters(char* out) {
    uint64_t bits;
    if (tempSeed != 0) {
        uint64_t z = (tempSeed += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        bits = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    } else {
        bits = FileSys_RandomBits();
    }
    static const char LETTERS[] = "abcdefghijklmnopqrstuvwxyz012345";
    for (int i = 0; i < 12; i++, bits >>= 5)
        out[i] = LETTERS[bits & 31];
}

FileHandle* FileTemp_New(const char* target, size_t folder, uint32_t flags, uint32_t* error) {
    FileHandle* file = FileHandle_New(target, folder, folder + TEMP_LENGTH);
    uint32_t* made = static_cast<uint32_t*>(Mem_Alloc(sizeof(uint32_t) * (folder + 1)));
    if (!file || !made) {
        Mem_Free(file);
        Mem_Free(made);
        return nullptr;
    }
    std::memcpy(file->name + folder, TEMP_PATTERN, TEMP_LENGTH + 1);
    FileName_ToNative(file->name);
    file->seekable = true;
    file->made = made;
    *error = 0;
    if ((flags & FILE_MAKEDIRS) && folder > 1) {
        file->name[folder - 1] = 0;
        *error = MakeDirs(file->name, made, &file->madeCount);
        file->name[folder - 1] = FILE_SEPARATOR;
    }
    return file;
}

void FileTemp_RemoveMadeDirs(FileHandle* file) {
    for (uint32_t i = file->madeCount; i-- > 0;) {
        char* end = file->name + file->made[i];
        const char kept = *end;
        *end = 0;
        const bool removed = FileSys_RemoveDir(file->name);
        *end = kept;
        if (!removed) break;
    }
}

void File_SeedTempNames(uint64_t seed) {
    tempSeed = seed;
}
