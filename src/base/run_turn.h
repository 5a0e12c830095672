// This run's turn among the runs that share its settings file or its
// destination root.
#pragma once

#include <string>

#include "platform/files.h"

namespace qb {

// Waits, showing nothing, until no other run holds the program's folder
// (where the settings file is) or the volume of the destination root; gives
// both back when it goes out of scope (and the system, should the process
// end first). So runs of one installation take turns, and so do runs of
// two installations whose roots are one, or lie inside one another (one
// run's yes would empty the other's copies). The two locks are always
// taken in the order of their identities, so that two runs never wait for
// each other (a program folder where a volume begins is one lock with it).
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
