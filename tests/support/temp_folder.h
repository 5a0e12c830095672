// A real folder under the system's temporary folder, removed afterwards.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace qbtest {

class TempFolder {
public:
    // Under `under`, or under $TMPDIR (/tmp without it) when empty.
    explicit TempFolder(const std::string& under = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path (UTF-8, which is also its code-page-932 form while
    // it holds only ASCII).
    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
};

// Small file helpers over UTF-8 paths.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
void MakeFolders(const std::string& path);
// A thread's two log files, <key>.dat and <key>.inf, in `folder`, made first.
void WriteThread(const std::string& folder, const std::string& key, const std::string& dat,
                 const std::string& inf);
// Names in a folder, sorted, "." and ".." left out.
std::vector<std::string> ListNames(const std::string& path);
// Every file and folder below `path` by its relative path: a folder's value
// is "/", a file's its bytes. Taken before and after a run to compare.
std::map<std::string, std::string> Snapshot(const std::string& path);

// What the trash of `data_home` (its Trash/files and Trash/info) holds:
// for each entry of files/ the Path of its info file as written there
// (percent-encoded), sorted. An entry without a well-formed info file
// ("[Trash Info]", Path, a DeletionDate of the form 2026-12-09T19:52:35)
// reads "<no info: name>", an info file without its entry "<info only: name>".
std::vector<std::string> TrashedPaths(const std::string& data_home);

// Sets an environment variable while it lives; the old value comes back.
class ScopedVariable {
public:
    ScopedVariable(const std::string& name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    bool was_set_;
    std::string old_;
};

}  // namespace qbtest
