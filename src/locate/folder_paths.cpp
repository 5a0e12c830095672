#include "locate/folder_paths.h"

#include "base/cp932_text.h"
#include "base/host_browser.h"
#include "base/path_text.h"

namespace qb {

namespace {

// The folder a board's logs are kept in under the log folder: the full host
// name for generation 1, the site for generation 2.
std::string SiteFolder(std::int32_t generation, const ThreadUrl& url) {
    if (generation != 2) return url.server + "." + url.board_host;
    std::string host = url.board_host;
    for (const DomainAlias& row : kDomainAliases) ReplaceFirst(host, row.alias, row.canonical);
    // The first label of the canonical domain names the site folder.
    const std::size_t dot = FindText(host, ".");
    return dot == std::string::npos ? std::string() : host.substr(0, dot);
}

}  // namespace

Places DerivePlaces(const Settings& settings, const ThreadUrl& url, const std::string& root,
                    const std::string& program_folder) {
    const std::string site = SiteFolder(settings.generation, url);
    const std::string prefix = settings.underscore_folders ? "_" : "";
    Places places;
    places.root = root;
    places.log_folder = settings.log_folder;
    places.program_folder = program_folder;
    places.source_folder = JoinPath(JoinPath(settings.log_folder, site), url.board);
    places.destination_folder = JoinPath(JoinPath(root, prefix + site), prefix + url.board);
    places.source_dat = JoinPath(places.source_folder, url.key + ".dat");
    places.source_inf = JoinPath(places.source_folder, url.key + ".inf");
    places.destination_dat = JoinPath(places.destination_folder, url.key + ".dat");
    places.destination_inf = JoinPath(places.destination_folder, url.key + ".inf");
    return places;
}

}  // namespace qb
