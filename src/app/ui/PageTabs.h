// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace Tandemix {

// The two page sets of the main window. The upper set is always shown; the lower one holds the
// options and is shown only while the options are expanded. Each tab has a radio-style item in
// the View menu, and each page a help topic.

inline constexpr int UpperPageCount = 3;
inline constexpr int LowerTabCount = 5;

inline constexpr const char* UpperTabs[UpperPageCount] = {"Folder Selection",
                                                          "Synchronize",
                                                          "Build Batch Lists"};
inline constexpr const char* LowerTabs[LowerTabCount] = {"File Options",
                                                         "Compression",
                                                         "Reporting",
                                                         "Run Batch Lists",
                                                         "Pro Options"};
// The lower notebook has one page more than tabs: the decision grid is reached from the
// Synchronize page and the View menu, not from a tab.
inline constexpr const char* TargetDeltaPageName = "Target Delta";

// Help topics of the pages: the window's help context follows the page last selected, and the
// guide opens at that page's section. The numbers are stable; the guide maps them to anchors.
inline constexpr int UpperHelpContexts[UpperPageCount] = {4, 5, 6};
inline constexpr int LowerHelpContexts[LowerTabCount] = {7, 10, 8, 9, 15};
inline constexpr int TargetDeltaHelpContext = 16;

// The lower tab of the compression options.
inline constexpr int CompressionTab = 1;
// The lower tab of the log and report options.
inline constexpr int ReportingTab = 2;
// The lower tab of the batch runner.
inline constexpr int RunBatchListsTab = 3;
// The lower tab of "Pro Options", which the hidden "Dial-Up Service" item selects too.
inline constexpr int ProOptionsTab = 4;
// Choosing this upper page opens the batch editor, which works on its own rows instead of the
// window's options: a batch run prepared before is switched off.
inline constexpr int BuildBatchListsTab = 2;

} // namespace Tandemix
