// The record that the stages of one run share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qb {

struct RunState {
    std::int32_t BrowserVer = 0;     // host browser generation, 1 or 2
    std::string LogDir;              // log folder, then the thread's source folder
    std::string LogRoot;             // the log folder, kept before LogDir is extended
    std::string CopyDir;             // destination root, then the thread's folder
    std::string CopyRoot;            // destination root, kept before CopyDir is extended
    std::string ServerName;          // first label of the URL's host
    std::string BoardHost;           // the host without its first label
    std::string BoardName;
    std::string ThreadKey;           // stem of the two log file names
    std::vector<std::string> IniLines;  // the settings file's first 50 lines
    std::uint32_t SavedWnd = 0;      // browser main window handle last seen
    bool AddUnderscore = false;
    bool ShowTitleOn = false;
    bool WndChanged = false;
    std::string ProgramFolder;       // where the settings file lives
};

}  // namespace qb
