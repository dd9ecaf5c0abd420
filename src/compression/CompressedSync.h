// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchHooks.h"
#include "compression/ZipArch32.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Tandemix {

// The archive of a folder: inside it, named after its last component with the archive
// extension ("/work/Docs" gives "/work/Docs/Docs.zip"); the root folder's is "/ROOT_.zip".
std::string CompressedFolderName(const std::string& folder, const std::string& compressedExt);

// Compressed synchronisation and the archive views, on top of the batch and unmatched hooks:
// owns the zip component (ZipControl) and binds its events to the run's progress. A run with
// compression on decides the source folder against the target's archive ("Compress Target") or
// the source's archive against the target folder ("Expand Source"), collects the decided files
// and writes or extracts them in one library call per folder. UI thread only.
class CompressionHooks : public BatchHooks
{
public:
    explicit CompressionHooks(ReportLists& lists);

    TZipArchiver ZipControl;

    bool ListArchiveView(RunContext& ctx, Side side, const std::string& folder) override;
    void PrepareArchiveSide(RunContext& ctx) override;
    int ArchiveFile(RunContext& ctx, const DeltaRow& row) override;
    void FinishArchiveSide(RunContext& ctx) override;
    std::vector<std::string> DeleteArchiveEntries(RunContext& ctx,
                                                  const std::string& archive,
                                                  const std::vector<std::string>& names) override;

    // Fills the side's list with its archive's entries; the number listed.
    int ShowArchiveContents(RunContext& ctx, Side side);
    // Mode 1: compresses FilesToProcess into ZipFileName; mode 2: expands ZipFileName into
    // ExtractDirectory. The library's result (0 done).
    int CompressOrExpand(RunContext& ctx, int mode);

    // The report lists the run files into (the archive commands delete through them).
    ReportLists& Lists() { return FLists; }

    std::int64_t ArchiveBytesListed = 0;
    std::int64_t ZipBytesDone = 0;

private:
    int ListArchive(RunContext& ctx, Side side);
    // The names an archive holds; nothing when it cannot be read (`result` says why).
    std::optional<std::set<std::string>> EntryNames(const std::string& archive, int& result);
    void BindEvents();
    void FileStarted(const TZlFileStats& stats, std::string_view caption, std::string_view status);

    ReportLists& FLists;
    RunContext* FCtx = nullptr; // the context of the operation that is running, if any
    bool FExpanding = false;
    bool FFileUnmatched = false; // the listing files the entries as unmatched target items
};

} // namespace Tandemix
