// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Tandemix::ZipLib {

enum class WriteMode
{
    Add,
    Freshen,
    Update,
    Delete,
};

// The writing library's argument list, read back into what it asks for.
struct WriteRequest
{
    std::string Password;
    WriteMode Mode = WriteMode::Add;
    bool Encrypt = false;
    int Level = 6;
    bool MoveFiles = false;
    bool Hidden = false;
    bool DirectoryEntries = false;
    bool VolumeLabel = false;
    bool Recurse = false;
    bool JunkPaths = false;
    bool NoTempFile = false;
    std::string TempPath;
    std::string StoredExtensions;
    bool Multidisk = false;
    bool ClearDisks = false;
    std::string FromDate; // mmddyy
    std::string Archive;
    std::vector<std::string> Items;
    std::vector<std::string> Includes;
    std::vector<std::string> Excludes;
};

enum class ReadMode
{
    Extract,
    Freshen,
    Update,
    List,
};

enum class Overwrite
{
    Ask,
    Never,
    Always,
};

// The reading library's argument list.
struct ReadRequest
{
    std::string Password;
    ReadMode Mode = ReadMode::Extract;
    bool JunkPaths = false;
    bool Multidisk = false;
    Overwrite Replace = Overwrite::Ask;
    std::string Archive;
    std::vector<std::string> Items;
    std::vector<std::string> Excludes;
    std::string Folder;
};

// Nothing when the list is not one the component builds (an unknown switch, a missing value or
// archive name).
std::optional<WriteRequest> ParseWriteArguments(const std::vector<std::string>& args);
std::optional<ReadRequest> ParseReadArguments(const std::vector<std::string>& args);

// The entry's selection: a name matches when an item (a name or a mask; a path counts by its
// last component) selects it, or no item was given, an include mask (when any) matches, and no
// exclude mask does.
bool Selected(const std::string& name,
              const std::vector<std::string>& items,
              const std::vector<std::string>& includes,
              const std::vector<std::string>& excludes);

} // namespace Tandemix::ZipLib
