// Starting programs from tests: run to the end with captured output, or
// keep running in the background.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace qbtest {

struct ProcessResult {
    int exit_code = -1;   // -1 when killed or ended by a signal
    std::string output;   // standard output
    std::string errors;   // standard error
};

// Runs argv[0] with the arguments, `input` on standard input (which then
// ends) and `env` ("NAME=value") added to the environment. Killed after
// `limit_seconds`.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::vector<std::string>& env = {}, int limit_seconds = 60);

// A program left running, its standard input held open until Stop().
class Background {
public:
    Background(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // The first line of its standard output, "" when it ended first.
    std::string ReadLine(int limit_seconds = 60);
    // Writes to its standard input.
    void Send(const std::string& text);
    // Ends it at once, as a crash or the task manager would.
    void Kill();
    // Closes its standard input and waits for it to end (kills it if it
    // does not within a few seconds).
    void Stop();

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

}  // namespace qbtest
