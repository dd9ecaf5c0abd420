// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace Tandemix {

// The alternate folder browser: any folder the user can reach, shares below the gvfs mount and
// folders no drive box lists included. Qt's own dialog, so it looks alike on every desktop and
// offers to make a new folder. The folder chosen, or nothing when cancelled.
class TBrowseDirectoryDlg
{
public:
    static std::optional<QString> Browse(QWidget* parent, const QString& title, const QString& start);
};

} // namespace Tandemix
