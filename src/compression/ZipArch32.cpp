// SPDX-License-Identifier: GPL-3.0-or-later
#include "compression/ZipArch32.h"

#include "platform/FileOps.h"
#include "platform/ProgramFolder.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

namespace Tandemix {

namespace {

using Arguments = std::vector<std::string>;

enum class MaskUse
{
    IncludeAndExclude, // add and delete: ">" and "<" items are masks
    ExcludeOnly, // extract and list: only "<" items are masks
};

// The plain items in list order, then the masks: only when a plain item was there, since a
// mask alone selects nothing to mask.
void AppendFileItems(Arguments& args, const std::vector<std::string>& items, MaskUse use)
{
    std::vector<std::string> includes;
    std::vector<std::string> excludes;
    bool anyPlain = false;
    for (const std::string& item : items) {
        if (use == MaskUse::IncludeAndExclude && !item.empty() && item.front() == '>') {
            includes.push_back(item.substr(1));
        } else if (!item.empty() && item.front() == '<') {
            excludes.push_back(item.substr(1));
        } else {
            args.push_back(item);
            anyPlain = true;
        }
    }
    if (!anyPlain) {
        return;
    }
    if (!includes.empty()) {
        args.emplace_back("-i");
        args.insert(args.end(), includes.begin(), includes.end());
    }
    if (!excludes.empty()) {
        args.emplace_back("-x");
        args.insert(args.end(), excludes.begin(), excludes.end());
    }
}

void AppendMode(Arguments& args, TZlAddMode mode)
{
    if (mode == TZlAddMode::zamFreshen) {
        args.emplace_back("-f");
    } else if (mode == TZlAddMode::zamUpdate) {
        args.emplace_back("-u");
    }
}

std::string BoundedText(const char* text, std::size_t limit)
{
    if (text == nullptr) {
        return {};
    }
    std::size_t length = ::strnlen(text, limit);
    return std::string(text, length);
}

// Copies at most `limit` bytes of `text` into a buffer of limit + 1 bytes, always terminated.
void CopyBounded(char* buffer, std::size_t limit, const std::string& text)
{
    if (buffer == nullptr) {
        return;
    }
    std::size_t length = std::min(limit, text.size());
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

TZlFileStats StatsOf(const void* data)
{
    TZlFileStats stats;
    if (data == nullptr) {
        return stats;
    }
    const auto* info = static_cast<const ZipAbi::FileInfo*>(data);
    stats.FileName = BoundedText(info->FileName, ZipAbi::NameBufferSize);
    stats.Size = info->Size;
    stats.CompressedSize = info->CompressedSize;
    stats.Third = info->Third;
    std::uint8_t a = info->Attributes;
    stats.Attributes = {(a & 1) != 0, (a & 2) != 0, (a & 4) != 0, (a & 8) != 0, (a & 16) != 0, (a & 32) != 0};
    stats.DosDateTime = info->DosDateTime;
    stats.Value = info->Value;
    std::copy(std::begin(info->Bytes), std::end(info->Bytes), std::begin(stats.Bytes));
    stats.Flag = info->Flag != 0;
    stats.Comment = BoundedText(info->Comment, info->CommentLength);
    return stats;
}

std::uint32_t ComponentCallback(std::uint32_t message, void* data, void* component)
{
    return static_cast<TZipArchiver*>(component)->HandleMessage(message, data);
}

// Clears the list on every way out of an operation.
struct ClearOnExit
{
    std::vector<std::string>& Items;
    ~ClearOnExit() { Items.clear(); }
};

} // namespace

std::string& SharedText()
{
    static std::string text;
    return text;
}

TZipArchiver::TZipArchiver()
{
    SharedText().clear();
    // Where the window module is looked for: beside the executable, then the install's folder.
    for (const std::string& candidate : ModuleCandidates("")) {
        if (!candidate.empty()) {
            LibraryFolders.push_back(AddTrailingBackslash(candidate));
        }
    }
}

TZipArchiver::~TZipArchiver()
{
    for (LoadedLibrary* library : {&FZipLibrary, &FUnzipLibrary}) {
        if (library->Handle != nullptr) {
            ::dlclose(library->Handle);
        }
    }
}

Arguments TZipArchiver::AddArguments(TZlAddMode mode) const
{
    Arguments args{Password};
    AppendMode(args, mode);
    if (!Password.empty()) {
        args.emplace_back("-e");
    }
    args.push_back("-" + std::to_string(Compression));
    if (MoveFiles) {
        args.emplace_back("-m");
    }
    if (IncludeHiddenFiles && mode != TZlAddMode::zamFreshen) {
        args.emplace_back("-S");
    }
    if (UsePaths && IncludeDirectoryEntries && mode != TZlAddMode::zamFreshen) {
        args.emplace_back("-D");
    }
    if (IncludeVolumeLabel && mode == TZlAddMode::zamAdd) {
        args.emplace_back("-$");
    }
    if (Recurse) {
        args.emplace_back("-r");
    }
    if (!UsePaths) {
        args.emplace_back("-j");
    }
    if (!UseTempFile || MultidiskMode) {
        args.emplace_back("-g");
    }
    if (!TempPath.empty()) {
        args.emplace_back("-b");
        args.push_back(TempPath);
    }
    if (!StoredExtensions.empty()) {
        args.emplace_back("-n");
        args.push_back(StoredExtensions);
    }
    if (MultidiskMode) {
        args.emplace_back("-!");
    }
    if (ClearDisks) {
        args.emplace_back("-&");
    }
    args.emplace_back("-t");
    char date[16];
    std::snprintf(date, sizeof date, "%02d%02d%02d", FromMonth % 100, FromDay % 100, FromYear % 100);
    args.emplace_back(date);
    args.push_back(ZipFileName);
    AppendFileItems(args, FilesToProcess, MaskUse::IncludeAndExclude);
    return args;
}

Arguments TZipArchiver::DeleteArguments() const
{
    Arguments args{Password, "-d"};
    if (!TempPath.empty()) {
        args.emplace_back("-b");
        args.push_back(TempPath);
    }
    args.push_back(ZipFileName);
    AppendFileItems(args, FilesToProcess, MaskUse::IncludeAndExclude);
    return args;
}

Arguments TZipArchiver::ExtractArguments(TZlAddMode mode) const
{
    Arguments args{Password};
    AppendMode(args, mode);
    if (!UsePaths) {
        args.emplace_back("-j");
    }
    if (MultidiskMode) {
        args.emplace_back("-!");
    }
    if (Overwrite == TZlOverwrite::zowNever) {
        args.emplace_back("-n");
    } else if (Overwrite == TZlOverwrite::zowAlways) {
        args.emplace_back("-o");
    }
    args.push_back(ZipFileName);
    AppendFileItems(args, FilesToProcess, MaskUse::ExcludeOnly);
    if (!ExtractDirectory.empty()) {
        args.emplace_back("-d");
        args.push_back(ExtractDirectory);
    }
    return args;
}

Arguments TZipArchiver::ListArguments() const
{
    Arguments args{Password, "-v"};
    if (MultidiskMode) {
        args.emplace_back("-!");
    }
    args.push_back(ZipFileName);
    AppendFileItems(args, FilesToProcess, MaskUse::ExcludeOnly);
    return args;
}

int TZipArchiver::Add(TZlAddMode mode)
{
    ClearOnExit clear{FilesToProcess};
    if (MultidiskMode && mode != TZlAddMode::zamAdd) {
        return ZipAbi::RefusedMultidisk;
    }
    return CallWithArguments(FZipLibrary, ZipAbi::ZipLibraryName, ZipAbi::ZipEntryName, AddArguments(mode));
}

int TZipArchiver::Delete()
{
    ClearOnExit clear{FilesToProcess};
    if (MultidiskMode) {
        return ZipAbi::RefusedMultidisk;
    }
    return CallWithArguments(FZipLibrary, ZipAbi::ZipLibraryName, ZipAbi::ZipEntryName, DeleteArguments());
}

int TZipArchiver::Extract(TZlAddMode mode)
{
    ClearOnExit clear{FilesToProcess};
    if (MultidiskMode && mode != TZlAddMode::zamAdd) {
        return ZipAbi::RefusedMultidisk;
    }
    return CallWithArguments(FUnzipLibrary,
                             ZipAbi::UnzipLibraryName,
                             ZipAbi::UnzipEntryName,
                             ExtractArguments(mode));
}

int TZipArchiver::List()
{
    ClearOnExit clear{FilesToProcess};
    return CallWithArguments(FUnzipLibrary,
                             ZipAbi::UnzipLibraryName,
                             ZipAbi::UnzipEntryName,
                             ListArguments());
}

std::uint32_t TZipArchiver::CountFiles()
{
    ClearOnExit clear{FilesToProcess};
    if (!Load(FUnzipLibrary, ZipAbi::UnzipLibraryName, ZipAbi::UnzipEntryName)) {
        return 0;
    }
    ZipAbi::CountBlock block{nullptr, ZipFileName.c_str(), MultidiskMode ? ZipAbi::MultidiskMark : 0};
    block.Mode = &block.ModeValue;
    EntryCount = 0;
    Abort = false;
    std::uint32_t answer =
        FUnzipLibrary.Entry(ZipAbi::Version, ZipAbi::CountFunction, &block, &ComponentCallback, this);
    Abort = false;
    return (answer & 0xFFFF) == 0 ? EntryCount : 0;
}

bool TZipArchiver::Load(LoadedLibrary& library, const char* fileName, const char* entryName)
{
    if (library.Entry != nullptr) {
        return true;
    }
    for (const std::string& folder : LibraryFolders) {
        std::string path = folder + fileName;
        void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            continue;
        }
        auto entry = reinterpret_cast<ZipAbi::Entry>(::dlsym(handle, entryName));
        if (entry == nullptr) {
            ::dlclose(handle);
            continue;
        }
        library.Handle = handle;
        library.Entry = entry;
        return true;
    }
    return false;
}

int TZipArchiver::CallWithArguments(LoadedLibrary& library,
                                    const char* fileName,
                                    const char* entryName,
                                    const Arguments& arguments)
{
    if (!Load(library, fileName, entryName)) {
        return ZipAbi::LibraryMissing;
    }
    std::vector<const char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        pointers.push_back(argument.c_str());
    }
    pointers.push_back(nullptr);
    Abort = false;
    std::uint32_t answer = library.Entry(ZipAbi::Version,
                                         static_cast<std::intptr_t>(arguments.size()),
                                         pointers.data(),
                                         &ComponentCallback,
                                         this);
    Abort = false;
    return static_cast<int>(answer & 0xFFFF);
}

std::uint32_t TZipArchiver::HandleMessage(std::uint32_t message, void* data) noexcept
{
    try {
        DispatchMessage(message, data);
    } catch (const std::exception&) {
        // A handler that fails must not unwind through the library's C frames: the operation
        // ends instead.
        Abort = true;
    }
    return Abort ? 1 : 0;
}

void TZipArchiver::DispatchMessage(std::uint32_t message, void* data)
{
    using namespace ZipAbi;
    auto fileEvent = [&](const TZlFileStatsEvent& event) {
        if (event) {
            event(*this, StatsOf(data));
        }
    };
    switch (message) {
    case MsgReplace:
        if (OnReplace && data != nullptr) {
            auto* block = static_cast<QueryBlock*>(data);
            TZlReplace replace{BoundedText(block->Name, NameBufferSize), {}, block->Action};
            OnReplace(*this, replace);
            CopyBounded(block->Buffer, NameBufferSize - 1, replace.NewName);
            block->Action = replace.Action;
        }
        break;
    case MsgTesting:
        fileEvent(OnTesting);
        break;
    case MsgExtracting:
        fileEvent(OnExtracting);
        break;
    case MsgEntryCount:
        if (data != nullptr) {
            EntryCount = *static_cast<const std::uint32_t*>(data);
        }
        break;
    case MsgListing:
        fileEvent(OnListing);
        break;
    case MsgLastStats:
        LastFileStats = StatsOf(data);
        break;
    case MsgPassword:
        if (data != nullptr) {
            auto* block = static_cast<QueryBlock*>(data);
            if (!Password.empty()) {
                CopyBounded(block->Buffer, PasswordBufferSize - 1, Password);
                block->Action = 2;
            } else if (OnPwdQuery) {
                TZlPwdQuery query{BoundedText(block->Name, NameBufferSize), {}, block->Action};
                OnPwdQuery(*this, query);
                CopyBounded(block->Buffer, PasswordBufferSize - 1, query.Password);
                block->Action = query.Action;
            }
        }
        break;
    case MsgNewDisk:
        if (OnNewdisk && data != nullptr) {
            OnNewdisk(*this, static_cast<int>(*static_cast<const std::uint32_t*>(data)));
        }
        break;
    case MsgComment:
        if (OnFileComment && data != nullptr) {
            auto* block = static_cast<QueryBlock*>(data);
            TZlFileComment comment{BoundedText(block->Name, NameBufferSize), {}};
            OnFileComment(*this, comment);
            std::size_t length = std::min<std::size_t>(comment.Comment.size(), CommentBufferSize - 1);
            block->Action = static_cast<std::uint8_t>(length);
            CopyBounded(block->Buffer, length, comment.Comment);
        }
        break;
    case MsgSetSharedText:
        if (data != nullptr) {
            const auto* block = static_cast<const TextBlock*>(data);
            std::size_t length = std::min<std::size_t>(block->Length, SharedTextSize);
            SharedText() = BoundedText(block->Text, length);
        }
        break;
    case MsgGetSharedText:
        if (data != nullptr) {
            auto* request = static_cast<SharedTextRequest*>(data);
            CopyBounded(request->Buffer, SharedTextSize, SharedText());
            request->Length = static_cast<std::uint16_t>(SharedText().size());
            request->Flag = 1;
        }
        break;
    case MsgUpdating:
        fileEvent(OnUpdating);
        break;
    case MsgAdding:
        fileEvent(OnAdding);
        break;
    case MsgDeleting:
        if (OnDeleting) {
            OnDeleting(*this, BoundedText(static_cast<const char*>(data), NameBufferSize));
        }
        break;
    case MsgStatus:
        fileEvent(OnStatus);
        break;
    case MsgSkipping:
        if (OnSkippingFile && data != nullptr) {
            const auto* block = static_cast<const SkipBlock*>(data);
            OnSkippingFile(*this, TZlSkipping{BoundedText(block->Name, NameBufferSize), block->Reason});
        }
        break;
    case MsgFixing:
        if (OnFixing) {
            OnFixing(*this, BoundedText(static_cast<const char*>(data), NameBufferSize));
        }
        break;
    default:
        break;
    }
}

} // namespace Tandemix
