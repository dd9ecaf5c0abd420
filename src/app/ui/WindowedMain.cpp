// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/WindowedMain.h"

#include "app/ui/AboutBox.h"
#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <cstring>

namespace Tandemix {

namespace {

bool HasWord(int argc, char** argv, const char* word)
{
    for (int i = 1; i < argc; ++i) {
        if (strcasecmp(argv[i], word) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int RunWindowed(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(UiText(AppName));
    QApplication::setApplicationVersion(UiText(AppVersion));
    QApplication::setDesktopFileName(QStringLiteral("tandemix"));

    TMainSyncForm form(ProgramFolder());
    if (HasWord(argc, argv, "AUTORUN") && HasWord(argc, argv, "MIN")) {
        // A minimised automatic start keeps the window off-screen until it is asked for.
        QScreen* screen = QApplication::primaryScreen();
        int width = screen != nullptr ? screen->geometry().width() : 1024;
        form.move(width + 500, form.y());
    }
    form.show();
    form.ShowOptionsButtonClick(&form);
    // The command line is handled once the windows stand and the event loop runs.
    QTimer::singleShot(1000, &form, [] {});
    return QApplication::exec();
}

} // namespace Tandemix
