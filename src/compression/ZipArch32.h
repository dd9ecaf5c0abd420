// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "compression/ZipInterface.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tandemix {

enum class TZlAddMode : int
{
    zamAdd = 0,
    zamFreshen = 1,
    zamUpdate = 2,
};

enum class TZlOverwrite : int
{
    zowAsk = 0,
    zowNever = 1,
    zowAlways = 2,
};

struct TZlFileAttributes
{
    bool ReadOnly = false;
    bool Hidden = false;
    bool System = false;
    bool VolumeLabel = false;
    bool Folder = false;
    bool Archive = false;
};

// What the file events receive, copied out of the library's block.
struct TZlFileStats
{
    std::string FileName;
    std::int64_t Size = 0;
    std::int64_t CompressedSize = 0;
    std::int64_t Third = 0;
    TZlFileAttributes Attributes;
    std::uint32_t DosDateTime = 0;
    std::uint32_t Value = 0;
    std::uint8_t Bytes[3] = {0, 0, 0};
    std::uint8_t PercentDone() const { return Bytes[1]; }
    bool Flag = false;
    std::string Comment; // at most 255 characters
};

struct TZlPwdQuery
{
    std::string FileName;
    std::string Password; // at most 80 characters reach the library
    std::uint8_t Action = 0;
};

struct TZlReplace
{
    std::string FileName;
    std::string NewName;
    std::uint8_t Action = 0;
};

struct TZlFileComment
{
    std::string FileName;
    std::string Comment; // at most 255 characters reach the library
};

struct TZlSkipping
{
    std::string FileName;
    std::uint8_t Reason = 0;
};

class TZipArchiver;
using TZlFileStatsEvent = std::function<void(TZipArchiver&, const TZlFileStats&)>;
using TZlFileNameEvent = std::function<void(TZipArchiver&, const std::string&)>;
using TZlFileCommentEvent = std::function<void(TZipArchiver&, TZlFileComment&)>;
using TZlReplaceEvent = std::function<void(TZipArchiver&, TZlReplace&)>;
using TZlPwdQueryEvent = std::function<void(TZipArchiver&, TZlPwdQuery&)>;
using TZlSkippingEvent = std::function<void(TZipArchiver&, const TZlSkipping&)>;
using TZlNewdiskEvent = std::function<void(TZipArchiver&, int)>;

// The zip component: turns each archive operation into the argument list of the writing or the
// reading zip library, calls the library's entry point and turns its callback messages into
// events. Each library is loaded at the first operation that needs it; a failed load gives 240
// and is tried again by the next operation. UI thread only: the libraries call back on the
// calling thread, so handlers may poll the stop request.
class TZipArchiver
{
public:
    TZipArchiver();
    ~TZipArchiver();
    TZipArchiver(const TZipArchiver&) = delete;
    TZipArchiver& operator=(const TZipArchiver&) = delete;

    // ---- Properties --------------------------------------------------------------------
    std::vector<std::string> FilesToProcess;
    int Compression = 6; // 0..9
    bool ClearDisks = false;
    bool MoveFiles = false;
    bool MultidiskMode = false;
    std::string ExtractDirectory;
    bool IncludeHiddenFiles = false;
    bool IncludeDirectoryEntries = false;
    bool IncludeVolumeLabel = false;
    TZlOverwrite Overwrite = TZlOverwrite::zowAsk;
    bool Recurse = false;
    std::string Password;
    std::string StoredExtensions = ".ZIP;.LZH;.ARC;.ARJ;.ZOO";
    std::string TempPath;
    bool UsePaths = true;
    bool UseTempFile = true;
    std::string ZipFileName;
    int Tag = 0; // the side whose archive is being listed

    // ---- Events ------------------------------------------------------------------------
    TZlFileStatsEvent OnAdding;
    TZlFileNameEvent OnDeleting;
    TZlFileStatsEvent OnExtracting;
    TZlFileCommentEvent OnFileComment;
    TZlFileNameEvent OnFixing;
    TZlFileStatsEvent OnListing;
    TZlReplaceEvent OnReplace;
    TZlPwdQueryEvent OnPwdQuery;
    TZlFileStatsEvent OnTesting;
    TZlFileStatsEvent OnUpdating;
    TZlSkippingEvent OnSkippingFile;
    TZlFileStatsEvent OnStatus;
    TZlNewdiskEvent OnNewdisk;

    // ---- Unpublished state -------------------------------------------------------------
    bool Abort = false; // answered to the library after every message
    // 1 January 1980 as month, day and year; passed after "-t".
    int FromMonth = 1;
    int FromDay = 1;
    int FromYear = 1980;
    std::uint32_t EntryCount = 0;
    TZlFileStats LastFileStats;
    // Where the libraries are looked for, each with a trailing '/': beside the executable and
    // in the install's module folder.
    std::vector<std::string> LibraryFolders;

    // ---- Operations: the library's result, or 240 / 130 ----------------------------------
    int Add(TZlAddMode mode);
    int Delete();
    int Extract(TZlAddMode mode);
    int List();
    std::uint32_t CountFiles();

    // The argument lists the operations pass, built from the properties as they stand.
    std::vector<std::string> AddArguments(TZlAddMode mode) const;
    std::vector<std::string> DeleteArguments() const;
    std::vector<std::string> ExtractArguments(TZlAddMode mode) const;
    std::vector<std::string> ListArguments() const;

    // The callback's work for one message; answers the Abort flag. Exceptions from a handler
    // stop here, never in the library.
    std::uint32_t HandleMessage(std::uint32_t message, void* data) noexcept;

private:
    struct LoadedLibrary
    {
        void* Handle = nullptr;
        ZipAbi::Entry Entry = nullptr;
    };

    bool Load(LoadedLibrary& library, const char* fileName, const char* entryName);
    int CallWithArguments(LoadedLibrary& library,
                          const char* fileName,
                          const char* entryName,
                          const std::vector<std::string>& arguments);
    void DispatchMessage(std::uint32_t message, void* data);

    LoadedLibrary FZipLibrary;
    LoadedLibrary FUnzipLibrary;
};

// One text shared by every component (message 130 sets it, 140 reads it back); emptied whenever
// a component is created.
std::string& SharedText();

} // namespace Tandemix
