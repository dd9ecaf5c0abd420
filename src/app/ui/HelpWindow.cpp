// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/HelpWindow.h"

#include "app/ui/PageTabs.h"
#include "app/ui/UiText.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The guide lives in a resource of a static library: nothing references it, so the linker would
// drop it unless it is registered by name. Outside any namespace, as the macro requires.
static void RegisterGuideResource()
{
    Q_INIT_RESOURCE(guide);
}

namespace Tandemix {

QString GuideAnchorFor(int helpContext)
{
    struct Topic
    {
        int Context;
        const char* Anchor;
    };
    // The pages that are built; help on any other page opens the guide at its start.
    static const Topic topics[] = {
        {UpperHelpContexts[0], "folder-selection"},
        {UpperHelpContexts[1], "synchronize"},
        {UpperHelpContexts[2], "build-batch-lists"},
        {LowerHelpContexts[3], "run-batch-lists"},
        {LowerHelpContexts[0], "file-options"},
        {LowerHelpContexts[1], "compression"},
        {LowerHelpContexts[2], "reporting"},
        {LowerHelpContexts[4], "pro-options"},
        {TargetDeltaHelpContext, "target-delta"},
    };
    for (const Topic& topic : topics) {
        if (topic.Context == helpContext) {
            return UiText(topic.Anchor);
        }
    }
    return {};
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    RegisterGuideResource();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(UiText("Tandemix Help"));
    auto* column = new QVBoxLayout(this);
    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("HelpBrowser"));
    Browser->setOpenExternalLinks(true);
    auto* close = new QPushButton(UiText("&Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    column->addWidget(Browser, 1);
    column->addWidget(close, 0, Qt::AlignRight);
    resize(720, 600);
}

void HelpWindow::ShowTopic(int helpContext)
{
    QUrl url(UiText(GuideUrl));
    QString anchor = GuideAnchorFor(helpContext);
    if (!anchor.isEmpty()) {
        url.setFragment(anchor);
    }
    Browser->setSource(url);
    if (anchor.isEmpty()) {
        Browser->verticalScrollBar()->setValue(0); // the page may have been open further down
    }
    show();
    raise();
    activateWindow();
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape closes it as it closes a dialog; the browser passes the key on.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace Tandemix
