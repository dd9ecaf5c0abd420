// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

#include <string>

namespace Tandemix {

enum class FolderResult
{
    Exists, // it was there already
    Created, // made now, with any missing parents
    WouldCreate, // missing, and a report-only run changes nothing: list it as empty
    Failed, // missing and could not be made: the run skips it
};

// Makes sure a target folder exists, creating the missing levels from the top down. Each folder
// made is logged and remembered in Engine.DirDelList, so the run can remove again those that
// stay empty. A pre-sync report run (Engine.PreReportRun) only reports what it would create,
// once per folder in the run. During a run, a folder reached through a link below the run's
// target root (Engine.Folders.TargetRoot) fails: nothing is written through it. UI thread only.
FolderResult CreateFolderPath(RunContext& ctx, const std::string& path);

} // namespace Tandemix
