// What the two backends of the file layer share, for file_posix.cpp,
// file_win32.cpp and file_common.cpp only: the handle record, its making and
// freeing, the names of temporaries and the folders made for them. The
// portable half lives in file_common.cpp; it reaches the system through the
// few FileSys_ calls at the end, which each backend defines.
#pragma once
#include <cstddef>
#include <cstdint>

#include "textlib/file.h"

#ifdef _WIN32
typedef void* FileNative; // a HANDLE
constexpr char FILE_SEPARATOR = '\\';
constexpr char FILE_OTHER_SEPARATOR = '/';
#else
typedef int FileNative; // a descriptor
constexpr char FILE_SEPARATOR = '/';
constexpr char FILE_OTHER_SEPARATOR = '\\';
#endif

struct FileHandle {
    FileNative native;
    bool seekable;
    bool owned;         // closed by File_Close; not so for a standard stream
    uint64_t next;      // a sequential file's offset: where the next transfer goes
    uint32_t madeCount; // folders made for a temporary: their lengths as prefixes of name
    uint32_t* made;
    char name[1];
};

constexpr int TEMP_TRIES = 100;
constexpr size_t TEMP_LENGTH = 18; // ".~" + 12 random letters + ".tmp"
constexpr char TEMP_PATTERN[] = ".~XXXXXXXXXXXX.tmp";
constexpr size_t TEMP_LETTERS = 2; // where the letters stand in TEMP_PATTERN

// A new handle (Mem_Free, or FileHandle_Free) whose name is the first length
// bytes of name, with room for a name of room bytes; owned, not seekable,
// nothing made yet. Null when memory runs out.
FileHandle* FileHandle_New(const char* name, size_t length, size_t room);
// A handle for File_Open of name (native) with flags; where FILE_MAKEDIRS
// will make folders on its way, its separators are made native.
FileHandle* FileHandle_ForOpen(const char* name, uint32_t flags);
// Frees a handle that is closed already, with its list of made folders.
void FileHandle_Free(FileHandle* file);

// Turns the other platform's separators in name into this one's.
void FileName_ToNative(char* name);
// The length of name's folder part, up to and with its last separator ('/'
// or '\\').
size_t FileName_FolderLength(const char* name);
// Makes the missing folders of name's parent (native separators), cutting
// and restoring name in place. True when they stand, so that an open may be
// tried again; false with *error set to the platform error when making them
// failed, and false with *error untouched when name has no folder part.
bool FileName_MakeParent(char* name, uint32_t* error);

// Twelve letters and digits that nobody can guess, written to out: from the
// system's random source, or from the sequence File_SeedTempNames started.
void FileTemp_Letters(char* out);
// A handle for a temporary beside target: its name is target's first folder
// bytes (the folder part, native name) and TEMP_PATTERN, with room noted for
// the folders it makes. With FILE_MAKEDIRS in flags, the missing folders are
// made and noted; *error is then their platform error (0 for none). Null
// when memory runs out.
FileHandle* FileTemp_New(const char* target, size_t folder, uint32_t flags, uint32_t* error);
// Removes the folders made for a temporary, deepest first, while they are empty.
void FileTemp_RemoveMadeDirs(FileHandle* file);

// Defined by each backend.
// The system's random source, or what stands in for it where that fails.
uint64_t FileSys_RandomBits();
// Whether something of that name (native) exists.
bool FileSys_Exists(const char* path);
// Makes one folder; 0, or the platform error.
uint32_t FileSys_MakeDir(const char* path);
// Removes one empty folder; false when it stays.
bool FileSys_RemoveDir(const char* path);
// The process's standard input or output, which: FILE_STDIN or FILE_STDOUT.
// FILE_ERROR when there is none, FILE_DEVICE for a device that is no terminal.
uint32_t FileSys_Standard(uint32_t which, FileNative* native);
// Moves count bytes at offset (in order from where the stream stands on a
// file that cannot seek), adding what moved to *moved, which starts at 0;
// a failure after some bytes moved is a short transfer, not an error.
uint32_t FileSys_Read(const FileHandle* file, void* buffer, uint64_t offset, uint32_t count,
                      uint32_t* moved);
uint32_t FileSys_Write(const FileHandle* file, const void* bytes, uint64_t offset, uint32_t count,
                       uint32_t* moved);
// FILE_OK, or why the system refuses a writer of name (UTF-8) before it
// opens: the read-only attribute on Windows.
uint32_t FileSys_RefusesWriters(const char* name);
// Closes what a handle owns.
void FileSys_Close(FileNative native);
