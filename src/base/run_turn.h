// This run's turn among the runs that share its settings file or its
// destination root.
#pragma once

#include <string>

#include "platform/files.h"

namespace qb {

// Waits, showing nothing, until no other run holds the program's folder
// (where the settings file is) or the destination root; gives both back when
// it goes out of scope (and the system, should the process end first). So
// runs of one installation take turns, and so do runs of two installations
// that copy into one root. The two locks are always taken in the order of
// the folders' identities, so that two runs never wait for each other.
class RunTurn {
public:
    RunTurn(const std::string& program_folder, const std::string& root);
    ~RunTurn();
    RunTurn(const RunTurn&) = delete;
    RunTurn& operator=(const RunTurn&) = delete;

private:
    RunLock first_;
    RunLock second_;
};

}  // namespace qb
