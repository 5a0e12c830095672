#include "locate/folder_paths.h"

#include "base/cp932_text.h"
#include "base/host_browser.h"
#include "base/path_text.h"

namespace qb {

bool BuildFolderPaths(RunState& state) {
    state.CopyRoot = state.CopyDir;
    state.LogRoot = state.LogDir;
    std::string site_or_host;
    if (state.BrowserVer == 2) {
        for (const DomainAlias& row : kDomainAliases) {
            ReplaceFirst(state.BoardHost, row.alias, row.canonical);
        }
        // The first label of the canonical domain names the site folder.
        const std::size_t dot = FindText(state.BoardHost, ".");
        site_or_host = dot == 0 ? std::string() : state.BoardHost.substr(0, dot - 1);
    } else {
        site_or_host = state.ServerName + "." + state.BoardHost;
    }
    state.LogDir = JoinPath(JoinPath(state.LogDir, site_or_host), state.BoardName);
    const std::string prefix = state.AddUnderscore ? "_" : "";
    state.CopyDir = JoinPath(JoinPath(state.CopyDir, prefix + site_or_host),
                             prefix + state.BoardName);
    return true;
}

}  // namespace qb
