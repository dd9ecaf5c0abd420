// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What passes between the zip component and the two zip libraries it loads: the entry points,
// the callback, the message numbers and the blocks they carry. The libraries are built from
// this header too, so both sides agree on every layout; it is plain C-compatible data on purpose
// (nothing of the standard library crosses the library boundary).

#include <cstddef>
#include <cstdint>

namespace Tandemix::ZipAbi {

// The writing library (add, freshen, update, delete) and the reading one (extract, list, count).
inline constexpr const char* ZipLibraryName = "libtandemix_ziplib.so";
inline constexpr const char* ZipEntryName = "ziplib";
inline constexpr const char* UnzipLibraryName = "libtandemix_unzlib.so";
inline constexpr const char* UnzipEntryName = "unzlib";

// First argument of every call: the interface's version.
inline constexpr std::uint32_t Version = 100;
// Second argument of a count call, in place of an argument count.
inline constexpr std::intptr_t CountFunction = 1;
// Word 2 of the count block when the archive spans disks.
inline constexpr std::uintptr_t MultidiskMark = 1234567890;

// Results the component makes itself; every other one is the library's.
inline constexpr std::uint16_t LibraryMissing = 240;
inline constexpr std::uint16_t RefusedMultidisk = 130;

// Results the libraries give (the component passes them on unchanged).
inline constexpr std::uint16_t Ok = 0;
inline constexpr std::uint16_t NothingToDo = 12; // no file matched
inline constexpr std::uint16_t BadArguments = 16;
inline constexpr std::uint16_t ArchiveMissing = 9;
inline constexpr std::uint16_t ArchiveDamaged = 3;
inline constexpr std::uint16_t HostileArchive = 4; // an entry would land outside the folder
inline constexpr std::uint16_t TooBig = 5; // decompressed size or entry count over the cap
inline constexpr std::uint16_t WriteFailed = 14;
inline constexpr std::uint16_t ReadFailed = 18; // a file to add could not be read
inline constexpr std::uint16_t BadPassword = 82;
inline constexpr std::uint16_t Aborted = 80;
inline constexpr std::uint16_t PartlyDone = 11; // some entries were refused or failed

// Callback: message number, the message's data, the component handed in; answers 1 to ask the
// library to stop, 0 to go on.
using Callback = std::uint32_t (*)(std::uint32_t message, void* data, void* component);
// Entry point: version, argument count (or CountFunction), argument array (or count block),
// callback, component. The low 16 bits of the answer are the result.
using Entry = std::uint32_t (*)(std::uint32_t version,
                                std::intptr_t count,
                                void* arguments,
                                Callback callback,
                                void* component);

enum Message : std::uint32_t
{
    MsgReplace = 10,
    MsgTesting = 50,
    MsgExtracting = 60,
    MsgEntryCount = 70,
    MsgListing = 80,
    MsgLastStats = 90,
    MsgPassword = 100,
    MsgNewDisk = 110,
    MsgComment = 120,
    MsgSetSharedText = 130,
    MsgGetSharedText = 140,
    MsgUpdating = 1000,
    MsgAdding = 1010,
    MsgDeleting = 1020,
    MsgStatus = 1030,
    MsgSkipping = 1060,
    MsgFixing = 1070,
};

// Sizes are 64-bit: an archive member over 2 GiB is reported as it is.
struct FileInfo
{
    const char* FileName;
    std::int64_t Size;
    std::int64_t CompressedSize;
    std::int64_t Third;
    std::uint8_t Attributes; // bits 0..5: read-only, hidden, system, volume, folder, archive
    std::uint32_t DosDateTime;
    std::uint32_t Value;
    std::uint8_t Bytes[3]; // Bytes[1]: per cent of the current file done
    std::uint8_t Flag;
    const char* Comment;
    std::uint8_t CommentLength;
};

// Buffers the library hands for a reply are this long, the terminating NUL included.
inline constexpr std::size_t PasswordBufferSize = 81;
inline constexpr std::size_t NameBufferSize = 4096;
inline constexpr std::size_t CommentBufferSize = 256;
inline constexpr std::size_t SharedTextSize = 255;

// Message 10, 100 and 120: a name, a buffer for the reply and an action or length byte.
struct QueryBlock
{
    const char* Name;
    char* Buffer;
    std::uint8_t Action;
};

// Message 130: a text and its length.
struct TextBlock
{
    const char* Text;
    std::uint16_t Length;
};

// Message 140: where to put the shared text, its length and a flag.
struct SharedTextRequest
{
    char* Buffer; // SharedTextSize + 1 bytes
    std::uint16_t Length;
    std::uint32_t Flag;
};

// Message 1060: a name and why it was skipped.
struct SkipBlock
{
    const char* Name;
    std::uint8_t Reason;
};

// Count call: word 0 points at word 2, word 1 at the archive's name, word 2 the disk mark.
struct CountBlock
{
    std::uintptr_t* Mode;
    const char* ZipFileName;
    std::uintptr_t ModeValue;
};

} // namespace Tandemix::ZipAbi
