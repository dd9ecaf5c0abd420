// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/Mainfrm3.h"

#include "app/StartUp.h"
#include "app/ui/AboutBox.h"
#include "app/ui/Custom1.h"
#include "app/ui/UiText.h"
#include "engine/BusySection.h"
#include "engine/FileFilters.h"
#include "engine/FileListing.h"
#include "engine/MatchAndDecide.h"
#include "engine/Messages.h"
#include "engine/ui/FileOptionsPage.h"
#include "engine/ui/TargetDeltaPage.h"
#include "filemanager/ui/FolderPanes.h"
#include "platform/FileOps.h"
#include "settings/Configuration.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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

const char* const UpperTabs[] = {"Folder Selection", "Synchronize", "Build Batch Lists"};
const char* const LowerTabs[] = {"File Options",
                                 "Compression",
                                 "Reporting",
                                 "Run Batch Lists",
                                 "Pro Options"};
// The lower notebook has one page more than tabs: the decision grid is reached from the
// Synchronize page, not from a tab.
const char* const LowerPages[] =
    {"File Options", "Compression", "Reporting", "Run Batch Lists", "Pro Options", "Target Delta"};

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
    , FContext{FOptions, FState, FHost, FReporter, FEngine}
{
    setObjectName(QStringLiteral("MainSyncForm"));
    // While the window is built no status message may show through.
    FState.SourceFileListTag = 1;
    BuildMenus();
    BuildLayout();
    FormCreate();
}

TMainSyncForm::~TMainSyncForm()
{
    FormDestroy();
}

void TMainSyncForm::FormCreate()
{
    FState.SuppressUnmatchedReport = false;
    FDefaultConfigPath = PrepareDefaultConfig(FProgramFolder);

    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, [this] { FState.Timer2Timer(); });

    setWindowTitle(UiText(AppCaption));
    QApplication::setApplicationDisplayName(UiText(AppCaption));

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

    FState.SourceFileListTag = 1;
    LoadConfiguration(FDefaultConfigPath);

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
    ConfigContext config{FOptions, FState};
    config.ProgramFolder = FProgramFolder;
    config.DefaultConfigPath = FDefaultConfigPath;
    config.SourceFolder = FEngine.Source.Folder;
    config.TargetFolder = FEngine.Target.Folder;
    config.ExcludeStringChanged = [this] {
        UpdateExcludeList(FContext, false);
    };
    return config;
}

void TMainSyncForm::LoadConfiguration(const std::string& fileName)
{
    ConfigContext config = MakeConfigContext();
    Tandemix::LoadConfiguration(config, fileName, true);
    (void)LoadAutomationOptions(config, fileName);
    ShowOptionsInWindow();
}

void TMainSyncForm::SaveConfiguration(const std::string& fileName)
{
    FOptions.MainLeft = x();
    FOptions.MainTop = y();
    RememberTypedText(FOptions.IncludeHistory, FOptions.IncludeString);
    RememberTypedText(FOptions.ExcludeHistory, FOptions.ExcludeString);
    ConfigContext config = MakeConfigContext();
    SaveResult result = Tandemix::SaveConfiguration(config, fileName);
    if (!result.Saved) {
        FHost.Ask(result.Error, DialogButtons::Ok);
    }
}

void TMainSyncForm::ShowOptionsInWindow()
{
    DisplayMessages->setChecked(FOptions.DisplayMessages);
    SaveSettingsOnExit1->setChecked(FOptions.SaveSettingsOnExit);
    ExpandOptions1->setChecked(FOptions.ExpandOptionsDisplay);
    FileOptions->ShowOptions();
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

void TMainSyncForm::DirectoryListBox1Change(Side side, const std::string& folder)
{
    FState.StatusMsg(Msg::Working);
    ListingOf(FEngine, side).Folder = folder;
    Panes->PointTreeAt(side, folder);
    {
        BusySection busy(FState);
        if (FState.SourceFileListTag != 1) {
            (void)BuildFileListing(FContext, side);
            ShowListing(side);
        }
    }
    FState.StatusMsg(Msg::Ready);
    FHost.ProcessMessages();
    ClearDeltaButtonClick();
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
    Panes->ShowListing(side, ListingOf(FEngine, side), FOptions.SortFileLists);
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
}

void TMainSyncForm::ApplyControlsEnabled(bool enable)
{
    for (QAction* action : {LoadDefaultSettings1, SaveDefaultData1}) {
        action->setEnabled(enable);
    }
}

void TMainSyncForm::ShowOptionsButtonClick(QObject* sender)
{
    if (sender == ShowOptionsButton || sender == ExpandOptions1) {
        ExpandOptions1->setChecked(!ExpandOptions1->isChecked());
    }
    bool expanded = ExpandOptions1->isChecked();
    Notebook2->setVisible(expanded);
    TabSet2->setVisible(expanded);
    SeparatorPanel->setVisible(true);
    ShowOptionsButton->setChecked(expanded);
    SpeedButton2->setChecked(!expanded);
    if (TabSet1->currentIndex() < 0) {
        TabSet1->setCurrentIndex(0);
    }
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

void TMainSyncForm::BuildMenus()
{
    FileMenu = menuBar()->addMenu(UiText("&File"));
    LoadDefaultSettings1 = FileMenu->addAction(UiText("&Load Default Settings"));
    SaveDefaultData1 = FileMenu->addAction(UiText("&Save Default Settings"));
    LoadSettings1 = FileMenu->addAction(UiText("Load Settings"));
    SaveSettings1 = FileMenu->addAction(UiText("Save Settings"));
    FileMenu->addSeparator();
    Exit1 = FileMenu->addAction(UiText("E&xit"));
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });

    ViewMenu = menuBar()->addMenu(UiText("&View"));
    ExpandOptions1 = ViewMenu->addAction(UiText("&Expand Options"));
    ExpandOptions1->setCheckable(true);
    ExpandOptions1->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    TargetDelta1 = ViewMenu->addAction(UiText("&Target Delta"));
    connect(TargetDelta1, &QAction::triggered, this, [this] { TargetDelta1Click(); });
    connect(ExpandOptions1, &QAction::triggered, this, [this] {
        // The action toggled itself already; the handler toggles for its sender.
        ExpandOptions1->setChecked(!ExpandOptions1->isChecked());
        ShowOptionsButtonClick(ExpandOptions1);
    });

    OptionsMenu = menuBar()->addMenu(UiText("&Options"));
    DisplayMessages = OptionsMenu->addAction(UiText("&Display Errors During Operation"));
    DisplayMessages->setCheckable(true);
    connect(DisplayMessages, &QAction::toggled, this, [this](bool on) { FOptions.DisplayMessages = on; });
    SaveSettingsOnExit1 = OptionsMenu->addAction(UiText("&Save Settings On Exit"));
    SaveSettingsOnExit1->setCheckable(true);
    connect(SaveSettingsOnExit1, &QAction::toggled, this, [this](bool on) {
        FOptions.SaveSettingsOnExit = on;
    });
    mnuORefreshFileListing = OptionsMenu->addAction(UiText("&Refresh File Listing"));
    mnuORefreshFileListing->setShortcut(QKeySequence(Qt::Key_F5));
    connect(mnuORefreshFileListing, &QAction::triggered, this, [this] {
        if (!FState.SyncActive) {
            RefreshFileListings();
        }
    });

    HelpMenu = menuBar()->addMenu(UiText("&Help"));
    About1 = HelpMenu->addAction(UiText("&About Tandemix"));
    About1->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
    mnuCustom0 = HelpMenu->addSeparator();
    mnuCustom1 = HelpMenu->addAction(QString());
    mnuCustom0->setVisible(false);
    mnuCustom1->setVisible(false);
    connect(mnuCustom1, &QAction::triggered, this, [this] { mnuCustom1Click(); });

    for (QAction* action : {LoadDefaultSettings1,
                            SaveDefaultData1,
                            LoadSettings1,
                            SaveSettings1,
                            Exit1,
                            ExpandOptions1,
                            TargetDelta1,
                            mnuORefreshFileListing,
                            DisplayMessages,
                            SaveSettingsOnExit1,
                            About1,
                            mnuCustom0,
                            mnuCustom1}) {
        action->setParent(this);
    }
    LoadDefaultSettings1->setObjectName(QStringLiteral("LoadDefaultSettings1"));
    SaveDefaultData1->setObjectName(QStringLiteral("SaveDefaultData1"));
    LoadSettings1->setObjectName(QStringLiteral("LoadSettings1"));
    SaveSettings1->setObjectName(QStringLiteral("SaveSettings1"));
    Exit1->setObjectName(QStringLiteral("Exit1"));
    ExpandOptions1->setObjectName(QStringLiteral("ExpandOptions1"));
    TargetDelta1->setObjectName(QStringLiteral("TargetDelta1"));
    mnuORefreshFileListing->setObjectName(QStringLiteral("mnuORefreshFileListing"));
    DisplayMessages->setObjectName(QStringLiteral("DisplayMessages"));
    SaveSettingsOnExit1->setObjectName(QStringLiteral("SaveSettingsOnExit1"));
    About1->setObjectName(QStringLiteral("About1"));
    mnuCustom0->setObjectName(QStringLiteral("mnuCustom0"));
    mnuCustom1->setObjectName(QStringLiteral("mnuCustom1"));
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
    Notebook1->addWidget(EmptyPage(UpperTabs[1]));
    Notebook1->addWidget(EmptyPage(UpperTabs[2]));
    connect(Panes, &FolderPanes::FolderChosen, this, [this](Side side, const QString& folder) {
        DirectoryListBox1Change(side, CoreText(folder));
    });
    connect(TabSet1, &QTabBar::currentChanged, Notebook1, &QStackedWidget::setCurrentIndex);

    SeparatorPanel = new QWidget(central);
    SeparatorPanel->setObjectName(QStringLiteral("SeparatorPanel"));
    auto* separatorRow = new QHBoxLayout(SeparatorPanel);
    separatorRow->setContentsMargins(0, 0, 0, 0);
    ShowOptionsButton = new QToolButton(SeparatorPanel);
    ShowOptionsButton->setObjectName(QStringLiteral("ShowOptionsButton"));
    ShowOptionsButton->setText(UiText("&Options"));
    ShowOptionsButton->setToolTip(UiText("Display/hide extended options"));
    ShowOptionsButton->setCheckable(true);
    SpeedButton2 = new QToolButton(SeparatorPanel);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setCheckable(true);
    SpeedButton2->setVisible(false);
    separatorRow->addWidget(ShowOptionsButton);
    separatorRow->addStretch(1);
    connect(ShowOptionsButton, &QToolButton::clicked, this, [this] {
        ShowOptionsButtonClick(ShowOptionsButton);
    });

    Notebook2 = new QStackedWidget(central);
    Notebook2->setObjectName(QStringLiteral("Notebook2"));
    FileOptions = new FileOptionsPage(FContext, Notebook2);
    Notebook2->addWidget(FileOptions);
    for (int page = 1; page < 5; ++page) {
        Notebook2->addWidget(EmptyPage(LowerPages[page]));
    }
    TargetDelta = new TargetDeltaPage(Notebook2);
    Notebook2->addWidget(TargetDelta);
    connect(FileOptions, &FileOptionsPage::ListingsNeeded, this, [this] { RefreshFileListings(); });
    connect(TargetDelta->UpdateButton, &QPushButton::clicked, this, [this] { UpdateButtonClick(); });
    connect(TargetDelta->ClearDeltaButton, &QPushButton::clicked, this, [this] { ClearDeltaButtonClick(); });
    TabSet2 = new QTabBar(central);
    TabSet2->setObjectName(QStringLiteral("TabSet2"));
    TabSet2->setToolTip(UiText("Option setting tabs"));
    TabSet2->setShape(QTabBar::RoundedSouth);
    connect(TabSet2, &QTabBar::currentChanged, Notebook2, &QStackedWidget::setCurrentIndex);

    column->addWidget(TabSet1);
    column->addWidget(Notebook1, 3);
    column->addWidget(SeparatorPanel);
    column->addWidget(Notebook2, 2);
    column->addWidget(TabSet2);
    column->addWidget(BuildMessagePanel());
    setCentralWidget(central);
    resize(900, 640);

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

    StatusPanel = new QLabel(MsgPanel);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusPanel->setMinimumWidth(300);
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

    row->addWidget(StatusPanel, 1);
    row->addWidget(ElapsedTime);
    row->addWidget(StopButton);
    row->addWidget(SkipFileButton);
    row->addWidget(CloseButton);
    return MsgPanel;
}

} // namespace Tandemix
