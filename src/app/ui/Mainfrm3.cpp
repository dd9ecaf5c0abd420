// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/Mainfrm3.h"

#include "app/StartUp.h"
#include "app/ui/AboutBox.h"
#include "app/ui/Custom1.h"
#include "app/ui/HelpWindow.h"
#include "app/ui/MainMenus.h"
#include "app/ui/PageTabs.h"
#include "app/ui/UiText.h"
#include "automation/ui/ProOptionsPage.h"
#include "batch/BatchHooks.h"
#include "batch/ui/BuildBatchPage.h"
#include "batch/ui/RunBatchPage.h"
#include "compression/ui/CompressionPage.h"
#include "engine/BusySection.h"
#include "engine/ConfigLink.h"
#include "engine/FileFilters.h"
#include "engine/FileListing.h"
#include "engine/MatchAndDecide.h"
#include "engine/Messages.h"
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/SynchronizePage.h"
#include "engine/ui/TargetDeltaPage.h"
#include "filemanager/ui/DriveCommands.h"
#include "filemanager/ui/FileManagerCommands.h"
#include "filemanager/ui/FolderPanes.h"
#include "filemanager/ui/PaneDragDrop.h"
#include "platform/FileOps.h"
#include "reporting/ui/ReportingPage.h"
#include "settings/Configuration.h"
#include "settings/PasswordFile.h"
#include "unmatched/ui/UnmatchedOptions.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace Tandemix {

namespace {

QWidget* EmptyPage(const char* name)
{
    auto* page = new QWidget;
    page->setObjectName(QString::fromUtf8(name));
    return page;
}

} // namespace

TMainSyncForm::TMainSyncForm(const std::string& programFolder, QWidget* parent)
    : QMainWindow(parent)
    , FProgramFolder(programFolder)
    , FHost(*this)
    , FState(FHost, FOptions)
    , FReporter(FOptions, FState, FEngine, programFolder)
    , FContext{FOptions, FState, FHost, FReporter, FEngine}
{
    setObjectName(QStringLiteral("MainSyncForm"));
    FEngine.Hooks = &FHooks;
    ChooseSettingsFile = [this](bool save) {
        return ChooseSettingsFileInDialog(this, UiText(FProgramFolder), save);
    };
    WritePasswordFile = [this](const std::string& archive, const std::string& admin) {
        return ::Tandemix::WritePasswordFile(FProgramFolder, archive, admin) == 0;
    };
    // While the window is built no status message may show through.
    FState.SourceFileListTag = 1;
    BuildMenus();
    BuildAutomation();
    BuildLayout();
    WireBatchPages();
    BuildPopUpMenus();
    FileManager = new FileManagerCommands(*this);
    Drives = new DriveCommands(*this);
    DragDrop = new PaneDragDrop(*this);
    Archives = WireArchiveMenus(*this);
    WireReporting();
    FHints = new HintDisplay(StatusPanel, this);
    QApplication::instance()->installEventFilter(FHints);
    FormCreate();
}

TMainSyncForm::~TMainSyncForm()
{
    // Tearing the window down takes the focus from the field that holds it, and a field that acts
    // on losing it (a size limit warns and lists again) would reach parts already destroyed.
    if (QWidget* focused = focusWidget()) {
        focused->blockSignals(true);
    }
    // The watcher threads end before the window they hand their changes to.
    AutomationTimer->stop();
    FAutomation->Monitor.Shutdown();
    FormDestroy();
}

void TMainSyncForm::FormCreate()
{
    FState.SuppressUnmatchedReport = false;
    FDefaultConfigPath = PrepareDefaultConfig(FProgramFolder);

    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, [this] { FState.Timer2Timer(); });

    // No application display name: the platform would append it to every window's caption.
    setWindowTitle(UiText(AppCaption));

    if (TabSet1->count() == 0) {
        for (const char* tab : UpperTabs) {
            TabSet1->addTab(UiText(tab));
        }
    }
    if (TabSet2->count() == 0) {
        for (const char* tab : LowerTabs) {
            TabSet2->addTab(UiText(tab));
        }
    }

    // Sized once the tabs are in: the layout's minimum counts them.
    SizeForScreen();
    FState.SourceFileListTag = 1;
    LoadConfiguration(FDefaultConfigPath);
    // The window starts with no list open for running, whatever the settings remembered.
    RunBatch->ClearRunGrid();
    BuildBatch->UpdateBatchItem->setEnabled(false);

    FTempFolderPath = TempFolderFor(FProgramFolder);
    PrepareTempFolder(FTempFolderPath, FState, FOptions);

    FState.SourceFileListTag = 0;
    FState.StatusMsg(Msg::Ready);
}

void TMainSyncForm::FormShow()
{
    if (std::optional<std::vector<std::string>> lines = ReadCustomText(FProgramFolder)) {
        if (!FCustomText) {
            FCustomText = std::make_unique<TfrmCustomText>(this);
        }
        FCustomText->SetLines(*lines);
        mnuCustom0->setVisible(true);
        mnuCustom1->setVisible(true);
        mnuCustom1->setText(lines->empty() ? QString() : UiText(lines->front()));
    }
    // Until a configuration names a pair, both sides start in the user's current folder.
    if (FEngine.Source.Folder.empty() || FEngine.Target.Folder.empty()) {
        SysResult<std::string> here = CurrentFolder();
        std::string start = here ? here.Value() : std::string("/");
        for (Side side : {Side::Source, Side::Target}) {
            if (ListingOf(FEngine, side).Folder.empty()) {
                DirectoryListBox1Change(side, start);
            }
        }
    }
    if (FOptions.RevisionCode == 0) {
        // A first start lists normal files.
        FOptions.CheckNormal = true;
    }
    FState.StatusMsg(Msg::Ready);
    ShowLoadStatus();
}

void TMainSyncForm::ShowLoadStatus()
{
    // A log that vanished at a load is explained where the user looks first.
    if (!FLogTrimNote.empty()) {
        FState.StatusMsg(FLogTrimNote);
        FLogTrimNote.clear();
    }
}

void TMainSyncForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!FShown) {
        FShown = true;
        FormShow();
    }
}

void TMainSyncForm::Exit1Click()
{
    if (StopButton->isEnabled()) {
        FState.OperationState = static_cast<int>(OperationStates::Requested);
        if (FState.CheckForStop() == 0) {
            FState.OperationState = 0;
            return;
        }
    }
    FClosing = true;
    close();
}

void TMainSyncForm::closeEvent(QCloseEvent* event)
{
    // The title bar's close button asks like File > Exit does.
    if (!FClosing) {
        event->ignore();
        Exit1Click();
        return;
    }
    FormClose();
    event->accept();
    QApplication::exit(0);
}

void TMainSyncForm::FormClose()
{
    if (SaveSettingsOnExit1->isChecked() && !FOptions.RunBatchList) {
        SaveConfiguration(FDefaultConfigPath);
    }
}

void TMainSyncForm::FormDestroy()
{
    FState.ZipAbortFlag = true;
}

ConfigContext TMainSyncForm::MakeConfigContext()
{
    ConfigContext config = ConfigContextOf(FOptions, FState);
    config.ProgramFolder = FProgramFolder;
    config.DefaultConfigPath = FDefaultConfigPath;
    config.SourceFolder = FEngine.Source.Folder;
    config.TargetFolder = FEngine.Target.Folder;
    config.LogTrimmed = [this](const TrimmedLog& log) {
        FLogTrimNote += (FLogTrimNote.empty() ? "" : " ") + Reports->NoteLogTrimmed(log);
    };
    config.ExcludeStringChanged = [this] {
        UpdateExcludeList(FContext, false);
    };
    config.ReopenBatchList = [this](const std::string& firstEntry) {
        return ReopenBatchList(firstEntry);
    };
    return config;
}

void TMainSyncForm::LoadConfiguration(const std::string& fileName)
{
    ConfigContext config = MakeConfigContext();
    Tandemix::LoadConfiguration(config, fileName, true);
    (void)LoadAutomationOptions(config, fileName);
    // The schedule and the polling a configuration switches on are armed with it.
    FAutomation->OptionsLoaded();
    ShowOptionsInWindow();
}

void TMainSyncForm::SaveConfiguration(const std::string& fileName)
{
    FOptions.MainLeft = x();
    FOptions.MainTop = y();
    FOptions.ShowTopMenu = TabSet1->currentIndex();
    FOptions.ShowBottomMenu = TabSet2->currentIndex();
    FOptions.ExpandOptionsDisplay = ExpandOptions1->isChecked();
    RememberTypedText(FOptions.IncludeHistory, FOptions.IncludeString);
    RememberTypedText(FOptions.ExcludeHistory, FOptions.ExcludeString);
    ConfigContext config = MakeConfigContext();
    SaveResult result = Tandemix::SaveConfiguration(config, fileName);
    if (!result.Saved) {
        FHost.Ask(result.Error, DialogButtons::Ok);
    }
    // The shown pair has moved to the top of the recent pairs.
    ShowRecentFolders();
}

void TMainSyncForm::ShowOptionsInWindow()
{
    DisplayMessages->setChecked(FOptions.DisplayMessages);
    SaveSettingsOnExit1->setChecked(FOptions.SaveSettingsOnExit);
    // The view preferences go through their menu handlers, which toggle: set the opposite first.
    ShowHints1->setChecked(!FOptions.ShowHint);
    ShowHints1Click();
    EnablePopUpMenus1->setChecked(!FOptions.MenuAutoPopup);
    EnablePopUpMenus1Click();
    SortFileLists1->setChecked(!FOptions.SortFileLists);
    SortFileLists1Click();
    // Both read before either is applied: selecting a page records it in the options.
    int bottom = FOptions.ShowBottomMenu;
    int top = FOptions.ShowTopMenu;
    SetTabs2AndMenus(bottom);
    SetTabs1AndMenus(top);
    ExpandOptions1->setChecked(FOptions.ExpandOptionsDisplay);
    ShowOptionsButtonClick(this);
    ShowRecentFolders();
    FileOptions->ShowOptions();
    Unmatched->ShowOptions();
    FileOptions->SetFiltersEnabled(!FOptions.ReplicateBypass());
    if (SyncPage != nullptr) {
        SyncPage->ShowOptions();
    }
    if (ProOptions != nullptr) {
        ProOptions->ShowOptions();
    }
    if (Reports != nullptr) {
        Reports->ShowOptions();
    }
    if (CompressionOptions != nullptr) {
        CompressionOptions->ShowOptions();
    }
    if (RunBatch != nullptr) {
        RunBatch->ShowRecentFiles();
    }
}

void TMainSyncForm::mnuCustom1Click()
{
    if (FCustomText) {
        FCustomText->exec();
    }
}

void TMainSyncForm::About1Click()
{
    TAboutBox about(this);
    about.exec();
}

void TMainSyncForm::HelpContents1Click()
{
    if (HelpForm == nullptr) {
        HelpForm = new HelpWindow(this);
    }
    HelpForm->ShowTopic(HelpContext);
}

void TMainSyncForm::DirectoryListBox1Change(Side side, const std::string& folder)
{
    FState.StatusMsg(Msg::Working);
    ListingOf(FEngine, side).Folder = folder;
    Panes->PointTreeAt(side, folder);
    (side == Side::Source ? SyncPage->SyncSource : SyncPage->SyncTarget)->setText(UiText(folder));
    {
        BusySection busy(FState);
        if (FState.SourceFileListTag != 1) {
            (void)BuildFileListing(FContext, side);
            ShowListing(side);
        } else {
            // Listed later (settings are being applied), but the pane must never go on showing
            // another folder's files meanwhile.
            SideListing& listing = ListingOf(FEngine, side);
            listing.Files.clear();
            listing.FileCount = 0;
            listing.ByteTotal = 0;
            ShowListing(side);
        }
    }
    FState.StatusMsg(Msg::Ready);
    FHost.ProcessMessages();
    ClearDeltaButtonClick();
}

void TMainSyncForm::FolderChosenByHand(Side side, const std::string& folder)
{
    FOptions.RunBatchList = false; // ResetBatchToggle
    DirectoryListBox1Change(side, folder);
}

void TMainSyncForm::RefreshFileListings()
{
    Tandemix::RefreshFileListings(FContext);
    ShowListing(Side::Source);
    ShowListing(Side::Target);
}

void TMainSyncForm::UpdateButtonClick()
{
    Tandemix::UpdateButtonClick(FContext);
    ShowDeltaGrid();
    ShowListing(Side::Source);
    ShowListing(Side::Target);
    FState.StatusMsg(Msg::Ready);
}

void TMainSyncForm::ClearDeltaButtonClick()
{
    Tandemix::ClearDeltaButtonClick(FContext);
    TargetDelta->UpdateButton->setEnabled(true);
    ShowDeltaGrid();
}

void TMainSyncForm::ShowListing(Side side)
{
    const SideListing& listing = ListingOf(FEngine, side);
    // Outside a run an archive is shown only when it exists (its box is usable then); a
    // compressed run shows the archive of its side even before the archive is written.
    const bool archiveShown = listing.ViewCompressed && (listing.ViewCompressedEnabled || FState.SyncActive);
    Panes->ShowListing(side, listing, FOptions.SortFileLists, archiveShown);
    if (side == Side::Target) {
        // The run page shows the target's free space as soon as the target is known.
        SyncPage->RemainingTargetSpace->setText(UiText(FEngine.RemainingTargetSpace));
    }
}

void TMainSyncForm::ViewCompressedClick(Side side, bool checked)
{
    if (FState.SyncActive) {
        return; // a run decides what each side shows
    }
    ListingOf(FEngine, side).ViewCompressed = checked;
    {
        BusySection busy(FState);
        if (checked) {
            (void)FHooks.ShowArchiveContents(FContext, side);
        } else {
            (void)BuildFileListing(FContext, side);
        }
    }
    ShowListing(side);
    // A decision made against the other listing no longer holds.
    ClearDeltaButtonClick();
    FState.StatusMsg(Msg::Ready);
}

void TMainSyncForm::ShowDeltaGrid()
{
    TargetDelta->ShowGrid(FEngine.Delta);
}

void TMainSyncForm::TargetDelta1Click()
{
    if (!ExpandOptions1->isChecked()) {
        ShowOptionsButtonClick(ShowOptionsButton);
    }
    Notebook2->setCurrentWidget(TargetDelta);
    HelpContext = TargetDeltaHelpContext;
}

bool TMainSyncForm::eventFilter(QObject* watched, QEvent* event)
{
    // Over the controls a user aims at during an operation the arrow shows, elsewhere the
    // hourglass while busy.
    if (event->type() == QEvent::Enter && FState.BusyCount > 0) {
        FHost.SetCursorShape(CursorShape::Arrow);
    } else if (event->type() == QEvent::Leave && FState.BusyCount > 0) {
        FHost.SetCursorShape(CursorShape::Busy);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainSyncForm::BuildLayout()
{
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(2);

    TabSet1 = new QTabBar(central);
    TabSet1->setObjectName(QStringLiteral("TabSet1"));
    TabSet1->setToolTip(UiText("Main function tabs"));
    Notebook1 = new QStackedWidget(central);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    Panes = new FolderPanes(Notebook1);
    Notebook1->addWidget(Panes);
    SyncPage = new SynchronizePage(FContext, Notebook1);
    Notebook1->addWidget(SyncPage);
    connect(SyncPage, &SynchronizePage::SyncClicked, this, [this] {
        SyncButtonClick(RunSender::SyncButton);
    });
    connect(SyncPage, &SynchronizePage::PreReportClicked, this, [this] { PreReportButtonClick(); });
    BuildBatch = new BuildBatchPage(FContext, FProgramFolder, Notebook1);
    Notebook1->addWidget(BuildBatch);
    connect(Panes, &FolderPanes::FolderChosen, this, [this](Side side, const QString& folder) {
        FolderChosenByHand(side, CoreText(folder));
    });
    connect(Panes, &FolderPanes::ViewCompressedClicked, this, [this](Side side, bool checked) {
        ViewCompressedClick(side, checked);
    });
    // Browsing the trees by hand ends the monitoring of a pair, never of an open batch list's rows.
    connect(Panes, &FolderPanes::TreeDoubleClicked, this, [this] {
        const std::vector<BatchRow>& rows = Batch().List().Rows;
        if (FOptions.MonitorSourceDriveCheck && (rows.empty() || rows.front()[BatchCol::Source].empty())) {
            SwitchOffAutomaticRuns(false);
        }
    });

    // A thin rule between the pages and the options; it goes with the options.
    auto* rule = new QFrame(central);
    rule->setObjectName(QStringLiteral("SeparatorPanel"));
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    SeparatorPanel = rule;

    Notebook2 = new QStackedWidget(central);
    Notebook2->setObjectName(QStringLiteral("Notebook2"));
    FileOptions = new FileOptionsPage(FContext, Notebook2);
    Notebook2->addWidget(FileOptions);
    for (int page = 1; page < LowerTabCount; ++page) {
        if (page == ReportingTab) {
            Reports = new ReportingPage(FContext, FReporter.Lists(), FProgramFolder, Notebook2);
            Notebook2->addWidget(Reports);
        } else if (page == CompressionTab) {
            CompressionOptions = new CompressionPage(FContext, FProgramFolder, Notebook2);
            Notebook2->addWidget(CompressionOptions);
            connect(CompressionOptions, &CompressionPage::ListingsNeeded, this, [this] {
                RefreshFileListings();
            });
        } else if (page == RunBatchListsTab) {
            RunBatch = new RunBatchPage(FContext, FHooks, FProgramFolder, Notebook2);
            Notebook2->addWidget(RunBatch);
        } else if (page == ProOptionsTab) {
            ProOptions = new ProOptionsPage(FContext, *FAutomation, Notebook2);
            Notebook2->addWidget(ProOptions);
            connect(ProOptions, &ProOptionsPage::SetAdminPWClicked, this, [this] { SetAdminPWClick(); });
        } else {
            Notebook2->addWidget(EmptyPage(LowerTabs[page]));
        }
    }
    TargetDelta = new TargetDeltaPage(Notebook2);
    Notebook2->addWidget(TargetDelta);
    connect(FileOptions, &FileOptionsPage::ListingsNeeded, this, [this] { RefreshFileListings(); });
    Unmatched = new UnmatchedOptions(FContext, FileOptions);
    FileOptions->AddOptionGroup(Unmatched);
    SyncPage->AddRunOption(Unmatched->SyncOptReplicate);
    SyncPage->AddRunOption(CompressionOptions->SyncOptUseCompression);
    SyncPage->AddRunOption(RunBatch->RunBatchList);
    connect(Unmatched, &UnmatchedOptions::ReportingChanged, this, [this] {
        Reports->ShowOptions();
        Reports->EnableReportControls();
    });
    connect(Unmatched, &UnmatchedOptions::FiltersBypassed, this, [this](bool bypassed) {
        FileOptions->SetFiltersEnabled(!bypassed);
        SyncPage->EnableRunControls(!StopButton->isEnabled());
    });
    connect(TargetDelta->UpdateButton, &QPushButton::clicked, this, [this] { UpdateButtonClick(); });
    connect(TargetDelta->ClearDeltaButton, &QPushButton::clicked, this, [this] { ClearDeltaButtonClick(); });
    TabSet2 = new QTabBar(central);
    TabSet2->setObjectName(QStringLiteral("TabSet2"));
    TabSet2->setToolTip(UiText("Option setting tabs"));
    TabSet2->setShape(QTabBar::RoundedSouth);
    ConnectPageTabs();

    column->addWidget(TabSet1);
    // Extra height goes to the upper pages: the options keep their natural height, so showing
    // or hiding them leaves the file panes as they were.
    column->addWidget(Notebook1, 1);
    column->addWidget(SeparatorPanel);
    column->addWidget(Notebook2, 0);
    column->addWidget(TabSet2);
    column->addWidget(BuildMessagePanel());
    setCentralWidget(central);

    for (QWidget* aimed : std::initializer_list<QWidget*>{StopButton,
                                                          SkipFileButton,
                                                          CloseButton,
                                                          ShowOptionsButton,
                                                          TabSet1,
                                                          TabSet2}) {
        aimed->installEventFilter(this);
    }
}

QWidget* TMainSyncForm::BuildMessagePanel()
{
    MsgPanel = new QWidget(this);
    MsgPanel->setObjectName(QStringLiteral("MsgPanel"));
    auto* row = new QHBoxLayout(MsgPanel);
    row->setContentsMargins(0, 0, 0, 0);

    // The Options button stays reachable while the options area is hidden.
    ShowOptionsButton = new QToolButton(MsgPanel);
    ShowOptionsButton->setObjectName(QStringLiteral("ShowOptionsButton"));
    ShowOptionsButton->setText(UiText("&Options"));
    ShowOptionsButton->setToolTip(UiText("Display/hide extended options"));
    ShowOptionsButton->setCheckable(true);
    // Its partner in an exclusive group: pressing it releases the Options button.
    SpeedButton2 = new QToolButton(MsgPanel);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setCheckable(true);
    SpeedButton2->setVisible(false);
    auto* group = new QButtonGroup(MsgPanel);
    group->addButton(ShowOptionsButton);
    group->addButton(SpeedButton2);
    connect(ShowOptionsButton, &QToolButton::clicked, this, [this] {
        ShowOptionsButtonClick(ShowOptionsButton);
    });

    StatusPanel = new QLabel(MsgPanel);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanel->setMinimumWidth(300);
    // A long message (a deep folder's name) is cut, never widens the window past the screen.
    StatusPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ElapsedTime = new QLabel(UiText("0:00:00"), MsgPanel);
    ElapsedTime->setObjectName(QStringLiteral("ElapsedTime"));
    ElapsedTime->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StopButton = new QPushButton(UiText("&Stop"), MsgPanel);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    StopButton->setToolTip(UiText("Stop current operation"));
    StopButton->setEnabled(false);
    SkipFileButton = new QPushButton(UiText("Skip File"), MsgPanel);
    SkipFileButton->setObjectName(QStringLiteral("SkipFileButton"));
    SkipFileButton->setEnabled(false);
    CloseButton = new QPushButton(UiText("&Close"), MsgPanel);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));

    connect(StopButton, &QPushButton::clicked, this, [this] { FState.StopButtonClick(); });
    connect(SkipFileButton, &QPushButton::clicked, this, [this] { FState.SkipFileButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });

    row->addWidget(ShowOptionsButton);
    row->addWidget(SpeedButton2);
    row->addWidget(StatusPanel, 1);
    row->addWidget(ElapsedTime);
    row->addWidget(StopButton);
    row->addWidget(SkipFileButton);
    row->addWidget(CloseButton);
    return MsgPanel;
}

} // namespace Tandemix
