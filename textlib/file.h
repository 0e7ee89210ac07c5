// The file handle layer: files opened by UTF-8 name with a few mode flags,
// positional 64-bit reads and writes, missing folders made on creation, and
// platform errors turned into a handful of result codes.
#pragma once
#include <cstdint>

// <windows.h> defines FILE_CREATE (an NT create disposition) as a macro. The
// layer's flag of that name must win: Windows sources include <windows.h>
// before this header.
#ifdef FILE_CREATE
#undef FILE_CREATE
#endif

// Result codes.
constexpr uint32_t FILE_OK = 0;
constexpr uint32_t FILE_ERROR = 1;
constexpr uint32_t FILE_NOMEM = 2;
constexpr uint32_t FILE_NOTFOUND = 3;
constexpr uint32_t FILE_DENIED = 4;
constexpr uint32_t FILE_BUSY = 5;
constexpr uint32_t FILE_BADARG = 8;

// Open flags.
constexpr uint32_t FILE_READ = 1;
constexpr uint32_t FILE_WRITE = 2;
constexpr uint32_t FILE_CREATE = 4;   // with FILE_WRITE: create, or truncate an existing file
constexpr uint32_t FILE_MAKEDIRS = 8; // with FILE_CREATE: make missing folders ('/' separates too)
constexpr uint32_t FILE_NOBOM = 0x100;

struct FileHandle;

// Opens name (UTF-8). On success *out owns the open file (close it with
// File_Close) and *size holds its size; on failure *out is null. A writer
// shares the file with no other opener; readers share with readers.
uint32_t File_Open(const char* name, uint32_t flags, FileHandle** out, uint64_t* size);
uint32_t File_Close(FileHandle* file);
// Positional read and write; done (may be null) receives the bytes moved.
// A read at or past the end succeeds with 0 bytes.
uint32_t File_ReadAt(FileHandle* file, void* buffer, uint64_t offset, uint32_t count,
                     uint32_t* done);
uint32_t File_WriteAt(FileHandle* file, const void* bytes, uint64_t offset, uint32_t count,
                      uint32_t* done);
// Makes the folder path and its missing parents; path (native separators,
// ANSI on Windows) is cut and restored in place. Returns the platform error
// of the deepest folder (a Windows error code, or errno), 0 for success.
uint32_t File_MakeDirs(char* path);
// Maps a platform error (Windows error code, or errno) to a result code.
uint32_t File_MapError(uint32_t error);

// Standard streams for File_OpenStandard.
constexpr uint32_t FILE_STDIN = 0;
constexpr uint32_t FILE_STDOUT = 1;

// A handle on the process's standard input or output (which: FILE_STDIN or
// FILE_STDOUT) in *out, to close with File_Close, which leaves the stream
// itself open. It is always read or written in order from where the stream
// stands, whatever lies behind it. FILE_NOMEM, or FILE_ERROR when there is
// no such stream.
uint32_t File_OpenStandard(uint32_t which, FileHandle** out);
// False for a pipe, a FIFO, a terminal or a standard stream: such a file is
// read and written in order only, so each File_ReadAt must ask for the
// offset where the previous one ended (File_WriteAt likewise), else it
// fails with FILE_ERROR.
bool File_IsSeekable(const FileHandle* file);

// Replaces target with source in one step (source is renamed over target).
uint32_t File_Replace(const char* source, const char* target);
// Deletes a file.
uint32_t File_Remove(const char* name);
