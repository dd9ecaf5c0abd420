// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/RunContext.h"

#include <QWidget>

#include <ctime>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Tandemix {

struct DateLabels;
struct SelectableList;

// A text typed into a history box and never confirmed with Enter is still what the user chose:
// it becomes the selected entry (added on top when new), so a save keeps it.
void RememberTypedText(SelectableList& history, const std::string& text);

// The "File Options" page: include masks, exclusions, attribute switches, size limits and the
// date range. Every control writes its option through the core; the page keeps no state of
// its own. When the user's change means the panes must be listed again, ListingsNeeded fires.
class FileOptionsPage : public QWidget
{
    Q_OBJECT

public:
    FileOptionsPage(RunContext& ctx, QWidget* parent = nullptr);

    // Shows the options as they are now (after a configuration load or a batch row).
    void ShowOptions();
    // A group of another subsystem's options, placed beside the filters.
    void AddOptionGroup(QWidget* group);
    // The filters are ignored (replication): their controls are off meanwhile.
    void SetFiltersEnabled(bool enabled);
    // Tests pin "today"; the window uses the real clock.

    QComboBox* IncludeString = nullptr;
    QComboBox* ExcludeString = nullptr;
    QCheckBox* CheckNormal = nullptr;
    QCheckBox* CheckArchive = nullptr;
    QCheckBox* CheckReadOnly = nullptr;
    QCheckBox* CheckSystem = nullptr;
    QCheckBox* CheckHidden = nullptr;
    QLineEdit* MinFileSize = nullptr;
    QLineEdit* MaxFileSize = nullptr;
    QRadioButton* UseDatesAll = nullptr;
    QRadioButton* UseDatesNoDays = nullptr;
    QRadioButton* UseDatesFromTo = nullptr;
    QLineEdit* PastDaysCount = nullptr;
    QLineEdit* UseDateFrom = nullptr;
    QLineEdit* UseDateTo = nullptr;
    QPushButton* TodayFrom = nullptr;
    QLabel* DateFromLabel = nullptr;
    QLabel* DateToLabel = nullptr;
    QLabel* UseFileDatesLabel = nullptr;

signals:
    void ListingsNeeded();
    void OptionChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildMasks();
    QWidget* BuildAttributes();
    QWidget* BuildSizes();
    QWidget* BuildDates();
    void ShowDateLabels(const DateLabels& labels);
    void EnableDateControls();
    void CheckArchiveClick();
    void SizeEdited(QLineEdit* edit);
    void HistoryKey(QComboBox* box, int key);
    void ShowHistory(QComboBox* box, const SelectableList& history, const std::string& text);

    RunContext& FCtx;
    std::vector<QWidget*> FFilterGroups;
    bool FShowing = false;
    bool FExcludeDroppedDown = false;
    bool FCheckingSize = false; // a warning's dialog takes the focus, which finishes the edit again
};

} // namespace Tandemix
