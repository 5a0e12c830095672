#include "support/sandbox.h"

#include <gtest/gtest.h>

#include "app/run_driver.h"
#include "support/settings_text.h"

namespace qbtest {

namespace {

// The descriptors open in this process, by number.
std::vector<std::string> OpenDescriptors() { return ListNames("/proc/self/fd"); }

}  // namespace

Sandbox::Sandbox(const std::string& under) : dir(under), data_home_("XDG_DATA_HOME", data()) {
    MakeFolders(dir / "prog");
    MakeFolders(logs());
    MakeFolders(root());
}

void Sandbox::Settings(int generation, const std::string& add, const std::string& show,
                       const std::string& handle) {
    SettingsText(logs()).Generation(std::to_string(generation)).AddUnderscore(add)
        .ShowTitle(show).Handle(handle).Spaced().WriteTo(ini());
}

void Sandbox::AddThread(const ThreadLog& thread) {
    WriteThread(logs() + "/" + thread.site + "/" + thread.board, thread.key, thread.dat,
                thread.inf);
}

int RunQuenbrook(const std::vector<std::string>& args, const std::string& program_path,
                 qb::UserFacing& ui) {
    qb::ProgramInput input;
    input.args = args;
    input.program_path = program_path;
    const std::vector<std::string> open = OpenDescriptors();
    const int code = qb::RunQuenbrook(input, ui);
    EXPECT_EQ(OpenDescriptors(), open) << "a run left descriptors open";
    return code;
}

int Sandbox::Run(const std::vector<std::string>& args) {
    ui.boxes.clear();
    return RunQuenbrook(args, program(), ui);
}

std::vector<std::string> Sandbox::Texts() const {
    std::vector<std::string> texts;
    for (const Box& box : ui.boxes) texts.push_back(Utf8(box.text));
    return texts;
}

}  // namespace qbtest
