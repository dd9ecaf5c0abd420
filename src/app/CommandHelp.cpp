// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandHelp.h"

#include "app/AppInfo.h"

#include <cstring>
#include <string>

namespace Tandemix {

// The manual page says the same; a test holds the two together.
std::string_view HelpText()
{
    return R"(Usage: tandemix [SOURCE TARGET | BATCH.SNC] [SWITCH...]
Keeps pairs of folders in step: adds and updates the files of SOURCE in TARGET.

  tandemix                         open the window
  tandemix SOURCE TARGET           open the window on that folder pair
  tandemix SOURCE TARGET AUTORUN   synchronise SOURCE into TARGET at once, then end
  tandemix BATCH.SNC AUTORUN       run every row of a batch list, then end

SOURCE and TARGET are absolute paths (~ is expanded) of existing folders. A batch
file named without a folder is taken from the program folder. Switches follow the
folders, in any order, in upper or lower case:

  AUTORUN     run at once, then end
  MIN         with AUTORUN: run minimised, in the tray
  -A          like AUTORUN, without the closing beeps
  -C:FILE     load a settings file first (a bare name is taken from the program
              folder); implies AUTORUN
  -Dn         wait n seconds with a countdown before the automatic run
  -DHn        the same, with the countdown out of sight
  -O, -)      always overwrite target files
  -I          ignore the target's free space (also runs minimised)
  -Sn         after the automatic run, stay and run again every n minutes
  -Rn         after the automatic run, stay and synchronise each change of the
              source, checking for changes every n seconds
  -Wn         real-time monitoring: a settle count of 2 x n (n from 1 to 24)
  --help      show this help and end
  --version   show the version and end

Without a display the same runs happen without a window; SIGINT or SIGTERM
stops a run cleanly.

Exit status:
  0  the run completed
  1  the run failed: a file could not be read, written or changed while it was
     copied, a folder could not be created or read, no room was left, or another
     run is writing to the same target
  2  the command line names nothing that can run: no existing absolute source
     and target folder, folders that overlap, or a -C file that cannot be read
     or is not a settings file
  3  the run was stopped (SIGINT, SIGTERM or Stop)

Configuration, logs and the password file live in the program folder:
$TANDEMIX_HOME when set, else the executable's folder when it is writable and
not a system folder, else ~/.config/tandemix.
)";
}

std::string VersionText()
{
    return std::string(AppName) + " " + std::string(AppVersion) + "\n";
}

bool AnswerInfoRequest(int argc, char** argv, std::FILE* out)
{
    if (argc < 2) {
        return false;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(std::string(HelpText()).c_str(), out);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::fputs(VersionText().c_str(), out);
        return true;
    }
    return false;
}

} // namespace Tandemix
