#include "app/program_input.h"

#include "base/messages.h"
#include "base/notices.h"

namespace qb {

bool IsExact(const ProgramInput& input, std::size_t i) {
    return i >= input.args_exact.size() || input.args_exact[i];
}

bool CheckProgramFolder(const ProgramInput& input, const std::string& program_folder,
                        UserFacing& ui) {
    if (input.program_path_exact) return true;
    ShowNotice(ui, FillText(msg::kProgramFolderUnusable, {program_folder}), NoticeKind::Error);
    return false;
}

bool CheckArgumentCount(const std::vector<std::string>& args, UserFacing& ui) {
    switch (args.size()) {
        case 0:
            ShowNotice(ui, msg::kRegisterInTools, NoticeKind::Error);
            return false;
        case 1:
            // A lone URL means the destination root is what is missing.
            ShowNotice(ui,
                       args[0].compare(0, 7, "http://") == 0 ||
                               args[0].compare(0, 8, "https://") == 0
                           ? msg::kRegisterDestination
                           : msg::kShowThreadFirst,
                       NoticeKind::Error);
            return false;
        case 2:
            return true;
        default:
            ShowNotice(ui, msg::kTooManyArguments, NoticeKind::Error);
            return false;
    }
}

}  // namespace qb
