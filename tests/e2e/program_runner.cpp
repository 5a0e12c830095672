#include "e2e/program_runner.h"

#include <sys/stat.h>

#include "support/temp_folder.h"

namespace qbtest {

std::string InstallProgram(const std::string& folder) {
    MakeFolders(folder);
    const std::string target = folder + "/Quenbrook";
    WriteBytes(target, ReadBytes(QB_PROGRAM));
    ::chmod(target.c_str(), 0755);
    return target;
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, input, {}, 30);
}

std::vector<std::string> NoticeBlocks(const std::string& errors) {
    std::vector<std::string> blocks;
    std::size_t pos = 0;
    while (pos < errors.size()) {
        std::size_t end = errors.find("\n\n", pos);
        if (end == std::string::npos) end = errors.size();
        std::string block = errors.substr(pos, end - pos);
        if (block.rfind("== ", 0) == 0) {
            const std::size_t head_end = block.find(" ==\n");
            block = block.substr(3, head_end - 3) + " " + block.substr(head_end + 4);
        }
        blocks.push_back(block);
        pos = end + 2;
    }
    return blocks;
}

}  // namespace qbtest
