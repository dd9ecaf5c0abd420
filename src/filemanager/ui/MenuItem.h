// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ui/UiText.h"

#include <QAction>
#include <QMenu>

#include <string_view>

namespace Tandemix {

// A named item at the end of a pop-up menu; the name is what tests and the hint line find it by.
inline QAction* MenuItem(QMenu* menu, const char* name, std::string_view caption, QObject* owner)
{
    auto* item = new QAction(UiText(caption), owner);
    item->setObjectName(UiText(name));
    menu->addAction(item);
    return item;
}

} // namespace Tandemix
