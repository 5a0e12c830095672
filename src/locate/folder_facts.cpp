#include "locate/folder_facts.h"

#include "base/path_text.h"
#include "platform/folder_walk.h"
#include "platform/text_files.h"

namespace qb {

namespace {

// The identities of the folders the children of the open folder lead to,
// links followed, `depth` levels down.
void AddFoldersBelow(OpenFolder folder, int depth, std::vector<FolderId>& ids) {
    FolderId id;
    std::vector<ListedEntry> entries;
    if (!FolderIdOf(folder, id) || !ListOpenFolder(folder, id, entries)) return;
    for (const ListedEntry& entry : entries) {
        OpenFolder child;
        if (entry.kind == EntryKind::kFile ||
            !OpenChildFollowingLinks(folder, entry.name, child)) {
            continue;
        }
        if (FolderIdOf(child, id)) ids.push_back(id);
        if (depth > 1) AddFoldersBelow(child, depth - 1, ids);
        CloseFolder(child);
    }
}

// The final target of the log file at `path` when the file itself is a
// link: a hard link elsewhere to a plain log file may go, its log stays.
void AddLinkedFile(const std::string& path, std::vector<FolderId>& ids) {
    FolderId itself, target;
    if (EntryIdAt(path, true, itself) && EntryIdAt(path, false, target) && !(itself == target)) {
        ids.push_back(target);
    }
}

}  // namespace

FolderFacts::FolderFacts(const Places& places, const std::string& settings_file)
    : places_(places), settings_file_(settings_file) {}

FolderFacts::~FolderFacts() {
    if (!system_folders_) return;
    for (const NamedFolder& folder : *system_folders_) CloseFolder(folder.folder);
}

const FolderPlace& FolderFacts::LogFolderAlone() {
    if (!log_alone_) log_alone_ = FolderAlone(places_.log_folder);
    return *log_alone_;
}

const std::vector<FolderId>& FolderFacts::LogSideFolders() {
    if (log_side_) return *log_side_;
    std::vector<FolderId> ids;
    // The log files' folder, then each folder above it up to the log folder,
    // name by name: a ':' in a board's name is no drive's, and a key may
    // lead through folders of its own.
    for (std::string dir = FolderAbove(places_.source_dat);
         dir.size() > places_.log_folder.size(); dir = FolderAbove(dir)) {
        FolderId id;
        if (FolderIdAt(dir, id)) ids.push_back(id);
    }
    OpenFolder log;
    if (OpenFolderByPath(places_.log_folder, log)) {
        FolderId id;
        if (FolderIdOf(log, id)) ids.push_back(id);
        AddFoldersBelow(log, 2, ids);
        CloseFolder(log);
    }
    log_side_ = std::move(ids);
    return *log_side_;
}

const std::string& FolderFacts::SettingsTarget() {
    if (!settings_target_) settings_target_ = FinalFilePath(settings_file_);
    return *settings_target_;
}

const std::optional<FolderId>& FolderFacts::SettingsFolder() {
    if (!settings_folder_) {
        FolderId id;
        settings_folder_.emplace();
        if (FolderIdAt(FolderOf(SettingsTarget()), id)) *settings_folder_ = id;
    }
    return *settings_folder_;
}

const std::vector<NamedFolder>& FolderFacts::SystemFolders() {
    if (!system_folders_) system_folders_ = OpenSystemFolders();
    return *system_folders_;
}

KeptIds FolderFacts::Kept() {
    KeptIds kept;
    kept.folders = LogSideFolders();
    FolderId id;
    if (FolderIdAt(places_.program_folder, id)) kept.folders.push_back(id);
    if (SettingsFolder()) kept.folders.push_back(*SettingsFolder());
    // The links on the way to the settings file and to the log files: a
    // link to a link in the root that leads out of it is the way to the
    // real file.
    const std::string* const files[] = {&settings_file_, &places_.source_dat, &places_.source_inf};
    for (const std::string* file : files) {
        std::vector<FolderId> links;
        LinksOnTheWay(*file, links);
        kept.entries.insert(kept.entries.end(), links.begin(), links.end());
    }
    AddLinkedFile(places_.source_dat, kept.entries);
    AddLinkedFile(places_.source_inf, kept.entries);
    // The user's and the system's folders too: one that the walk up from it
    // did not show inside the root (a bind mount, a drive letter on the way)
    // is still found on the way down.
    for (const NamedFolder& folder : SystemFolders()) {
        if (FolderIdOf(folder.folder, id)) kept.folders.push_back(id);
    }
    return kept;
}

}  // namespace qb
