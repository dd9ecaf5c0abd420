// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QAction;
class QLabel;
class QWidget;

namespace Tandemix {

struct RecentPair
{
    std::string Source;
    std::string Target;
};

// A recent pair's caption ("source >> target") split back into its two folders. Nothing when the
// caption holds no ">>". Our own captions always carry the blanks around it; a hand-edited file
// may not, so a missing blank is accepted too.
std::optional<RecentPair> SplitRecentPair(std::string_view caption);

// Checkable menu items toggle themselves before their handler runs, while our handlers toggle for
// their sender as the Options button's handler does: the item's own toggle is undone first.
void ConnectToggle(QAction* item, QObject* context, std::function<void()> handler);

// A folder path as a menu caption: an '&' in it is shown, not taken for a mnemonic.
QString MenuCaption(std::string_view text);

// The dialog of Load Settings and Save Settings: it opens in the program folder with the
// configuration files listed first, and a name typed without extension gets ".CFG". Empty when
// the user cancels.
QString ChooseSettingsFileInDialog(QWidget* parent, const QString& folder, bool save);

// Hints of every control in the program: while switched off, no tooltip opens; while on, the
// hint of the control under the mouse is also written into the status panel, where it stays
// readable after the tooltip has gone. Installed on the application, since the switch is
// program-wide. UI thread only.
class HintDisplay : public QObject
{
    Q_OBJECT

public:
    HintDisplay(QLabel* statusPanel, QObject* parent);

    void SetEnabled(bool enabled) { FEnabled = enabled; }
    bool Enabled() const { return FEnabled; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* FStatusPanel;
    bool FEnabled = false;
};

} // namespace Tandemix
