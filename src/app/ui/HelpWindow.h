// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

class QKeyEvent;
class QTextBrowser;

namespace Tandemix {

// Where the user guide is: compiled into the program, so it can never go missing.
inline constexpr const char* GuideUrl = "qrc:/guide/index.html";

// The guide's section for a help context of the window (the page last selected); empty for
// the start of the guide.
QString GuideAnchorFor(int helpContext);

// The user guide in a window of its own, so help works without a desktop browser. Links to
// other sites open in the browser. UI thread only.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the guide at the section of the help context, bringing the window to the front.
    void ShowTopic(int helpContext);

    QTextBrowser* Browser = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace Tandemix
