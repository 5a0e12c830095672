#include "wine/wine_session.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "platform/posix/encoding.h"
#include "support/temp_folder.h"

namespace qbtest {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string FromHex932(const std::string& hex) {
    if (hex == "-") return "";
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return qb::Cp932ToUtf8(bytes);
}

std::string ShownText(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

std::atomic<int> g_job{0};

}  // namespace

std::string WineBox::Line() const {
    return caption + " [" + icon + "] " + ShownText(text);
}

std::vector<std::string> WineRun::Lines() const {
    std::vector<std::string> lines;
    for (const WineBox& b : boxes) lines.push_back(b.Line());
    if (outcome != "exit code 0") lines.push_back("(" + outcome + ")");
    return lines;
}

bool WineSession::Available() { return !Env("QB_WINE").empty() && !Env("QB_WIN_BUILD").empty(); }

std::string WineSession::WinPath(const std::string& linux_path) {
    std::string p = "Z:" + linux_path;
    for (char& c : p) {
        if (c == '/') c = '\\';
    }
    return p;
}

std::string WineSession::BuildFile(const std::string& name) {
    return Env("QB_WIN_BUILD") + "/" + name;
}

namespace {

WineRun RunOnce(const std::string& exe, const std::string& command_line,
                const std::string& answers, const std::string& lang, const std::string& gate) {
    TempFolder jobs;
    const std::string job = jobs / ("job" + std::to_string(++g_job) + ".txt");
    WriteBytes(job, WineSession::WinPath(exe) + "\n" + command_line + "\n" + answers + "\n30000\n" +
                        (gate.empty() ? "" : WineSession::WinPath(gate) + "\n"));
    std::vector<std::string> env;
    if (!lang.empty()) env = {"LANG=" + lang, "LC_ALL=" + lang};
    const ProcessResult r =
        RunProcess({Env("QB_WINE"), WineSession::BuildFile("box_robot.exe"),
                    WineSession::WinPath(job)},
                   "", env, 60);
    WineRun run;
    std::istringstream lines(r.output);
    std::string word;
    unsigned long number = 0;
    int retries = 0;
    while (lines >> word) {
        if (word == "acp") {
            lines >> run.code_page;
        } else if (word == "exit" && lines >> number) {
            run.exit_code = static_cast<int>(number);
            run.outcome = "exit code " + std::to_string(number);
        } else if (word == "timeout") {
            run.outcome = "still running after 30 s, ended by the robot";
            run.timed_out = true;
        } else if (word == "start-failed" && lines >> number) {
            run.outcome = "never started: CreateProcessW failed with error " +
                          std::to_string(number) + ", tried " + std::to_string(retries + 1) +
                          " time(s)";
        } else if (word == "start-retried") {
            ++retries;
        } else if (word == "box") {
            std::string caption, text, buttons, def;
            int topmost;
            char icon;
            lines >> caption >> text >> buttons >> def >> topmost >> icon;
            run.boxes.push_back(
                WineBox{FromHex932(caption), FromHex932(text), buttons, def, topmost != 0, icon});
        }
    }
    if (run.outcome.empty()) {
        run.outcome = "no end reported by the robot (its exit code " +
                      std::to_string(r.exit_code) + "): " + r.errors;
    }
    if (retries > 0) {
        std::fprintf(stderr, "box_robot: %d start(s) failed with 1359 and were tried again\n",
                     retries);
    }
    return run;
}

}  // namespace

// Rarely (seen once, in a CI run while builds shared the machine) a Wine
// program shows nothing at all for the robot's 30 s and is ended. Such a run is
// tried once more, and says so on standard error; a run that hangs again,
// or that showed any box first, is reported as it ended.
WineRun WineSession::Run(const std::string& exe, const std::string& command_line,
                         const std::string& answers, const std::string& lang,
                         const std::string& gate) {
    WineRun run = RunOnce(exe, command_line, answers, lang, gate);
    if (run.timed_out && run.boxes.empty()) {
        std::fprintf(stderr, "box_robot: a run showed nothing in 30 s and was tried again: %s\n",
                     command_line.c_str());
        run = RunOnce(exe, command_line, answers, lang, gate);
    }
    return run;
}

std::unique_ptr<Background> WineSession::StartBrowser(const std::string& window_class,
                                                      std::string& handle,
                                                      const std::string& hold,
                                                      bool share_writes) {
    std::vector<std::string> argv{Env("QB_WINE"), BuildFile("browser_standin.exe"), window_class};
    if (!hold.empty()) argv.push_back(WinPath(hold));
    if (!hold.empty() && share_writes) argv.push_back("rw");
    auto browser = std::make_unique<Background>(argv);
    handle = browser->ReadLine();
    return browser;
}

}  // namespace qbtest
