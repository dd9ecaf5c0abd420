// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ui/Mainfrm3.h"
#include "support/ScriptedHost.h"
#include "support/TempHome.h"
#include "support/TempTree.h"

// Every window test drives widgets through QTest, so the rig brings both in for all of them.
#include <QtTest>
#include <QtWidgets>

#include <initializer_list>
#include <memory>
#include <string_view>

namespace Tandemix::Test {

inline QStringList Names(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names) {
        list << QString::fromUtf8(name);
    }
    return list;
}

// A right-click as the platform delivers it: to the viewport of a list or tree. The menu it
// opened, if any, is closed again, as a user's click elsewhere would, and returned.
inline QMenu* RightClick(QWidget* control)
{
    auto* scrolled = qobject_cast<QAbstractScrollArea*>(control);
    QWidget* target = scrolled != nullptr ? scrolled->viewport() : control;
    QPoint position(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, position, target->mapToGlobal(position));
    QApplication::sendEvent(target, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu != nullptr) {
        menu->hide();
    }
    return menu;
}

// Each widget by name, so a failure says which one is wrong.
inline void ExpectEnabled(std::initializer_list<QWidget*> widgets, bool enabled)
{
    for (QWidget* widget : widgets) {
        QVERIFY2(widget->isEnabled() == enabled, qPrintable(widget->objectName()));
    }
}

// Red is how the window marks what a run would compress or expand, and archive entries.
inline bool Red(const QWidget* widget, QPalette::ColorRole role = QPalette::WindowText)
{
    return widget->palette().color(role) == QColor(Qt::red);
}

inline QStringList Items(const QAbstractItemView* list)
{
    QStringList names;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        names << model->index(row, 0).data().toString();
    }
    return names;
}

// The main window in a program folder of its own, with a tree of folders to point it at, its
// questions answered by a script. The window goes before the folders it writes to; a rig going
// away checks that every question was expected and every answer queued for one was used.
struct WindowRig
{
    TempHome Home;
    TempTree Tree;
    ScriptedHost Script;
    std::unique_ptr<TMainSyncForm> Form;

    ~WindowRig()
    {
        QVERIFY2(Script.Unexpected.empty() && Script.UnusedAnswers() == 0,
                 "a question nobody expected was asked, or one expected was not");
    }

    // A new window, as the program starts one (without its beeps); the one before is closed
    // first.
    TMainSyncForm* Open()
    {
        Form.reset();
        Form = std::make_unique<TMainSyncForm>(Home.Folder());
        Form->HostSeam().RouteQuestionsTo(&Script);
        Form->CommandWords = {"-A"};
        Form->show();
        return Form.get();
    }

    // Files of the tree, all with the same content.
    void AddFiles(std::initializer_list<const char*> names, std::string_view content = "x")
    {
        for (const char* name : names) {
            Tree.AddFile(name, content);
        }
    }

    // The panes on two folders of the tree, as a user picks them.
    void Point(std::string_view source, std::string_view target)
    {
        Form->DirectoryListBox1Change(Side::Source, Tree.Path(source));
        Form->DirectoryListBox1Change(Side::Target, Tree.Path(target));
    }
};

} // namespace Tandemix::Test
