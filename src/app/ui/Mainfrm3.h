// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ui/QtHost.h"
#include "automation/Automation.h"
#include "batch/BatchHooks.h"
#include "compression/CompressedSync.h"
#include "compression/ui/ArchiveMenus.h"
#include "engine/EngineState.h"
#include "engine/Reporter.h"
#include "engine/RunContext.h"
#include "engine/RunState.h"
#include "engine/RunTotals.h"
#include "reporting/ProgramReporter.h"
#include "settings/Configuration.h"
#include "settings/Options.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPoint;
class QPushButton;
class QRect;
class QSize;
class QStackedWidget;
class QTabBar;
class QTimer;
class QToolButton;

namespace Tandemix {

class BuildBatchPage;
class DriveCommands;
class FileManagerCommands;
class FileOptionsPage;
class PaneDragDrop;
class ProOptionsPage;
class RunBatchPage;
class TTrayIcon;
class FolderPanes;
class SynchronizePage;
class ReportingPage;
class CompressionPage;
class TargetDeltaPage;
class UnmatchedOptions;
class HelpWindow;
class HintDisplay;
class TfrmCustomText;

// The main window. It owns the program-wide options and operation state, shows them, and
// turns clicks into core calls; the engine reaches it only through its QtHost. Control members
// carry the names every part of the program uses for them, and the same object names, so
// tests can find them. UI thread only.
class TMainSyncForm : public QMainWindow
{
    Q_OBJECT

public:
    // Paths are fixed before the window exists: the program folder with its trailing '/'.
    explicit TMainSyncForm(const std::string& programFolder, QWidget* parent = nullptr);
    ~TMainSyncForm() override;

    Options& Opts() { return FOptions; }
    RunState& State() { return FState; }
    QtHost& HostSeam() { return FHost; }
    EngineState& Engine() { return FEngine; }
    RunContext& Context() { return FContext; }
    BatchHooks& Batch() { return FHooks; }
    CompressionHooks& Compression() { return FHooks; }

    const std::string& ProgramFolder() const { return FProgramFolder; }
    const std::string& DefaultConfigPath() const { return FDefaultConfigPath; }
    const std::string& TempFolderPath() const { return FTempFolderPath; }

    // ---- Life cycle ----------------------------------------------------------------------
    void FormCreate();
    void FormShow();
    void Exit1Click();
    void CloseButtonClick() { Exit1Click(); }
    void mnuCustom1Click();
    void About1Click();
    void HelpContents1Click();

    // ---- Pages and the View menu --------------------------------------------------------------
    // The page sets and their View items always agree; an index out of range selects the first
    // page and checks no item.
    void SetTabs1AndMenus(int index);
    void SetTabs2AndMenus(int index);
    void TabSet1Click(int index);
    void TabSet2Click(int index);
    void TabSet1Change(int newTab);
    void TabSet2Change(int newTab);
    // Toggles the options area when the sender is the Options button or the View item; with any
    // other sender (the window at start-up, a load) it only applies the current check mark.
    void ShowOptionsButtonClick(QObject* sender);

    // ---- File and Options menus -----------------------------------------------------------------
    void LoadDefaultSettings1Click();
    void SaveDefaultData1Click();
    void LoadSettings1Click();
    void SaveSettings1Click();
    void RecentFolder1Click(QAction* item);
    void ShowHints1Click();
    void EnablePopUpMenus1Click();
    void SortFileLists1Click();
    void SwapSourceandTarget1Click();
    // "Refresh File Listing" of the pop-up menus: lists the side the menu was opened on again.
    void RefreshFileListing1Click();

    // Picks the file of Load Settings (save: false) or Save Settings (save: true); empty when the
    // user cancels. The file dialog by default; tests put their own choice here.
    std::function<QString(bool save)> ChooseSettingsFile;
    // The help topic of the page last selected.
    int HelpContext = 0;

    // ---- Folders, listings and the decision list --------------------------------------------
    // A folder chosen in a tree (or given by a batch row, a recent pair, the command line).
    void DirectoryListBox1Change(Side side, const std::string& folder);
    // A folder the user chose by hand (a tree, a drive box, the folder browser): a batch-list
    // run is switched off, then the side is listed.
    void FolderChosenByHand(Side side, const std::string& folder);
    void RefreshFileListings();
    void UpdateButtonClick();
    void ClearDeltaButtonClick();
    void ShowListing(Side side);
    // A side's "View Compressed" box: its archive's entries in place of its files, or back.
    void ViewCompressedClick(Side side, bool checked);
    void ShowDeltaGrid();
    void TargetDelta1Click();

    // Keeps the window inside `room` (a screen's free area): shrunk to it, no further than the
    // window's minimum, and moved back from any edge it passed.
    void FitOnScreen(const QRect& room);
    void FitOnScreen(const QRect& room, QSize wanted);

    // Enables or disables the controls that must not change during a run.
    void ApplyControlsEnabled(bool enable);

    // ---- Runs ---------------------------------------------------------------------------------
    RunOutcome SyncButtonClick(RunSender sender);
    RunOutcome PreReportButtonClick();
    // The command line, once, about a second after start-up. Returns whether the program is to
    // end now (an automatic run that is over) and with which status.
    bool HandleCommandLine(const std::vector<std::string>& args, int& exitStatus);
    // From the host during a run: counters and gauges, at most a few times a second.
    void ShowRunProgress(const EngineState& engine);
    void RunFinished();
    // The Skip File button follows the copy: enabled only while a file's bytes move.
    void FollowSkipButton();
    // Right button on the status line or a counter: the report list behind it.
    void JumpToReportFrom(QWidget* label);
    // "Manually Delete From List": the report window on the unmatched list, every entry selected.
    void ShowUnmatchedSelected();
    void WireReporting();
    ProgramReporter& Reporting() { return FReporter; }
    // The command line's words, for "-A" (no closing beeps).
    std::vector<std::string> CommandWords;
    // A batch file the command line opened: a "-C" settings file loaded after it must not put
    // its own recent list's first file in its place.
    void PinCommandLineBatch(const std::string& path) { FCommandLineBatch = path; }

    // ---- Batch lists ----------------------------------------------------------------------
    // The "Run Batch List" switch changed, or something it depends on (compression, replication,
    // a save): the synchronise button's caption and the controls a batch row decides.
    void RunBatchListClick(QObject* sender = nullptr);
    // The option controls a batch row (or replication) fixes: enabled only while none does.
    void EnableOptionControls(bool enable);
    // The option pages show the options again after a batch row was applied.
    void ShowAppliedOptions();
    // "Edit" on the run page: the list's file goes to the build page.
    void EditBatchClick(const QString& path);
    // Unchecks the real-time monitor (ending its watchers) and, with `schedule`, the scheduled
    // runs, as opening, clearing or editing a batch list does.
    void SwitchOffAutomaticRuns(bool schedule);

    // ---- Automation and the tray -------------------------------------------------------------
    Automation& Auto() { return *FAutomation; }
    // The window was minimised or restored (the window-state changes land here).
    void FormMinimized();
    void FormRestored();
    // The tray menu: behind the administrator password when one is set.
    void Show1Click();
    void Exit2Click();
    void RunNow1Click();
    // Parks the window off-screen and leaves only the tray icon (the window itself where the
    // desktop has no notification area).
    void GoToTray();
    // Asks for the administrator password when one is set; true: go on. Tests put their own.
    std::function<bool()> AdminPasswordGate;
    // "Set Administrative Password": the change dialog until a recognised old password or
    // Cancel, then the new password is in force and written to the password file.
    void SetAdminPWClick();
    // Shows the change dialog; {accepted, old, new}. The dialog by default; tests script it.
    struct PasswordChange
    {
        bool Accepted = false;
        std::string Old;
        std::string New;
    };
    std::function<PasswordChange()> AskPasswordChange;
    // Writes both passwords to the password file; false when it could not be written. Empty
    // until the password file's writer is installed.
    std::function<bool(const std::string& archive, const std::string& admin)> WritePasswordFile;
    // Minimised or living in the tray.
    bool RunningMinimized = false;

    // ---- Controls ------------------------------------------------------------------------
    QTabBar* TabSet1 = nullptr;
    QStackedWidget* Notebook1 = nullptr;
    QWidget* SeparatorPanel = nullptr;
    QToolButton* ShowOptionsButton = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QStackedWidget* Notebook2 = nullptr;
    QTabBar* TabSet2 = nullptr;
    QWidget* MsgPanel = nullptr;
    QLabel* StatusPanel = nullptr;
    QLabel* ElapsedTime = nullptr;
    QPushButton* StopButton = nullptr;
    QPushButton* SkipFileButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* AutomationTimer = nullptr; // drives the automation's timers
    ProOptionsPage* ProOptions = nullptr;
    TTrayIcon* TrayIcon1 = nullptr;
    QMenu* TrayPopupMenu1 = nullptr;
    QAction* Show1 = nullptr;
    QAction* RunNow1 = nullptr;
    QAction* Exit2 = nullptr;
    FolderPanes* Panes = nullptr;
    FileOptionsPage* FileOptions = nullptr;
    TargetDeltaPage* TargetDelta = nullptr;
    SynchronizePage* SyncPage = nullptr;
    ReportingPage* Reports = nullptr;
    CompressionPage* CompressionOptions = nullptr;
    UnmatchedOptions* Unmatched = nullptr;
    BuildBatchPage* BuildBatch = nullptr;
    RunBatchPage* RunBatch = nullptr;

    QMenu* FileMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* OptionsMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* LoadDefaultSettings1 = nullptr;
    QAction* SaveDefaultData1 = nullptr;
    QAction* LoadSettings1 = nullptr;
    QAction* SaveSettings1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* ExpandOptions1 = nullptr;
    QAction* TargetDelta1 = nullptr;
    QAction* DisplayReportingForm1 = nullptr;
    QAction* mnuORefreshFileListing = nullptr;
    QAction* DisplayMessages = nullptr;
    QAction* SaveSettingsOnExit1 = nullptr;
    QAction* About1 = nullptr;
    QAction* mnuCustom0 = nullptr;
    QAction* mnuCustom1 = nullptr;

    QAction* DirectorySelections1 = nullptr;
    QAction* Synchronization1 = nullptr;
    QAction* BuildBatchList1 = nullptr;
    QAction* FileOptions1 = nullptr;
    QAction* Compression1 = nullptr;
    QAction* ReportingOptions1 = nullptr;
    QAction* RunBatchLists1 = nullptr;
    QAction* AdvOptions1 = nullptr;
    QAction* DialUpService1 = nullptr; // hidden; selects "Pro Options"
    QAction* ShowHints1 = nullptr;
    QAction* EnablePopUpMenus1 = nullptr;
    QAction* SortFileLists1 = nullptr;
    QAction* SwapSourceandTarget1 = nullptr;
    QAction* RecentFolderSeparator = nullptr;
    QAction* RecentFolder1 = nullptr;
    QAction* RecentFolder2 = nullptr;
    QAction* RecentFolder3 = nullptr;
    QAction* RecentFolder4 = nullptr;
    QAction* HelpContents1 = nullptr;

    // Right-click menus of the file panes, the folder trees and the drive boxes; they open only
    // while "Enable PopUp Menus" is checked.
    QMenu* FilePopUpMenu1 = nullptr;
    QMenu* DirPopUpMenu1 = nullptr;
    QMenu* DriveRefreshMenu = nullptr;
    // The side the last pop-up menu was opened on.
    Side PopUpSide() const { return FPopUpSide; }
    FileManagerCommands* FileManager = nullptr; // the panes' file and folder commands
    DriveCommands* Drives = nullptr; // the drive boxes' commands and network shares
    PaneDragDrop* DragDrop = nullptr; // files and folders dropped onto the target pane
    ArchiveMenus Archives; // the pop-up menu's archive commands
    HelpWindow* HelpForm = nullptr; // created when help is first asked for

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildAutomation();
    bool Parked() const;
    void BuildMenus();
    void BuildFileMenu();
    void BuildViewMenu();
    void BuildOptionsMenu();
    void BuildHelpMenu();
    void BuildPopUpMenus();
    void NameMenuItems();
    void PopUpMenu(QMenu* menu, QWidget* control, Side side, const QPoint& position);
    void ApplyPopUpMenus();
    void ShowRecentFolders();
    std::array<QAction*, 4> RecentFolderItems() const;
    void ConnectPageTabs();
    void ResizeOptionsArea(bool expanded);
    void SizeForScreen();
    QRect ScreenRoom() const;
    int FrameExtraHeight() const;
    void BuildLayout();
    void WireBatchPages();
    void BatchRowInitiated(int result);
    bool ReopenBatchList(const std::string& firstEntry);
    QWidget* BuildMessagePanel();
    void FormClose();
    void FormDestroy();
    // Configuration load and save plug in here; until then the defaults apply.
    void LoadConfiguration(const std::string& fileName);
    void SaveConfiguration(const std::string& fileName);
    ConfigContext MakeConfigContext();
    void ShowLoadStatus();
    void ShowOptionsInWindow();

    std::string FProgramFolder;
    std::string FDefaultConfigPath;
    std::string FTempFolderPath;
    Options FOptions;
    QtHost FHost;
    RunState FState;
    EngineState FEngine;
    ProgramReporter FReporter;
    CompressionHooks FHooks{FReporter.Lists()};
    RunContext FContext;
    // Declared after everything the automation reaches, so that it goes (and its watcher threads
    // end) before any of that does.
    std::unique_ptr<AutomationActions> FAutomationActions;
    std::unique_ptr<Automation> FAutomation;
    bool FWasMinimized = false;
    std::unique_ptr<TfrmCustomText> FCustomText;
    HintDisplay* FHints = nullptr;
    Side FPopUpSide = Side::Source; // the side the last pop-up menu was opened on
    bool FSettingTabs = false; // a page is being selected by a routine, not by a click
    int FCollapsedHeight = 0;
    int FExpandedHeight = 0;
    bool FShown = false;
    bool FClosing = false;
    long long FLastProgressMs = 0;
    std::string FLogTrimNote; // what the last load deleted, for the status line
    std::string FCommandLineBatch;
};

} // namespace Tandemix
