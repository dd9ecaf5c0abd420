// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/TrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QWidget>

namespace Tandemix {

TTrayIcon::TTrayIcon(QObject* parent)
    : QObject(parent)
{}

TTrayIcon::~TTrayIcon()
{
    SetActive(false);
}

bool TTrayIcon::Shown() const
{
    return FIconShown != nullptr && FIconShown->isVisible();
}

void TTrayIcon::SetActive(bool active)
{
    if (active == FActive) {
        return;
    }
    FActive = active;
    if (!active) {
        delete FIconShown;
        FIconShown = nullptr;
        return;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    FIconShown = new QSystemTrayIcon(FIcon, this);
    FIconShown->setToolTip(FToolTip);
    // The menu is popped up here rather than handed to the desktop, so a right click always
    // runs the same steps (menu first, then OnRightClick) wherever the icon lives.
    connect(FIconShown, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        Activated(reason, QCursor::pos());
    });
    FIconShown->show();
}

void TTrayIcon::SetIcon(const QIcon& icon)
{
    FIcon = icon;
    if (FIconShown != nullptr) {
        FIconShown->setIcon(FIcon);
    }
}

void TTrayIcon::SetToolTip(const QString& text)
{
    FToolTip = text.left(MaxToolTip);
    if (FIconShown != nullptr) {
        FIconShown->setToolTip(FToolTip);
    }
}

void TTrayIcon::Activated(QSystemTrayIcon::ActivationReason reason, QPoint cursor)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (OnClick) {
            OnClick();
        }
        break;
    case QSystemTrayIcon::DoubleClick:
        if (OnDblClick) {
            OnDblClick();
        }
        break;
    case QSystemTrayIcon::Context:
        if (PopupMenu != nullptr) {
            if (QWidget* window = QApplication::activeWindow()) {
                window->activateWindow();
            }
            QApplication::processEvents();
            PopupMenu->popup(cursor);
        }
        if (OnRightClick) {
            OnRightClick(cursor);
        }
        break;
    default:
        break;
    }
}

} // namespace Tandemix
