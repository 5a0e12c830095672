#include "e2e/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "support/temp_folder.h"

extern char** environ;

namespace qbtest {

std::string InstallProgram(const std::string& folder) {
    MakeFolders(folder);
    const std::string target = folder + "/Quenbrook";
    WriteBytes(target, ReadBytes(QB_PROGRAM));
    ::chmod(target.c_str(), 0755);
    return target;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
    int in_pipe[2], err_pipe[2];
    if (::pipe(in_pipe) != 0 || ::pipe(err_pipe) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, in_pipe[1]);
    posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(in_pipe[0]);
    ::close(err_pipe[1]);
    ::signal(SIGPIPE, SIG_IGN);
    if (!input.empty()) {
        const ssize_t written = ::write(in_pipe[1], input.data(), input.size());
        (void)written;  // a program that ends without reading is fine
    }
    ::close(in_pipe[1]);
    ProgramResult result;
    char buffer[4096];
    for (;;) {
        pollfd p{err_pipe[0], POLLIN, 0};
        if (::poll(&p, 1, 30000) <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        const ssize_t n = ::read(err_pipe[0], buffer, sizeof buffer);
        if (n <= 0) break;
        result.errors.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(err_pipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> NoticeBlocks(const std::string& errors) {
    std::vector<std::string> blocks;
    std::size_t pos = 0;
    while (pos < errors.size()) {
        std::size_t end = errors.find("\n\n", pos);
        if (end == std::string::npos) end = errors.size();
        std::string block = errors.substr(pos, end - pos);
        if (block.rfind("== ", 0) == 0) {
            const std::size_t head_end = block.find(" ==\n");
            block = block.substr(3, head_end - 3) + " " + block.substr(head_end + 4);
        }
        blocks.push_back(block);
        pos = end + 2;
    }
    return blocks;
}

}  // namespace qbtest
