// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menu bar and pop-up menus, and the handlers of the File, Options and Help
// menus. The View menu lives with the pages it selects.
#include "app/ui/MainMenus.h"

#include "app/ui/Mainfrm3.h"
#include "app/ui/PageTabs.h"
#include "app/ui/UiText.h"
#include "batch/ui/BuildBatchPage.h"
#include "batch/ui/RunBatchPage.h"
#include "engine/BusySection.h"
#include "engine/FileListing.h"
#include "engine/Messages.h"
#include "filemanager/ui/FolderPanes.h"
#include "platform/FileOps.h"
#include "settings/Configuration.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTreeView>

#include <functional>
#include <utility>

namespace Tandemix {

namespace {

constexpr std::string_view PairMarker = " >> ";
constexpr std::string_view FolderGone = "This folder no longer exists:\n";

QAction* CheckItem(QMenu* menu, const char* text)
{
    QAction* item = menu->addAction(UiText(text));
    item->setCheckable(true);
    return item;
}

} // namespace

void ConnectToggle(QAction* item, QObject* context, std::function<void()> handler)
{
    QObject::connect(item, &QAction::triggered, context, [item, handler = std::move(handler)] {
        item->setChecked(!item->isChecked());
        handler();
    });
}

std::optional<RecentPair> SplitRecentPair(std::string_view caption)
{
    std::size_t before = caption.find(PairMarker);
    std::size_t after = before + PairMarker.size();
    if (before == std::string_view::npos) {
        before = caption.find(">>");
        if (before == std::string_view::npos) {
            return std::nullopt;
        }
        after = before + 2;
        if (before > 0 && caption[before - 1] == ' ') {
            --before;
        }
        if (after < caption.size() && caption[after] == ' ') {
            ++after;
        }
    }
    RecentPair pair{std::string(caption.substr(0, before)), std::string(caption.substr(after))};
    if (pair.Source.empty() || pair.Target.empty()) {
        return std::nullopt;
    }
    return pair;
}

QString MenuCaption(std::string_view text)
{
    QString caption = UiText(text);
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

QString ChooseSettingsFileInDialog(QWidget* parent, const QString& folder, bool save)
{
    QFileDialog dialog(parent, save ? UiText("Save Settings") : UiText("Load Settings"), folder);
    // Qt's own dialog matches the patterns without regard to case, as users of these files
    // expect (TXDef.CFG and mine.cfg alike).
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(
        {UiText("Configuration files (*.CFG)"), UiText("Text files (*.TXT)"), UiText("All files (*)")});
    dialog.selectNameFilter(UiText("Configuration files (*.CFG)"));
    dialog.setDefaultSuffix(UiText("CFG"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

HintDisplay::HintDisplay(QLabel* statusPanel, QObject* parent)
    : QObject(parent)
    , FStatusPanel(statusPanel)
{}

bool HintDisplay::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType()) {
        return false;
    }
    if (event->type() == QEvent::ToolTip) {
        return !FEnabled;
    }
    if (event->type() == QEvent::Enter && FEnabled) {
        QString hint = static_cast<QWidget*>(watched)->toolTip();
        if (!hint.isEmpty()) {
            FStatusPanel->setText(hint);
        }
    }
    return false;
}

void TMainSyncForm::BuildMenus()
{
    BuildFileMenu();
    BuildViewMenu();
    BuildOptionsMenu();
    BuildHelpMenu();
    NameMenuItems();
}

void TMainSyncForm::BuildFileMenu()
{
    FileMenu = menuBar()->addMenu(UiText("&File"));
    LoadDefaultSettings1 = FileMenu->addAction(UiText("&Load Default Settings"));
    SaveDefaultData1 = FileMenu->addAction(UiText("&Save Default Settings"));
    FileMenu->addSeparator();
    LoadSettings1 = FileMenu->addAction(UiText("Load Settings"));
    SaveSettings1 = FileMenu->addAction(UiText("Save Settings"));
    RecentFolderSeparator = FileMenu->addSeparator();
    RecentFolder1 = FileMenu->addAction(QString());
    RecentFolder2 = FileMenu->addAction(QString());
    RecentFolder3 = FileMenu->addAction(QString());
    RecentFolder4 = FileMenu->addAction(QString());
    FileMenu->addSeparator();
    Exit1 = FileMenu->addAction(UiText("E&xit"));

    connect(LoadDefaultSettings1, &QAction::triggered, this, [this] { LoadDefaultSettings1Click(); });
    connect(SaveDefaultData1, &QAction::triggered, this, [this] { SaveDefaultData1Click(); });
    connect(LoadSettings1, &QAction::triggered, this, [this] { LoadSettings1Click(); });
    connect(SaveSettings1, &QAction::triggered, this, [this] { SaveSettings1Click(); });
    for (QAction* item : RecentFolderItems()) {
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, item] { RecentFolder1Click(item); });
    }
    RecentFolderSeparator->setVisible(false);
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
}

void TMainSyncForm::BuildOptionsMenu()
{
    // Alt+O belongs to the Options button, which it names; the menu opens with Alt+P.
    OptionsMenu = menuBar()->addMenu(UiText("O&ptions"));
    // Ctrl+E belongs to "Expand Options", which comes first; the key is only shown here.
    DisplayMessages = CheckItem(OptionsMenu, "&Display Errors During Operation\tCtrl+E");
    ShowHints1 = CheckItem(OptionsMenu, "Show &Hints");
    EnablePopUpMenus1 = CheckItem(OptionsMenu, "Enable PopUp &Menus");
    SortFileLists1 = CheckItem(OptionsMenu, "Sort &File Lists");
    SaveSettingsOnExit1 = CheckItem(OptionsMenu, "&Save Settings On Exit");
    OptionsMenu->addSeparator();
    SwapSourceandTarget1 = OptionsMenu->addAction(UiText("S&wap Source and Target"));
    SwapSourceandTarget1->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    mnuORefreshFileListing = OptionsMenu->addAction(UiText("&Refresh File Listing"));
    mnuORefreshFileListing->setShortcut(QKeySequence(Qt::Key_F5));

    connect(DisplayMessages, &QAction::toggled, this, [this](bool on) { FOptions.DisplayMessages = on; });
    ConnectToggle(ShowHints1, this, [this] { ShowHints1Click(); });
    ConnectToggle(EnablePopUpMenus1, this, [this] { EnablePopUpMenus1Click(); });
    ConnectToggle(SortFileLists1, this, [this] { SortFileLists1Click(); });
    connect(SaveSettingsOnExit1, &QAction::toggled, this, [this](bool on) {
        FOptions.SaveSettingsOnExit = on;
    });
    connect(SwapSourceandTarget1, &QAction::triggered, this, [this] { SwapSourceandTarget1Click(); });
    connect(mnuORefreshFileListing, &QAction::triggered, this, [this] {
        if (!FState.SyncActive) {
            RefreshFileListings();
        }
    });
}

void TMainSyncForm::BuildHelpMenu()
{
    HelpMenu = menuBar()->addMenu(UiText("&Help"));
    HelpContents1 = HelpMenu->addAction(UiText("Tandemix &Help"));
    HelpContents1->setShortcut(QKeySequence(Qt::Key_F1));
    About1 = HelpMenu->addAction(UiText("&About Tandemix"));
    About1->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    mnuCustom0 = HelpMenu->addSeparator();
    mnuCustom1 = HelpMenu->addAction(QString());
    mnuCustom0->setVisible(false);
    mnuCustom1->setVisible(false);

    connect(HelpContents1, &QAction::triggered, this, [this] { HelpContents1Click(); });
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
    connect(mnuCustom1, &QAction::triggered, this, [this] { mnuCustom1Click(); });
}

void TMainSyncForm::NameMenuItems()
{
    const std::pair<QAction*, const char*> items[] = {
        {LoadDefaultSettings1, "LoadDefaultSettings1"},
        {SaveDefaultData1, "SaveDefaultData1"},
        {LoadSettings1, "LoadSettings1"},
        {SaveSettings1, "SaveSettings1"},
        {RecentFolderSeparator, "RecentFolderSeparator"},
        {RecentFolder1, "RecentFolder1"},
        {RecentFolder2, "RecentFolder2"},
        {RecentFolder3, "RecentFolder3"},
        {RecentFolder4, "RecentFolder4"},
        {Exit1, "Exit1"},
        {DirectorySelections1, "DirectorySelections1"},
        {Synchronization1, "Synchronization1"},
        {BuildBatchList1, "BuildBatchList1"},
        {FileOptions1, "FileOptions1"},
        {Compression1, "Compression1"},
        {ReportingOptions1, "ReportingOptions1"},
        {RunBatchLists1, "RunBatchLists1"},
        {AdvOptions1, "AdvOptions1"},
        {DialUpService1, "DialUpService1"},
        {ExpandOptions1, "ExpandOptions1"},
        {TargetDelta1, "TargetDelta1"},
        {DisplayReportingForm1, "DisplayReportingForm1"},
        {DisplayMessages, "DisplayMessages"},
        {ShowHints1, "ShowHints1"},
        {EnablePopUpMenus1, "EnablePopUpMenus1"},
        {SortFileLists1, "SortFileLists1"},
        {SaveSettingsOnExit1, "SaveSettingsOnExit1"},
        {SwapSourceandTarget1, "SwapSourceandTarget1"},
        {mnuORefreshFileListing, "mnuORefreshFileListing"},
        {HelpContents1, "HelpContents1"},
        {About1, "About1"},
        {mnuCustom0, "mnuCustom0"},
        {mnuCustom1, "mnuCustom1"},
    };
    for (const auto& [item, name] : items) {
        item->setParent(this);
        item->setObjectName(UiText(name));
    }
}

std::array<QAction*, 4> TMainSyncForm::RecentFolderItems() const
{
    return {RecentFolder1, RecentFolder2, RecentFolder3, RecentFolder4};
}

void TMainSyncForm::BuildPopUpMenus()
{
    const std::pair<QMenu**, const char*> menus[] = {{&FilePopUpMenu1, "FilePopUpMenu1"},
                                                     {&DirPopUpMenu1, "DirPopUpMenu1"},
                                                     {&DriveRefreshMenu, "DriveRefreshMenu"}};
    for (const auto& [menu, name] : menus) {
        *menu = new QMenu(this);
        (*menu)->setObjectName(UiText(name));
        QAction* refresh = (*menu)->addAction(UiText("Refresh File Listing"));
        connect(refresh, &QAction::triggered, this, [this] { RefreshFileListing1Click(); });
    }
    for (Side side : {Side::Source, Side::Target}) {
        SidePane& pane = Panes->Pane(side);
        const std::pair<QWidget*, QMenu*> controls[] = {{pane.FileList, FilePopUpMenu1},
                                                        {pane.DirectoryListBox, DirPopUpMenu1},
                                                        {pane.DriveBox, DriveRefreshMenu}};
        for (const auto& [control, menu] : controls) {
            connect(control,
                    &QWidget::customContextMenuRequested,
                    this,
                    [this, menu = menu, control = control, side](const QPoint& position) {
                        PopUpMenu(menu, control, side, position);
                    });
        }
    }
    ApplyPopUpMenus();
}

void TMainSyncForm::ApplyPopUpMenus()
{
    // Switched off, a right-click does nothing at all: no menu of a parent stands in.
    const Qt::ContextMenuPolicy policy =
        EnablePopUpMenus1->isChecked() ? Qt::CustomContextMenu : Qt::PreventContextMenu;
    for (Side side : {Side::Source, Side::Target}) {
        SidePane& pane = Panes->Pane(side);
        for (QWidget* control :
             std::initializer_list<QWidget*>{pane.FileList, pane.DirectoryListBox, pane.DriveBox}) {
            control->setContextMenuPolicy(policy);
        }
    }
}

void TMainSyncForm::PopUpMenu(QMenu* menu, QWidget* control, Side side, const QPoint& position)
{
    if (!EnablePopUpMenus1->isChecked()) {
        return;
    }
    FPopUpSide = side;
    // A list or tree reports the position in its viewport.
    auto* scrolled = qobject_cast<QAbstractScrollArea*>(control);
    QWidget* origin = scrolled != nullptr ? scrolled->viewport() : control;
    menu->popup(origin->mapToGlobal(position));
}

void TMainSyncForm::RefreshFileListing1Click()
{
    {
        BusySection busy(FState);
        (void)BuildFileListing(FContext, FPopUpSide);
    }
    ShowListing(FPopUpSide);
    FState.StatusMsg(Msg::Ready);
}

void TMainSyncForm::LoadDefaultSettings1Click()
{
    ConfigContext config = MakeConfigContext();
    (void)Tandemix::LoadSettings(config, FDefaultConfigPath, SettingsLoad::DefaultSettings);
    ShowOptionsInWindow();
    RefreshFileListings();
    ShowLoadStatus();
}

void TMainSyncForm::SaveDefaultData1Click()
{
    SaveConfiguration(FDefaultConfigPath);
}

void TMainSyncForm::LoadSettings1Click()
{
    QString file = ChooseSettingsFile ? ChooseSettingsFile(false) : QString();
    if (file.isEmpty()) {
        return;
    }
    ConfigContext config = MakeConfigContext();
    // A file that is not ours is refused with a message, before anything is read from it.
    if (!Tandemix::LoadSettings(config, CoreText(file), SettingsLoad::ChosenFile)) {
        return;
    }
    ShowOptionsInWindow();
    RefreshFileListings();
    ShowLoadStatus();
}

void TMainSyncForm::SaveSettings1Click()
{
    QString file = ChooseSettingsFile ? ChooseSettingsFile(true) : QString();
    if (!file.isEmpty()) {
        SaveConfiguration(CoreText(file));
    }
}

void TMainSyncForm::ShowRecentFolders()
{
    std::array<QAction*, 4> items = RecentFolderItems();
    for (std::size_t n = 0; n < items.size(); ++n) {
        const std::string& pair = FOptions.RecentFolders[n];
        items[n]->setText(MenuCaption(pair));
        items[n]->setData(UiText(pair));
        items[n]->setVisible(!pair.empty());
    }
    RecentFolderSeparator->setVisible(RecentFolder1->isVisible());
}

void TMainSyncForm::RecentFolder1Click(QAction* item)
{
    std::optional<RecentPair> pair = SplitRecentPair(CoreText(item->data().toString()));
    if (!pair) {
        return;
    }
    // A pair whose disk is not mounted must not point a side at an empty mount point, where a
    // run would create the target anew.
    for (const std::string* folder : {&pair->Source, &pair->Target}) {
        if (!FolderExists(*folder)) {
            FHost.Ask(std::string(FolderGone) + *folder, DialogButtons::Ok);
            return;
        }
    }
    DirectoryListBox1Change(Side::Source, pair->Source);
    DirectoryListBox1Change(Side::Target, pair->Target);
}

void TMainSyncForm::ShowHints1Click()
{
    ShowHints1->setChecked(!ShowHints1->isChecked());
    const bool on = ShowHints1->isChecked();
    FOptions.ShowHint = on;
    FHints->SetEnabled(on);
    if (!on) {
        FState.StatusMsg(Msg::Ready);
        // The status line may still carry the last hint: put back what the status really is.
        if (!FState.StatusText().empty()) {
            FHost.ShowStatus(FState.StatusText());
        }
    }
}

void TMainSyncForm::EnablePopUpMenus1Click()
{
    EnablePopUpMenus1->setChecked(!EnablePopUpMenus1->isChecked());
    FOptions.MenuAutoPopup = EnablePopUpMenus1->isChecked();
    ApplyPopUpMenus();
}

void TMainSyncForm::SortFileLists1Click()
{
    SortFileLists1->setChecked(!SortFileLists1->isChecked());
    FOptions.SortFileLists = SortFileLists1->isChecked();
    for (Side side : {Side::Source, Side::Target}) {
        // A list still sorting would put the entries back in order as they are added again.
        Panes->Pane(side).FileList->setSortingEnabled(FOptions.SortFileLists);
        ShowListing(side);
    }
}

void TMainSyncForm::SwapSourceandTarget1Click()
{
    if (TabSet1->currentIndex() == BuildBatchListsTab) {
        // On the batch-building page the swap is the current row's.
        Panes->ClearFileList(Side::Source);
        Panes->ClearFileList(Side::Target);
        BuildBatch->SwapCurrentRowFolders();
        FOptions.RunBatchList = false;
        RunBatch->FollowRunBatchList();
        return;
    }
    const std::string oldSource = FEngine.Source.Folder;
    const std::string oldTarget = FEngine.Target.Folder;
    if (oldSource.empty() || oldTarget.empty()) {
        return;
    }
    // Each side's archive view goes with its folder.
    const bool sourceView = FEngine.Source.ViewCompressed;
    const bool targetView = FEngine.Target.ViewCompressed;
    Panes->ClearFileList(Side::Source);
    Panes->ClearFileList(Side::Target);
    FEngine.Source.ViewCompressed = targetView;
    FEngine.Target.ViewCompressed = sourceView;
    DirectoryListBox1Change(Side::Source, oldTarget);
    DirectoryListBox1Change(Side::Target, oldSource);
    // The pair on screen is now the user's own, no longer a batch row's.
    FOptions.RunBatchList = false;
    RunBatch->FollowRunBatchList();
}

} // namespace Tandemix
