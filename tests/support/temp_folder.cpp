#include "support/temp_folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace qbtest {

namespace {

void RemoveTree(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        ::chmod(path.c_str(), 0700);
        for (const std::string& name : ListNames(path)) RemoveTree(path + "/" + name);
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

}  // namespace

TempFolder::TempFolder(const std::string& under) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        (!under.empty() ? under : std::string(base && *base ? base : "/tmp")) + "/qbtest-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::operator/(const std::string& relative) const {
    return path_ + "/" + relative;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot write " + path);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string ReadBytes(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return "<missing>";
    std::string bytes;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void MakeFolders(const std::string& path) {
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0777);
    }
}

void WriteThread(const std::string& folder, const std::string& key, const std::string& dat,
                 const std::string& inf) {
    MakeFolders(folder);
    WriteBytes(folder + "/" + key + ".dat", dat);
    WriteBytes(folder + "/" + key + ".inf", inf);
}

std::vector<std::string> ListNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* d = ::opendir(path.c_str());
    if (d == nullptr) return names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, std::string> Snapshot(const std::string& path) {
    std::map<std::string, std::string> tree;
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string relative = pending.back();
        pending.pop_back();
        for (const std::string& name : ListNames(path + "/" + relative)) {
            const std::string full = path + "/" + relative + name;
            tree[relative + name] = IsFolder(full) ? "/" : ReadBytes(full);
            if (IsFolder(full)) pending.push_back(relative + name + "/");
        }
    }
    return tree;
}

namespace {

// The Path of a well-formed info file, "" when it is not one.
std::string InfoPath(const std::string& info) {
    const std::string head = "[Trash Info]\nPath=";
    const std::size_t path_end = info.find('\n', head.size());
    if (info.compare(0, head.size(), head) != 0 || path_end == std::string::npos) return "";
    const std::string date = info.substr(path_end + 1);
    const std::string form = "DeletionDate=0000-00-00T00:00:00\n";
    if (date.size() != form.size()) return "";
    for (std::size_t i = 0; i < form.size(); ++i) {
        const bool digit = date[i] >= '0' && date[i] <= '9';
        if (form[i] == '0' ? !digit : date[i] != form[i]) return "";
    }
    return info.substr(head.size(), path_end - head.size());
}

}  // namespace

std::vector<std::string> TrashedPaths(const std::string& data_home) {
    const std::string trash = data_home + "/Trash";
    std::vector<std::string> paths;
    for (const std::string& name : ListNames(trash + "/files")) {
        const std::string path = InfoPath(ReadBytes(trash + "/info/" + name + ".trashinfo"));
        paths.push_back(path.empty() ? "<no info: " + name + ">" : path);
    }
    const std::string suffix = ".trashinfo";
    for (const std::string& info : ListNames(trash + "/info")) {
        const std::string name = info.substr(0, info.size() - suffix.size());
        if (!Exists(trash + "/files/" + name)) paths.push_back("<info only: " + info + ">");
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

ScopedVariable::ScopedVariable(const std::string& name, const std::string& value)
    : name_(name), was_set_(std::getenv(name.c_str()) != nullptr) {
    if (was_set_) old_ = std::getenv(name.c_str());
    ::setenv(name.c_str(), value.c_str(), 1);
}

ScopedVariable::~ScopedVariable() {
    if (was_set_) {
        ::setenv(name_.c_str(), old_.c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

}  // namespace qbtest
