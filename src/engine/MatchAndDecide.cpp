// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/MatchAndDecide.h"

#include "engine/BusySection.h"
#include "engine/DecideMessages.h"
#include "engine/FileHelpers.h"
#include "engine/FileListing.h"
#include "engine/FolderQueue.h"
#include "engine/ListingMessages.h"
#include "engine/ShowError.h"
#include "platform/AsciiText.h"
#include "platform/Attributes.h"
#include "platform/DateText.h"
#include "platform/FileIo.h"
#include "platform/FileOps.h"
#include "platform/FileTimes.h"
#include "platform/PathText.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Tandemix {

namespace {

// ---- Case folding ----------------------------------------------------------------------------

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// A key equal for names that differ only in case: ASCII and every valid UTF-8 code point are
// lowered; a byte that is not valid UTF-8 is kept behind a 0xFF marker (a byte valid UTF-8
// never holds), so it only ever equals the same byte and never a real character.
std::string FoldKey(std::string_view name)
{
    std::string key;
    key.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        auto lead = static_cast<unsigned char>(name[i]);
        if (lead < 0x80) {
            key += LowerAscii(lead);
            ++i;
            continue;
        }
        char32_t c = 0;
        std::size_t length = DecodeUtf8(name, i, c);
        if (length == 0) {
            key += '\xFF';
            key += static_cast<char>(lead);
            ++i;
            continue;
        }
        AppendUtf8(key, LowerCodePoint(c));
        i += length;
    }
    return key;
}

// ---- Target index ----------------------------------------------------------------------------

std::uint64_t Mix(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return h;
}

constexpr std::uint64_t FnvOffset = 0xCBF29CE484222325ULL;
constexpr std::uint64_t FnvPrime = 0x100000001B3ULL;

// The hash of FoldKey(name). An ASCII name, nearly every name, is folded on the fly without
// building the key.
std::uint64_t FoldedHash(std::string_view name)
{
    std::uint64_t h = FnvOffset;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            h = FnvOffset;
            for (char k : FoldKey(name)) {
                h = (h ^ static_cast<unsigned char>(k)) * FnvPrime;
            }
            return Mix(h);
        }
        h = (h ^ static_cast<unsigned char>(LowerAscii(byte))) * FnvPrime;
    }
    return Mix(h);
}

// FoldKey(a) == FoldKey(b), again without building keys while both names are ASCII.
bool SameFolded(std::string_view a, std::string_view b)
{
    std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if ((ca | cb) >= 0x80) {
            return FoldKey(a) == FoldKey(b);
        }
        if (LowerAscii(ca) != LowerAscii(cb)) {
            return false;
        }
    }
    // Both are ASCII up to here, and the rest of a longer name cannot fold to nothing.
    return a.size() == b.size();
}

// The target listing indexed by name, in one flat hash table of the case-folded names. A slot
// holds one group: the target files whose names differ only in case, chained in listing order.
// A group is one file, or a few when a name was listed under several masks or has case twins,
// so a lookup costs the same however long the listing is; the chain head moves past files
// already taken, so even a group used up file by file is not walked again. Taken files are
// only marked: the listing is compacted once at the end.
// Behind the listed files come the twins the listing kept aside: the files the filters left
// out and the entries that are not files. They are found like the others but never taken: they
// were never listed, so they cannot be left over as unmatched.
class TargetIndex
{
public:
    using Filter = std::function<bool(const TFileData&)>;
    static constexpr std::uint32_t None = std::numeric_limits<std::uint32_t>::max();

    enum class Kind
    {
        Listed,
        Unlisted, // left out by the filters
        Special, // not a file
    };

    // takesPart tells which source files are decided at all (and so may claim a name).
    TargetIndex(const std::vector<TFileData>& targets,
                const std::vector<TFileData>& unlisted,
                const std::vector<TFileData>& special,
                const std::vector<TFileData>& sources,
                Filter takesPart)
        : FTargets(targets)
        , FUnlisted(unlisted)
        , FSpecial(special)
        , FSources(sources)
        , FTakesPart(std::move(takesPart))
        , FTaken(targets.size(), 0)
        , FNext(targets.size() + unlisted.size() + special.size(), None)
    {
        std::size_t slots = 16;
        while (slots < 2 * FNext.size()) {
            slots *= 2;
        }
        FSlots.assign(slots, Slot{});
        // Walked backwards so each group's chain comes out in listing order.
        for (std::size_t i = FNext.size(); i-- > 0;) {
            auto position = static_cast<std::uint32_t>(i);
            const std::string& name = At(position).FileName;
            std::uint64_t hash = FoldedHash(name);
            Slot& slot = Probe(name, hash);
            if (slot.First == None) {
                slot.Tag = TagOf(hash);
                slot.First = position;
            } else {
                FNext[i] = slot.Head;
            }
            slot.Head = position;
        }
    }

    const TFileData& At(std::uint32_t position) const
    {
        if (position < FTargets.size()) {
            return FTargets[position];
        }
        position -= static_cast<std::uint32_t>(FTargets.size());
        return position < FUnlisted.size() ? FUnlisted[position] : FSpecial[position - FUnlisted.size()];
    }

    Kind KindOf(std::uint32_t position) const
    {
        if (position < FTargets.size()) {
            return Kind::Listed;
        }
        return position < FTargets.size() + FUnlisted.size() ? Kind::Unlisted : Kind::Special;
    }

    // The position of the target file `name` matches, or None. An exact twin comes first;
    // otherwise a file differing only in case, unless some source file carries exactly that
    // file's name and so will claim it itself (whatever order the listings came in).
    std::uint32_t Find(std::string_view name)
    {
        Slot& slot = Probe(name, FoldedHash(name));
        while (slot.Head != None && Taken(slot.Head)) {
            slot.Head = FNext[slot.Head];
        }
        for (std::uint32_t p = slot.Head; p != None; p = FNext[p]) {
            if (!Taken(p) && At(p).FileName == name) {
                return p;
            }
        }
        for (std::uint32_t p = slot.Head; p != None; p = FNext[p]) {
            if (!Taken(p) && !Claimed(At(p).FileName)) {
                return p;
            }
        }
        return None;
    }

    // Only a listed file is used up by its match; a twin kept aside serves every source file
    // that names it (a source file listed under two masks is decided twice, as it always was).
    void Take(std::uint32_t position)
    {
        if (position < FTaken.size()) {
            FTaken[position] = 1;
        }
    }

    // Removes the taken files from the listing, keeping the order of the rest.
    void Compact(std::vector<TFileData>& targets) const
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (FTaken[i] != 0) {
                continue;
            }
            if (kept != i) {
                targets[kept] = std::move(targets[i]);
            }
            ++kept;
        }
        targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(kept), targets.end());
    }

private:
    struct Slot
    {
        std::uint32_t Tag = 0;
        std::uint32_t First = None; // names the group for comparisons; never moves
        std::uint32_t Head = None; // first file of the group not taken yet
    };

    // The slot of name's group, or the empty slot where that group would go.
    Slot& Probe(std::string_view name, std::uint64_t hash)
    {
        std::uint32_t tag = TagOf(hash);
        std::size_t mask = FSlots.size() - 1;
        for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
            Slot& slot = FSlots[i];
            if (slot.First == None || (slot.Tag == tag && SameFolded(At(slot.First).FileName, name))) {
                return slot;
            }
        }
    }

    static std::uint32_t TagOf(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }

    bool Taken(std::uint32_t position) const { return position < FTaken.size() && FTaken[position] != 0; }

    // Case-only matches are rare, so the names the source files claim are gathered at the
    // first one only.
    bool Claimed(const std::string& targetName)
    {
        if (!FClaimsBuilt) {
            FClaimsBuilt = true;
            FClaims.reserve(FSources.size());
            for (const TFileData& source : FSources) {
                if (FTakesPart(source)) {
                    FClaims.insert(std::string_view(source.FileName));
                }
            }
        }
        return FClaims.contains(std::string_view(targetName));
    }

    const std::vector<TFileData>& FTargets;
    const std::vector<TFileData>& FUnlisted;
    const std::vector<TFileData>& FSpecial;
    const std::vector<TFileData>& FSources;
    Filter FTakesPart;
    std::vector<unsigned char> FTaken;
    std::vector<std::uint32_t> FNext;
    std::vector<Slot> FSlots;
    bool FClaimsBuilt = false;
    std::unordered_set<std::string_view> FClaims;
};

// ---- Decision --------------------------------------------------------------------------------

enum class Outcome
{
    Unchanged,
    Update,
    ForcedUpdate,
    SizeDiscrepancy,
};

// The two-second slot of a last write, in UTC. Packed local times served for this where one
// offset held for both files; across a daylight-saving change an hour's difference appears or
// vanishes, and a newer target would be replaced by an older source. Floor division, so that
// times before 1970 fall into slots like any others.
std::int64_t TimeSlot(const timespec& time)
{
    auto seconds = static_cast<std::int64_t>(time.tv_sec);
    return seconds / 2 - (seconds % 2 < 0 ? 1 : 0);
}

Outcome Decide(const TFileData& source, const TFileData& target, bool alwaysOverWrite)
{
    std::int64_t sourceSlot = TimeSlot(source.MTime);
    std::int64_t targetSlot = TimeSlot(target.MTime);
    if (sourceSlot > targetSlot) {
        return Outcome::Update;
    }
    if (sourceSlot < targetSlot || source.FileSize == target.FileSize) {
        return alwaysOverWrite ? Outcome::ForcedUpdate : Outcome::Unchanged;
    }
    // Same time, different sizes: an empty target is the leftover of an interrupted copy and is
    // refilled; otherwise one of the two was changed within the same two seconds, and only the
    // user can tell which copy is the good one.
    if (target.FileSize == 0 && source.FileSize > 0) {
        return Outcome::ForcedUpdate;
    }
    return Outcome::SizeDiscrepancy;
}

void ReportSizeDiscrepancy(RunContext& ctx,
                           const TFileData& source,
                           const TFileData& target,
                           const std::string& sourceFolder,
                           const std::string& targetFolder)
{
    auto side = [&](std::string_view label, const TFileData& file, const std::string& folder) {
        return PadRight(Msg::DiscrepancyContinued, Msg::DiscrepancyLabelWidth) + std::string(label)
               + std::to_string(file.FileSize) + ", " + folder + ", " + FileDateTimeText(file.FileTime);
    };
    std::string lines[] = {
        PadRight(Msg::FileSizeDiscrepancy, Msg::DiscrepancyLabelWidth) + source.FileName,
        side(Msg::DiscrepancySource, source, sourceFolder),
        side(Msg::DiscrepancyTarget, target, targetFolder),
    };
    for (const std::string& line : lines) {
        ctx.Report.AddMessage(line);
    }
}

// The folders of the pair being decided, each with its trailing separator.
struct PairFolders
{
    std::string Source;
    std::string Target;
    // Withdraw from the unmatched list only what the listing filed there (and only when the
    // list is kept at all): a withdrawal of a line that is not there still lowers its total.
    bool WithdrawUnmatched = false;
    // Held while the pair is decided: the archive marks of its files are read inside it.
    FolderHandle SourceFolder{};
};

void AppendRow(RunContext& ctx,
               const TFileData& source,
               const TFileData* target,
               std::string_view reason,
               PairFolders& folders)
{
    EngineState& engine = ctx.Engine;
    engine.DecidedBytes += source.FileSize;
    DeltaRow row;
    row.FileName = source.FileName;
    row.Size = source.FileSize;
    row.DateText = PackedDateText(source.FileTime);
    row.TimeText = PackedTimeText(source.FileTime);
    row.AttrLetters = source.AttrLetters;
    if (!source.ArchiveKnown) {
        // The copy carries these letters over to the target: they must be the file's own. The
        // listing has read all but the archive mark, which is read now, against the listed time.
        struct stat listed
        {};
        listed.st_mode = source.IsLink ? S_IFLNK : S_IFREG;
        listed.st_mtim = source.MTime;
        std::uint32_t attr = LettersToAttr(source.AttrLetters) & ~(Attr::Archive | Attr::Normal);
        int folder = folders.SourceFolder.For(source.FolderPath);
        std::string prefix = AddTrailingBackslash(source.FolderPath);
        if (folder >= 0 ? ArchiveFlagSetAt(folder, source.FileName.c_str(), prefix, listed)
                        : ArchiveFlagSet(prefix + source.FileName, listed)) {
            attr |= Attr::Archive;
        }
        row.AttrLetters = AttrToLetters(attr == 0 ? Attr::Normal : attr);
    }
    row.Reason = reason;
    row.SourceFolder = folders.Source;
    row.TargetFolder = folders.Target;
    row.PackedTime = source.FileTime;
    row.CompressedSize = source.CompressedSize;
    row.IsLink = source.IsLink;
    row.SourceMTime = source.MTime;
    if (target != nullptr) {
        row.TargetName = target->FileName;
    }
    engine.Delta.Rows.push_back(std::move(row));
    if (reason == Msg::NoMatch) {
        engine.Delta.AddByteValue += source.FileSize;
    } else {
        engine.Delta.UpdateByteValue += source.FileSize;
    }
}

void ClearDecision(EngineState& engine)
{
    engine.DecidedBytes = 0;
    engine.Delta.UpdateByteValue = 0;
    engine.Delta.AddByteValue = 0;
    engine.FileGauge = 0;
    engine.DirGauge = 0;
    engine.Delta.Rows.clear();
    engine.Delta.DeltaCount = 0;
}

// The folded name of the archive this run writes: it lies in the source folder too, and it is
// not a file to copy.
std::optional<std::string> ArchiveKey(const RunContext& ctx)
{
    const std::string& archive = ctx.Engine.ArchiveBeingWritten;
    if (ctx.State.SyncActive && ctx.Opts.UseCompression && !archive.empty()) {
        return FoldKey(LastComponent(archive));
    }
    return std::nullopt;
}

// Finds the source file's twin, takes it and files the decision.
void MatchOne(RunContext& ctx, TargetIndex& index, const TFileData& source, PairFolders& folders)
{
    std::uint32_t position = index.Find(source.FileName);
    if (position == TargetIndex::None) {
        AppendRow(ctx, source, nullptr, Msg::NoMatch, folders);
        return;
    }
    const TFileData& target = index.At(position);
    TargetIndex::Kind kind = index.KindOf(position);
    if (kind == TargetIndex::Kind::Special) {
        std::string message(Msg::NotARegularFile);
        ShowError(ctx, message.append(folders.Target).append(target.FileName), ErrorCode::LogOnly);
        return;
    }
    index.Take(position);
    // A twin the filters left out was never filed as unmatched.
    if (folders.WithdrawUnmatched && kind == TargetIndex::Kind::Listed) {
        FileUnmatchedEntry(ctx, target, Msg::DeleteUnMatchedFiles);
    }
    // Keeps the window alive; the poll throttles the pumping itself. A stop confirmed here
    // is answered by the next file's poll.
    (void)ctx.State.CheckForStop();

    switch (Decide(source, target, ctx.Opts.AlwaysOverWrite)) {
    case Outcome::Unchanged:
        break;
    case Outcome::Update:
        AppendRow(ctx, source, &target, Msg::OlderFile, folders);
        break;
    case Outcome::ForcedUpdate:
        AppendRow(ctx, source, &target, Msg::ForcedUpdate, folders);
        break;
    case Outcome::SizeDiscrepancy:
        ReportSizeDiscrepancy(ctx, source, target, folders.Source, folders.Target);
        break;
    }
}

} // namespace

void MatchAndDecide(RunContext& ctx, bool selectedOnly)
{
    BusySection busy(ctx.State);
    EngineState& engine = ctx.Engine;
    std::vector<TFileData>& sources = engine.Source.Files;
    std::vector<TFileData>& targets = engine.Target.Files;

    ClearDecision(engine);
    PairFolders folders{AddTrailingBackslash(engine.Source.Folder),
                        AddTrailingBackslash(engine.Target.Folder),
                        ReportsUnmatchedFiles(ctx)};
    const bool syncActive = ctx.State.SyncActive;
    const std::optional<std::string> archiveKey = ArchiveKey(ctx);
    auto isArchive = [&](const TFileData& file) {
        return archiveKey && FoldKey(file.FileName) == *archiveKey;
    };
    auto takesPart = [&](const TFileData& file) {
        return !file.FileName.empty() && !isArchive(file) && (!selectedOnly || file.Selected);
    };

    // Twins kept aside by a listing of some other folder (a pane emptied while settings were
    // applied) are no twins here.
    static const std::vector<TFileData> noTwins;
    auto keptAside = [&](const std::vector<TFileData>& twins) -> const std::vector<TFileData>& {
        return !twins.empty() && twins.front().FolderPath == folders.Target ? twins : noTwins;
    };
    TargetIndex index(targets,
                      keptAside(engine.Target.Unlisted),
                      keptAside(engine.Target.Special),
                      sources,
                      takesPart);
    // Source files are consumed from the front; they are erased in one go after the loop.
    std::size_t next = 0;
    for (; next < sources.size(); ++next) {
        if (ctx.State.CheckForStop() > 0) {
            break;
        }
        const TFileData& source = sources[next];
        if (source.FileName.empty()) {
            continue;
        }
        if (syncActive) {
            if (isArchive(source)) {
                continue;
            }
            engine.TotalFilesCheckedValue += 1;
        }
        if (!selectedOnly || source.Selected) {
            MatchOne(ctx, index, source, folders);
        }
    }
    sources.erase(sources.begin(), sources.begin() + static_cast<std::ptrdiff_t>(next));
    index.Compact(targets);

    engine.Delta.DeltaCount = static_cast<int>(engine.Delta.Rows.size());
    if (syncActive && (!engine.Delta.Rows.empty() || ctx.Opts.ReportEmptyFoldersCheck)) {
        ctx.Report.WriteLogFile(std::string(Msg::LogFrom) + UpperAscii(folders.Source), LogKind::Summary);
        ctx.Report.WriteLogFile(std::string(Msg::LogTo) + UpperAscii(folders.Target), LogKind::Summary);
    }
}

void UpdateButtonClick(RunContext& ctx)
{
    // The preview decides against the folder a run would write into: with "Create Source
    // Folder in Target" that is the sub-folder named after the source, not yet there perhaps
    // (then every file is an add). Nothing is created for a preview.
    SideListing& target = ctx.Engine.Target;
    std::optional<std::string> inside;
    if (ctx.Opts.CreateSubFolderOption) {
        inside = SubFolderTarget(ctx.Engine.Source.Folder, target.Folder);
    }
    if (inside) {
        std::string shown = std::exchange(target.Folder, *inside);
        (void)BuildFileListing(ctx, Side::Target);
        MatchAndDecide(ctx, false);
        target.Folder = std::move(shown);
    } else {
        MatchAndDecide(ctx, false);
    }
    BuildFileListing(ctx, Side::Source);
    BuildFileListing(ctx, Side::Target);
}

void ClearDeltaButtonClick(RunContext& ctx)
{
    EngineState& engine = ctx.Engine;
    engine.Delta.Rows.clear();
    engine.Delta.AddByteValue = 0;
    engine.Delta.UpdateByteValue = 0;
    engine.Delta.DeltaCount = 0;
    engine.Totals.CurrentFileNo = 0;
    engine.Totals.DirFileCount = 0;
    engine.FileGauge = 0;
    engine.DirGauge = 0;
}

} // namespace Tandemix
