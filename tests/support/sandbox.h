// A whole world for one run, in a real temporary folder: the program's
// folder with its settings file, the browser's log folder with one thread,
// a destination root, and the user's data folder ($XDG_DATA_HOME while the
// sandbox lives), where the trash is.
#pragma once

#include <string>
#include <vector>

#include "support/fake_user_facing.h"
#include "support/temp_folder.h"

namespace qbtest {

struct ThreadLog {
    std::string site;   // folder under the log root ("sv.5ch.net" or "5ch")
    std::string board;
    std::string key;
    std::string dat;
    std::string inf;
};

// Runs the program logic once with these arguments, every text exact, as
// the program at `program_path` would, and checks that it leaves no
// descriptor open; returns the exit code.
int RunQuenbrook(const std::vector<std::string>& args, const std::string& program_path,
                 qb::UserFacing& ui);

class Sandbox {
public:
    // In a new temporary folder under `under` (see TempFolder).
    explicit Sandbox(const std::string& under = "");

    std::string program() const { return dir / "prog/Quenbrook"; }
    std::string ini() const { return dir / "prog/Quenbrook.ini"; }
    std::string logs() const { return dir / "logs"; }
    std::string root() const { return dir / "dest"; }
    std::string data() const { return dir / "data"; }

    // Writes a settings file with these values, spaced like the template.
    void Settings(int generation, const std::string& add = "0", const std::string& show = "1",
                  const std::string& handle = "0");
    // Places a thread's two files under the log root.
    void AddThread(const ThreadLog& thread);

    // Runs the program logic with the fake desktop; returns the exit code.
    int Run(const std::vector<std::string>& args);
    // The boxes' texts in UTF-8.
    std::vector<std::string> Texts() const;

    TempFolder dir;
    FakeUserFacing ui;

private:
    ScopedVariable data_home_;
};

}  // namespace qbtest
