// What a run knows of its folders by identity, each fact found once, when
// it is first asked for: a run that asks for nothing looks up nothing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/folder_identity.h"
#include "locate/folder_paths.h"
#include "platform/folders.h"

namespace qb {

// What the emptying keeps, by identity.
struct KeptIds {
    std::vector<FolderId> folders;
    // The files and links among them: each is known by what the entry
    // itself tells, never by the number a listing shows for it.
    std::vector<FolderId> entries;
};

class FolderFacts {
public:
    // `settings_file` as the run found it (a link is followed when asked).
    FolderFacts(const Places& places, const std::string& settings_file);
    ~FolderFacts();
    FolderFacts(const FolderFacts&) = delete;
    FolderFacts& operator=(const FolderFacts&) = delete;

    // The log folder without its parents: enough to find it among another
    // folder's parents.
    const FolderPlace& LogFolderAlone();

    // The folders of the browser's side, links followed: the log folder,
    // each folder from it down to the folder of this thread's log files, and
    // every folder one and two levels below it (its sites and boards,
    // wherever they lead).
    const std::vector<FolderId>& LogSideFolders();

    // The file the settings file finally names, and the identity of its
    // folder (none when it cannot be told). Raises InOutError when the
    // target cannot be found.
    const std::string& SettingsTarget();
    const std::optional<FolderId>& SettingsFolder();

    // The folders of the user and the system, opened once for the run.
    const std::vector<NamedFolder>& SystemFolders();

    // Everything the emptying keeps however it reaches it: the above, the
    // program's folder, each link on the way to the settings file and to
    // this thread's log files, and the final targets of the log files where
    // they are links.
    KeptIds Kept();

private:
    const Places& places_;
    std::string settings_file_;
    std::optional<FolderPlace> log_alone_;
    std::optional<std::vector<FolderId>> log_side_;
    std::optional<std::string> settings_target_;
    std::optional<std::optional<FolderId>> settings_folder_;
    std::optional<std::vector<NamedFolder>> system_folders_;
};

}  // namespace qb
