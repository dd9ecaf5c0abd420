// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

class QMenu;

namespace Tandemix {

// The program's icon in the desktop's notification area. Where the desktop has none, the icon
// is still "active" for the program (it parks the same way) but nothing is shown, and the
// window minimises as usual instead. UI thread only.
class TTrayIcon : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxToolTip = 62;

    explicit TTrayIcon(QObject* parent = nullptr);
    ~TTrayIcon() override;

    bool Active() const { return FActive; }
    void SetActive(bool active);
    const QIcon& Icon() const { return FIcon; }
    void SetIcon(const QIcon& icon);
    const QString& ToolTip() const { return FToolTip; }
    // Longer texts are cut to their first 62 characters.
    void SetToolTip(const QString& text);
    QMenu* PopupMenu = nullptr;

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(QPoint)> OnRightClick;

    // Whether the desktop shows the icon at all.
    bool Shown() const;
    // What a click on the icon does; the desktop's activations arrive here.
    void Activated(QSystemTrayIcon::ActivationReason reason, QPoint cursor);

private:
    bool FActive = false;
    QIcon FIcon;
    QString FToolTip;
    QSystemTrayIcon* FIconShown = nullptr;
};

} // namespace Tandemix
