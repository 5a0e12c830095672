// Every call a main path makes to the system, failed in turn. A clean run
// counts the calls; then, for each N, the same run on a fresh world fails
// its Nth call (EIO; ENOSPC for writes; EACCES for opens), and what is left
// must be what the program promises: nothing outside the root changed, the
// settings file old or new and never in between, the copies old or whole,
// the run ended in one of its orderly ways, and a clean run afterwards
// (another process) ends as a clean run on untouched files would.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>

#include "support/sandbox.h"
#include "support/settings_text.h"
#include "support/system_faults.h"

namespace {

using namespace qbtest;
using Texts = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

const char* kUrl = "http://sv.5ch.net/test/read.cgi/news/123";
const std::string kPosts = "posts\n";
const std::string kInfo = "TITLE=t\r\n";
// The root, by a name the program converts; the copies in it.
const std::string kRoot = "dest/保存/";
const std::string kCopies[] = {kRoot + "sv.5ch.net/news/123.dat", kRoot + "sv.5ch.net/news/123.inf"};
// The ids of processes that do not run: the failed run's, then the next one's.
constexpr int kFailedRun = 999999990;
constexpr int kNextRun = 999999991;

// Where the worlds are made: in memory where the system has such a folder,
// so that the flushes of a thousand runs cost nothing.
std::string QuickFolder() { return ::access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : ""; }

// Every entry below `path` by its relative path, links not followed: a
// folder is "/", a link "@" and its target, a file its bytes.
Tree Entries(const std::string& path, const std::string& relative = "") {
    Tree tree;
    for (const std::string& name : ListNames(path + "/" + relative)) {
        const std::string key = relative + name;
        const std::string full = path + "/" + key;
        struct stat st;
        if (::lstat(full.c_str(), &st) != 0) continue;
        if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(full.c_str(), target, sizeof target);
            tree[key] = "@" + std::string(target, n > 0 ? static_cast<std::size_t>(n) : 0);
        } else if (S_ISDIR(st.st_mode)) {
            tree[key] = "/";
            for (const auto& entry : Entries(path, key + "/")) tree.insert(entry);
        } else {
            tree[key] = ReadBytes(full);
        }
    }
    return tree;
}

// `text` with the sandbox's folder as "<dir>".
std::string Relative(std::string text, const Sandbox& world) {
    const std::string& dir = world.dir.path();
    for (std::size_t at; (at = text.find(dir)) != std::string::npos;) {
        text.replace(at, dir.size(), "<dir>");
    }
    return text;
}

// The whole world of a run, as Entries sees it.
Tree World(const Sandbox& world) {
    Tree tree = Entries(world.dir.path());
    for (auto& entry : tree) entry.second = Relative(entry.second, world);
    return tree;
}

bool IsTemporary(const std::string& key) {
    return key.size() > 4 && key.compare(key.size() - 4, 4, ".tmp") == 0;
}

std::string Value(const Tree& tree, const std::string& key) {
    const auto it = tree.find(key);
    return it == tree.end() ? "<none>" : it->second;
}

// The entries at and below `key`, by their path below it.
Tree Below(const Tree& tree, const std::string& key) {
    Tree below;
    for (auto it = tree.lower_bound(key); it != tree.end() && it->first.rfind(key, 0) == 0; ++it) {
        const std::string rest = it->first.substr(key.size());
        if (rest.empty() || rest[0] == '/') below[rest] = it->second;
    }
    return below;
}

// The world's trash, in $XDG_DATA_HOME; in $HOME where the program is told
// of no $XDG_DATA_HOME.
const char* const kTrashes[] = {"data/Trash/", "home/.local/share/Trash/"};

// Whether `key` is in one of the world's trashes, or a folder on the way.
bool InTrash(const std::string& key, const std::string& value) {
    for (const std::string trash : kTrashes) {
        if (key.rfind(trash, 0) == 0 || (value == "/" && trash.rfind(key + "/", 0) == 0)) {
            return true;
        }
    }
    return false;
}

// `text` with each %XX as the byte it stands for.
std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Where each entry of the trash came from, by its key: the Path its info
// file gives, as a key of the world; "" without a well-formed info file
// ("[Trash Info]", the Path, a DeletionDate such as 2026-12-09T19:52:35).
std::map<std::string, std::string> TrashedFrom(const Tree& world, const std::string& trash) {
    const std::string files = trash + "files/";
    const std::string head = "[Trash Info]\nPath=<dir>/";
    const std::string date = "DeletionDate=2026-12-09T19:52:35\n";
    std::map<std::string, std::string> from;
    for (const auto& entry : world) {
        const std::string& key = entry.first;
        if (key.rfind(files, 0) != 0 || key.find('/', files.size()) != std::string::npos) continue;
        const std::string info =
            Value(world, trash + "info/" + key.substr(files.size()) + ".trashinfo");
        const std::size_t end = info.find('\n', head.size());
        const bool formed = info.rfind(head, 0) == 0 && end != std::string::npos &&
                            info.size() == end + 1 + date.size() &&
                            info.compare(end + 1, 13, date, 0, 13) == 0;
        from[key] = formed ? PercentDecoded(info.substr(head.size(), end - head.size())) : "";
    }
    return from;
}

// One main path: the world before the run, what the user answers, and what
// holds for every run in that world (a program folder that refuses new files).
struct Path {
    const char* name;
    std::function<void(Sandbox&)> make;
    bool yes;
    std::function<void(SystemFaults&, const Sandbox&)> world;
    std::vector<std::string> kept;  // in the root, to stay as they are
};

struct Outcome {
    int exit_code;
    Texts boxes;  // caption and text, the sandbox's folder as "<dir>"
    std::vector<std::string> calls;
};

// The path's world, with a home of its own.
void Make(const Path& path, Sandbox& world) {
    MakeFolders(world.dir / "home");
    path.make(world);
}

int ErrorFor(const std::string& entry) {
    if (entry == "write" || entry == "copy_file_range" || entry == "fallocate") return ENOSPC;
    if (entry == "open" || entry == "openat" || entry == "opendir" || entry == "mkdir" ||
        entry == "access") {
        return EACCES;
    }
    return EIO;
}

// One run in `world`; its `fail_at`th call fails (none when 0).
Outcome RunIn(Sandbox& world, const Path& path, int pid, long fail_at = 0,
              const std::string& entry = "") {
    Outcome outcome;
    {
        SystemFaults faults;
        faults.AnswerProcessId(pid);
        faults.SetVariable("HOME", world.dir / "home");  // never the user's own
        if (path.world) path.world(faults, world);
        if (fail_at > 0) faults.FailNth(fail_at, ErrorFor(entry));
        world.ui.answers = {path.yes};
        outcome.exit_code = world.Run({Sjis(world.dir / kRoot), kUrl});
        outcome.calls = faults.CallsMade();
    }
    for (const Box& box : world.ui.boxes) {
        outcome.boxes.push_back(Relative(Utf8(box.caption) + " | " + Utf8(box.text), world));
    }
    return outcome;
}

bool ShowedSuccess(const Outcome& outcome) {
    for (const std::string& box : outcome.boxes) {
        if (box.rfind("123 成功 | ", 0) == 0) return true;
    }
    return false;
}

// What clean runs of a path do: the first, and the next in the same
// browser run; the settings file before and after.
struct Reference {
    Outcome first;
    Outcome again;
    std::string old_settings;
    std::string new_settings;
    bool copies;  // the first run copies
};

Reference CleanRuns(const Path& path) {
    Sandbox world(QuickFolder());
    Make(path, world);
    Reference ref;
    ref.old_settings = Value(World(world), "prog/Quenbrook.ini");
    ref.first = RunIn(world, path, kFailedRun);
    const Tree after = World(world);
    ref.new_settings = Value(after, "prog/Quenbrook.ini");
    ref.copies = Value(after, kCopies[0]) == kPosts;
    ref.again = RunIn(world, path, kNextRun);
    return ref;
}

// Whether `after` keeps all that the program promises of `before`.
void ExpectKept(const Path& path, const Reference& ref, const Tree& before, const Tree& after) {
    Tree all = before;
    all.insert(after.begin(), after.end());
    for (const auto& entry : all) {
        const std::string& key = entry.first;
        const std::string was = Value(before, key);
        const std::string is = Value(after, key);
        if (key == "prog/Quenbrook.ini") {
            EXPECT_TRUE(is == was || is == ref.new_settings) << "settings file: " << is;
        } else if (key == kCopies[0] || key == kCopies[1]) {
            const std::string whole = key == kCopies[0] ? kPosts : kInfo;
            EXPECT_TRUE(is == was || is == whole) << key << ": " << is;
        } else if (key.rfind(kRoot, 0) == 0) {
            bool kept = false;
            for (const std::string& folder : path.kept) kept |= key.rfind(kRoot + folder, 0) == 0;
            // Removed, or as it was; added only on the way to the copies.
            if (kept || is != "<none>") {
                EXPECT_TRUE(is == was || IsTemporary(key) ||
                            (was == "<none>" && is == "/" && kCopies[0].rfind(key + "/", 0) == 0))
                    << key << ": " << is;
            }
        } else if (!InTrash(key, is) &&
                   !(key.rfind("prog/Quenbrook.ini.", 0) == 0 && IsTemporary(key))) {
            EXPECT_EQ(is, was) << key;
        }
    }
    // The trash holds exactly what left the root, each entry whole and with
    // its info file; no file left the root for good.
    std::map<std::string, std::string> trashed;
    for (const std::string trash : kTrashes) {
        const std::map<std::string, std::string> from = TrashedFrom(after, trash);
        trashed.insert(from.begin(), from.end());
        for (const auto& entry : after) {
            const std::string info = trash + "info/";
            const std::string& key = entry.first;
            if (key.rfind(info, 0) != 0) continue;
            const std::string name = key.substr(info.size(), key.size() - info.size() - 10);
            EXPECT_NE(Value(after, trash + "files/" + name), "<none>") << key;
        }
    }
    for (const auto& entry : trashed) {
        EXPECT_EQ(entry.second.rfind(kRoot, 0), 0u) << entry.first << " from " << entry.second;
        EXPECT_EQ(Below(after, entry.first), Below(before, entry.second)) << entry.first;
        EXPECT_EQ(Value(after, entry.second), "<none>") << entry.second;
    }
    for (const auto& entry : before) {
        const std::string& key = entry.first;
        if (key.rfind(kRoot, 0) != 0 || entry.second == "/" || entry.second[0] == '@' ||
            Value(after, key) != "<none>" || IsTemporary(key)) {
            continue;
        }
        EXPECT_TRUE(std::any_of(trashed.begin(), trashed.end(), [&key](const auto& t) {
            return key == t.second || key.rfind(t.second + "/", 0) == 0;
        })) << key << " left the root for good";
    }
}

// Whether the run that left `after` of `before` ended as `failed` in one of
// its orderly ways.
void ExpectOrderlyEnd(const Path& path, const Reference& ref, const Tree& before,
                      const Tree& after, const Outcome& failed) {
    const bool whole = Value(after, kCopies[0]) == kPosts && Value(after, kCopies[1]) == kInfo;
    EXPECT_TRUE(whole || !ShowedSuccess(failed));
    if (failed.exit_code == 1) {
        ASSERT_FALSE(failed.boxes.empty());
        EXPECT_EQ(failed.boxes.back().rfind("アプリケーション エラー | ", 0), 0u);
    } else {
        EXPECT_EQ(failed.exit_code, 0);
        // A run that showed no box the clean run does not show has done all
        // of its work.
        const Texts& clean = ref.first.boxes;
        const bool notice = std::any_of(
            failed.boxes.begin(), failed.boxes.end(), [&clean](const std::string& box) {
                return std::find(clean.begin(), clean.end(), box) == clean.end();
            });
        if (!notice) {
            EXPECT_EQ(Value(after, "prog/Quenbrook.ini"), ref.new_settings);
            EXPECT_TRUE(whole || !ref.copies);
        }
    }
    // After a yes, each entry of the root that stays is named, or the root
    // is; unless the run ended before the emptying.
    const bool emptied = path.yes && !failed.boxes.empty() &&
                         failed.boxes[0].find("中身を空にしますか") != std::string::npos &&
                         !(failed.exit_code == 1 && failed.boxes.size() == 2);
    if (!emptied) return;
    const std::string root = "'<dir>/" + kRoot.substr(0, kRoot.size() - 1);
    for (const auto& entry : before) {
        const std::string& key = entry.first;
        if (key.rfind(kRoot, 0) != 0 || key.find('/', kRoot.size()) != std::string::npos ||
            key[kRoot.size()] == '.' || Value(after, key) == "<none>") {
            continue;
        }
        const std::string named = "'<dir>/" + key;
        EXPECT_TRUE(std::any_of(failed.boxes.begin(), failed.boxes.end(),
                                [&](const std::string& box) {
                                    return box.find(named + "'") != std::string::npos ||
                                           box.find(named + "/") != std::string::npos ||
                                           box.find(root + "' を") != std::string::npos;
                                }))
            << key << " stays unnamed";
    }
}

void PrintTo(const Path& path, std::ostream* out) { *out << path.name; }

class SweepTest : public ::testing::TestWithParam<Path> {};

TEST_P(SweepTest, EveryCallFailedInTurn) {
    const Path& path = GetParam();
    const Reference ref = CleanRuns(path);
    const std::vector<std::string>& calls = ref.first.calls;
    ASSERT_GT(calls.size(), 0u);
    RecordProperty("calls", static_cast<int>(calls.size()));
    for (std::size_t n = 1; n <= calls.size() && !HasFailure(); ++n) {
        SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(calls.size()) + ": " +
                     calls[n - 1]);
        Sandbox world(QuickFolder());
        Make(path, world);
        const Tree before = World(world);
        const Outcome failed = RunIn(world, path, kFailedRun, static_cast<long>(n), calls[n - 1]);
        ASSERT_GE(failed.calls.size(), n);
        ASSERT_TRUE(std::equal(calls.begin(), calls.begin() + n, failed.calls.begin()));
        const Tree after = World(world);
        ExpectKept(path, ref, before, after);
        ExpectOrderlyEnd(path, ref, before, after, failed);
        const bool saved = Value(after, "prog/Quenbrook.ini") == ref.new_settings &&
                           ref.new_settings != ref.old_settings;
        const Outcome next = RunIn(world, path, kNextRun);
        const Outcome& expected = saved ? ref.again : ref.first;
        EXPECT_EQ(next.exit_code, expected.exit_code);
        EXPECT_EQ(next.boxes, expected.boxes);
        const Tree last = World(world);
        if (ref.copies) {
            EXPECT_EQ(Value(last, kCopies[0]), kPosts);
            EXPECT_EQ(Value(last, kCopies[1]), kInfo);
        }
        for (const auto& entry : last) EXPECT_FALSE(IsTemporary(entry.first)) << entry.first;
    }
}

// The settings file of a thread copy: generation 1, the title shown unless
// said otherwise; handle 5 is a new browser run (none is found now).
void Settings(const Sandbox& world, const std::string& handle, const std::string& title = "1") {
    SettingsText(world.logs()).Generation("1").ShowTitle(title).Handle(handle).WriteTo(
        world.ini());
}

void Thread(Sandbox& world) {
    world.AddThread({"sv.5ch.net", "news", "123", kPosts, kInfo});
    MakeFolders(world.dir / kRoot);
}

// A file or folder in the root.
std::string In(const Sandbox& world, const std::string& name) { return world.dir / (kRoot + name); }

const Path kPaths[] = {
    {"FirstRunWritesTheTemplate", [](Sandbox& w) { Thread(w); }, false, nullptr, {}},
    {"PlainCopy",
     [](Sandbox& w) {
         Thread(w);
         Settings(w, "0");
     },
     false, nullptr, {}},
    // A folder, a name the listing converts, a link to a folder outside, a
    // hidden file, and the thread's own board, kept in the root through a
    // link in the log folder.
    {"NewBrowserRunEmptiesTheRoot",
     [](Sandbox& w) {
         WriteThread(In(w, "kept/news"), "123", kPosts, kInfo);
         ::symlink(In(w, "kept").c_str(), (w.logs() + "/sv.5ch.net").c_str());
         Settings(w, "5");
         MakeFolders(In(w, "old/deeper"));
         WriteBytes(In(w, "old/deeper/1.dat"), "x");
         WriteBytes(In(w, "old/古い.dat"), "x");
         MakeFolders(w.dir / "outside");
         WriteBytes(w.dir / "outside/file.txt", "keep me");
         ::symlink((w.dir / "outside").c_str(), In(w, "link").c_str());
         WriteBytes(In(w, ".hidden"), "x");
     },
     true, nullptr, {"kept", ".hidden"}},
    // Asked, since the root holds a file, and answered no.
    {"SettingsRewrittenInPlace",
     [](Sandbox& w) {
         Thread(w);
         Settings(w, "12345", "0");  // handle 0 makes it shorter
         WriteBytes(In(w, "notes.txt"), "mine");
     },
     false,
     [](SystemFaults& f, const Sandbox& w) { f.Fail(Call::kCreate, w.dir / "prog/", EACCES); },
     {}},
    {"CopyOverAnEarlierCopy",
     [](Sandbox& w) {
         Thread(w);
         Settings(w, "0");
         WriteThread(In(w, "sv.5ch.net/news"), "123", "earlier", "TITLE=earlier\r\n");
     },
     false, nullptr, {}},
};

INSTANTIATE_TEST_SUITE_P(Paths, SweepTest, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<Path>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
