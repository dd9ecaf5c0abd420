// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/WindowedMain.h"

#include "app/ui/AboutBox.h"
#include "app/ui/Mainfrm3.h"
#include "app/ui/UiText.h"
#include "automation/CommandLine.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <string>
#include <vector>

namespace Tandemix {

namespace {

bool HasWord(const std::vector<std::string>& args, const char* word)
{
    return FindParam(SwitchWords(args), word) > 0;
}

} // namespace

int RunWindowed(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(UiText(AppName));
    QApplication::setApplicationVersion(UiText(AppVersion));
    QApplication::setDesktopFileName(QStringLiteral("tandemix"));

    std::vector<std::string> args(argv + 1, argv + argc);
    TMainSyncForm form(ProgramFolder());
    if (HasWord(args, "AUTORUN") && HasWord(args, "MIN")) {
        // A minimised automatic start keeps the window off-screen until it is asked for.
        QScreen* screen = QApplication::primaryScreen();
        int width = screen != nullptr ? screen->geometry().width() : 1024;
        form.move(width + 500, form.y());
    }
    form.show();
    form.ShowOptionsButtonClick(&form);
    // The command line is handled once the windows stand and the event loop runs. An automatic
    // run that is over ends the program at once, without saving settings.
    QTimer::singleShot(1000, &form, [&form, args] {
        int status = 0;
        if (form.HandleCommandLine(args, status)) {
            QApplication::exit(status);
        }
    });
    return QApplication::exec();
}

} // namespace Tandemix
