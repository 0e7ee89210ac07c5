// The file handle layer: files opened by UTF-8 name with a few mode flags,
// positional 64-bit reads and writes, missing folders made on creation, and
// platform errors turned into a handful of result codes; and the pieces of a
// careful replacement of an output: links followed, devices told apart,
// exclusive temporaries beside the target, data synced before the rename.
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
constexpr uint32_t FILE_DEVICE = 9;  // a device where a file or a pipe was asked for
constexpr uint32_t FILE_TOOBIG = 10; // more than the reader holds (Tile_ReadFile)
constexpr uint32_t FILE_FOLDER = 11; // a folder where a file was asked for

// Open flags.
constexpr uint32_t FILE_READ = 1;
constexpr uint32_t FILE_WRITE = 2;
constexpr uint32_t FILE_CREATE = 4;   // with FILE_WRITE: create, or truncate an existing file
constexpr uint32_t FILE_MAKEDIRS = 8; // with FILE_CREATE: make missing folders ('/' separates too)
constexpr uint32_t FILE_NOBOM = 0x100;
// Only what holds data that end. With FILE_READ: an ordinary file or a
// pipe/FIFO; anything else (a device, a socket; on Windows also a reserved
// device name such as AUX, com1.txt or a path that ends in one) is
// FILE_DEVICE, refused before a byte is read and, where the name tells what
// it is, before it is opened (opening a serial line can wait for a
// carrier). With FILE_WRITE: on Windows a reserved device name other than
// NUL is FILE_DEVICE; devices not named so are written, as /dev/null and
// FIFOs are elsewhere.
constexpr uint32_t FILE_NODEVICE = 0x200;

struct FileHandle;

// Opens name (UTF-8). On success *out owns the open file (close it with
// File_Close) and *size holds its size; on failure *out is null. A writer
// shares the file with no other opener; readers share with readers. Devices,
// FIFOs and sockets are neither shared that way nor emptied by FILE_CREATE.
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
// no such stream. Standard input that is a device other than a terminal
// (/dev/zero, NUL, a serial line) is FILE_DEVICE, as FILE_NODEVICE refuses it.
uint32_t File_OpenStandard(uint32_t which, FileHandle** out);
// Whether file is a terminal (a console on Windows).
bool File_IsTerminal(const FileHandle* file);
// False for a pipe, a FIFO, a terminal or a standard stream: such a file is
// read and written in order only, so each File_ReadAt must ask for the
// offset where the previous one ended (File_WriteAt likewise), else it
// fails with FILE_ERROR.
bool File_IsSeekable(const FileHandle* file);

// Replaces target with source in one step (source is renamed over target).
uint32_t File_Replace(const char* source, const char* target);
// Deletes a file.
uint32_t File_Remove(const char* name);
// A new, empty file for reading and writing in the system's folder of
// temporary files, which no other opener sees and which goes when it is
// closed or the process ends. On FILE_OK *out owns it (File_Close).
uint32_t File_OpenScratch(FileHandle** out);

// What a name stands for (File_Resolve).
constexpr uint32_t FILE_KIND_NONE = 0;   // nothing of that name yet
constexpr uint32_t FILE_KIND_FILE = 1;   // an ordinary file
constexpr uint32_t FILE_KIND_DEVICE = 2; // a device, FIFO or socket; on Windows NUL, CON and such
constexpr uint32_t FILE_KIND_FOLDER = 3; // a folder, or a name that ends in a separator

// Follows name (UTF-8) through every level of symbolic links. On FILE_OK,
// *target (free with Mem_Free) is the name of the final file, which may not
// exist yet (a dangling link names what it points to), and *kind says what
// is there. A loop of links is FILE_ERROR.
uint32_t File_Resolve(const char* name, char** target, uint32_t* kind);
// Whether a and b (UTF-8) name one existing file, through links and hard
// links alike.
bool File_Same(const char* a, const char* b);
// FILE_OK when the existing file name could be opened for writing now:
// FILE_DENIED for a read-only file (the read-only attribute on Windows,
// no write bit for anyone elsewhere: refused for the superuser too),
// FILE_BUSY when another writer holds it. Nothing is changed.
uint32_t File_CheckWritable(const char* name);

// Creates a new, empty temporary file beside target (UTF-8) for writing:
// exclusively (never through a link or over an existing file), with an
// unpredictable name of 18 bytes, retried on a collision. It takes the
// permission bits of target when that exists, else the default ones. With
// FILE_MAKEDIRS in flags, missing folders on target's path are made and
// remembered so that File_Discard removes them again. On FILE_OK *out owns
// the open temporary (end it with File_Commit or File_Discard); on failure
// *out is null and nothing is left behind.
uint32_t File_CreateTemp(const char* target, uint32_t flags, FileHandle** out);
// The UTF-8 name of the temporary that File_CreateTemp made or tried last
// ("" before any); the text is kept until its next call.
const char* File_TempName();
// Puts a temporary in place of target in one step: its data are flushed to
// the disk first, then it is renamed over target, then (where the system
// allows) the folder is synced so that the rename lasts. The handle is
// closed and freed in every case; on failure the temporary and the folders
// made for it are removed, and target is as it was.
uint32_t File_Commit(FileHandle* temp, const char* target);
// Closes and frees a temporary, removes it and then the folders made for it
// (those that are empty). Null is ignored.
void File_Discard(FileHandle* temp);
// Flushes what was written to file down to the disk.
uint32_t File_Sync(FileHandle* file);
// Removes the live temporary, if any: for signal handlers, so it does only
// what is safe there (one unlink or DeleteFile of a name kept ready).
void File_RemoveLiveTemp();
// Test seam: temporaries are named from a fixed sequence that starts at seed
// instead of the system's random source; 0 goes back to the random source.
void File_SeedTempNames(uint64_t seed);
