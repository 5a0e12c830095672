// Runs the Windows build under Wine for the end-to-end suite: Quenbrook.exe
// driven by the box robot, and the browser stand-in.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/process.h"

namespace qbtest {

struct WineBox {
    std::string caption;  // UTF-8, read as code page 932 from the box
    std::string text;
    std::string buttons;  // "OK" or "Yes,No"
    std::string default_button;
    bool topmost;
    char icon;            // e, i, w, q, n, or ? when unreadable
    // "<caption> [<icon>] <text>", CR LF shown as LF
    std::string Line() const;
};

struct WineRun {
    std::vector<WineBox> boxes;
    int exit_code = -1;  // -1 when the time limit ended it or it never started
    unsigned code_page = 0;
    // How it ended, as the robot reported it: "exit code 0", a time-out, a
    // start that failed with its error, or no report at all.
    std::string outcome;
    bool timed_out = false;  // ended by the robot after its 30 s
    // A line for each box, then, unless it ended with exit code 0, a line
    // "(<outcome>)": what was shown differs when it crashed, hung or never ran.
    std::vector<std::string> Lines() const;
};

// From the environment the suite's script sets: the launcher, the folder of
// the Windows build and the locale for Wine.
class WineSession {
public:
    static bool Available();

    // The Windows form of a Linux path (drive Z: is the Linux root).
    static std::string WinPath(const std::string& linux_path);

    // Runs `exe` (a Linux path) with this exact raw command line; answers
    // yes/no boxes from `answers` ("Y"/"N" a box). With a `gate` (a Linux
    // path), each yes/no box creates `gate` + ".asked" and is answered only
    // once `gate` exists.
    static WineRun Run(const std::string& exe, const std::string& command_line,
                       const std::string& answers = "", const std::string& lang = "",
                       const std::string& gate = "");

    // Starts the browser stand-in with a window of `window_class`; its
    // handle is returned through `handle`. `hold` names a file it keeps open,
    // shared for reading only, or with `share_writes` open for writing and
    // shared for reading and writing.
    static std::unique_ptr<Background> StartBrowser(const std::string& window_class,
                                                    std::string& handle,
                                                    const std::string& hold = "",
                                                    bool share_writes = false);

    static std::string BuildFile(const std::string& name);
};

}  // namespace qbtest
