#include <gtest/gtest.h>

#include "locate/folder_paths.h"
#include "locate/url_split.h"

namespace {

using namespace qb;

Places Derive(const std::string& url, int generation, bool underscore) {
    Settings settings;
    settings.log_folder = "/log";
    settings.generation = generation;
    settings.underscore_folders = underscore;
    return DerivePlaces(settings, SplitThreadUrl(url), "/root", "/prog");
}

TEST(FolderPathsTest, TheFourLayouts) {
    struct Case {
        int generation;
        bool underscore;
        const char* log;
        const char* copy;
    };
    const Case cases[] = {
        {1, false, "/log/sv.5ch.net/news", "/root/sv.5ch.net/news"},
        {1, true, "/log/sv.5ch.net/news", "/root/_sv.5ch.net/_news"},
        {2, false, "/log/5ch/news", "/root/5ch/news"},
        {2, true, "/log/5ch/news", "/root/_5ch/_news"},
    };
    for (const Case& c : cases) {
        const Places s = Derive("http://sv.5ch.net/test/read.cgi/news/1", c.generation,
                                c.underscore);
        EXPECT_EQ(s.source_folder, c.log);
        EXPECT_EQ(s.destination_folder, c.copy);
        EXPECT_EQ(s.root, "/root");
        EXPECT_EQ(s.log_folder, "/log");
        EXPECT_EQ(s.program_folder, "/prog");
        EXPECT_EQ(s.source_dat, std::string(c.log) + "/1.dat");
        EXPECT_EQ(s.source_inf, std::string(c.log) + "/1.inf");
        EXPECT_EQ(s.destination_dat, std::string(c.copy) + "/1.dat");
        EXPECT_EQ(s.destination_inf, std::string(c.copy) + "/1.inf");
    }
}

TEST(FolderPathsTest, GenerationTwoAliasesAndSiteFolders) {
    struct Case {
        const char* url;
        const char* log;
    };
    const Case cases[] = {
        {"http://one.5ch.net/test/read.cgi/b/1", "/log/5ch/b"},
        {"http://two.5ch.net/test/read.cgi/b/1", "/log/5ch/b"},          // server ignored
        {"http://mercury.bbspink.com/test/read.cgi/b/1", "/log/5ch/b"},  // folded
        {"http://kanto.machi.to/bbs/read.pl?BBS=b&KEY=1", "/log/machibbs/b"},
        {"http://kanto.machibbs.com/bbs/read.pl?BBS=b&KEY=1", "/log/machibbs/b"},
        {"http://a.example.org/test/read.cgi/b/1", "/log/example/b"},    // not in the table
        {"http://localhost/test/read.cgi/b/1", "/log//b"},               // no dot: empty site
    };
    for (const Case& c : cases) EXPECT_EQ(Derive(c.url, 2, false).source_folder, c.log) << c.url;
}

TEST(FolderPathsTest, GenerationOneKeepsTheServer) {
    EXPECT_EQ(Derive("http://one.5ch.net/test/read.cgi/b/1", 1, false).source_folder,
              "/log/one.5ch.net/b");
    EXPECT_EQ(Derive("http://kanto.machi.to/bbs/read.pl?BBS=b&KEY=1", 1, false).source_folder,
              "/log/kanto.machi.to/b");
}

}  // namespace
