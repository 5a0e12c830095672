#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

extern char** environ;

namespace qbtest {

namespace {

std::vector<std::string> Environment(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& x : extra) {
            replaced = replaced || entry.compare(0, x.find('=') + 1, x, 0, x.find('=') + 1) == 0;
        }
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (std::string& s : strings) p.push_back(&s[0]);
    p.push_back(nullptr);
    return p;
}

// Starts argv with pipes for the three standard streams (stderr optional).
pid_t Start(std::vector<std::string> argv, const std::vector<std::string>& extra_env,
            int& in, int& out, int* err) {
    int in_pipe[2], out_pipe[2], err_pipe[2] = {-1, -1};
    if (::pipe2(in_pipe, O_CLOEXEC) != 0 || ::pipe2(out_pipe, O_CLOEXEC) != 0 ||
        (err && ::pipe2(err_pipe, O_CLOEXEC) != 0)) {
        throw std::runtime_error("pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    if (err) posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    // Otherwise not the test's own standard error: a Wine program started
    // first in a fresh server brings up Wine's services, which would keep
    // it, and with it the suite's log pipe, open after the tests end.
    if (!err) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> env = Environment(extra_env);
    std::vector<char*> argv_p = Pointers(argv);
    std::vector<char*> env_p = Pointers(env);
    pid_t pid;
    const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argv_p.data(),
                               env_p.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in_pipe[0]);
    ::close(out_pipe[1]);
    if (err) ::close(err_pipe[1]);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    in = in_pipe[1];
    out = out_pipe[0];
    if (err) *err = err_pipe[0];
    return pid;
}

double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input,
                         const std::vector<std::string>& env, int limit_seconds) {
    ::signal(SIGPIPE, SIG_IGN);
    int in, out, err;
    const pid_t pid = Start(argv, env, in, out, &err);
    if (!input.empty()) {
        const ssize_t written = ::write(in, input.data(), input.size());
        (void)written;  // a program that ends without reading is fine
    }
    ::close(in);
    ProcessResult result;
    const double deadline = Now() + limit_seconds;
    bool out_open = true, err_open = true;
    bool ended = false;
    int status = 0;
    char buffer[4096];
    // Reads until both streams end, or until the program has ended and its
    // streams are drained: a process it started may keep them open.
    while (out_open || err_open) {
        pollfd fds[2] = {{out_open ? out : -1, POLLIN, 0}, {err_open ? err : -1, POLLIN, 0}};
        if (Now() > deadline) {
            ::kill(pid, SIGKILL);
            break;
        }
        const int ready = ::poll(fds, 2, 50);
        if (ready == 0) {
            if (ended) break;
            ended = ::waitpid(pid, &status, WNOHANG) == pid;
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? result.output : result.errors).append(buffer, static_cast<std::size_t>(n));
            } else {
                (i == 0 ? out_open : err_open) = false;
            }
        }
    }
    ::close(out);
    ::close(err);
    if (!ended) {
        ::waitpid(pid, &status, 0);
    }
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Background::Background(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    ::signal(SIGPIPE, SIG_IGN);
    pid_ = Start(argv, env, input_, output_, nullptr);
}

Background::~Background() { Stop(); }

std::string Background::ReadLine(int limit_seconds) {
    std::string line;
    const double deadline = Now() + limit_seconds;
    char c;
    for (;;) {
        pollfd p{output_, POLLIN, 0};
        const int left_ms = static_cast<int>((deadline - Now()) * 1000);
        if (left_ms <= 0 || ::poll(&p, 1, left_ms) <= 0) return "";
        if (::read(output_, &c, 1) != 1) return "";
        if (c == '\n') break;
        if (c != '\r') line += c;
    }
    return line;
}

void Background::Send(const std::string& text) {
    const ssize_t written = ::write(input_, text.data(), text.size());
    (void)written;  // a program that has ended reads nothing
}

void Background::Kill() {
    if (pid_ >= 0) ::kill(pid_, SIGKILL);
    Stop();
}

void Background::Stop() {
    if (pid_ < 0) return;
    ::close(input_);
    ::close(output_);
    const double deadline = Now() + 10;
    int status;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (Now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        ::usleep(20000);
    }
    pid_ = -1;
}

}  // namespace qbtest
