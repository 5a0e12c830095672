// This run's turn among the runs that share a settings file.
#pragma once

#include <string>

#include "platform/files.h"

namespace qb {

// Waits, showing nothing, until no other run that shares the settings file
// at `settings_path` holds the turn; gives it back when it goes out of scope
// (and the system, should the process end first).
class RunTurn {
public:
    explicit RunTurn(const std::string& settings_path) : lock_(TakeRunLock(settings_path)) {}
    ~RunTurn() { ReleaseRunLock(lock_); }
    RunTurn(const RunTurn&) = delete;
    RunTurn& operator=(const RunTurn&) = delete;

private:
    RunLock lock_;
};

}  // namespace qb
