#include "support/sandbox.h"

#include "app/run_driver.h"

namespace qbtest {

Sandbox::Sandbox() {
    MakeFolders(dir / "prog");
    MakeFolders(logs());
    MakeFolders(root());
}

void Sandbox::Settings(int generation, const std::string& add, const std::string& show,
                       const std::string& handle) {
    WriteBytes(ini(), "IniVer=101\r\nVelmVer=" + std::to_string(generation) +
                          "\r\n\r\nVelmLogDir=" + logs() + "\r\n\r\nAddUdrScr=" + add +
                          "\r\nShowTitle=" + show + "\r\n\r\nhwVelmWnd=" + handle + "\r\n");
}

void Sandbox::AddThread(const ThreadLog& thread) {
    const std::string folder = logs() + "/" + thread.site + "/" + thread.board;
    MakeFolders(folder);
    WriteBytes(folder + "/" + thread.key + ".dat", thread.dat);
    WriteBytes(folder + "/" + thread.key + ".inf", thread.inf);
}

int Sandbox::Run(const std::vector<std::string>& args) {
    ui.boxes.clear();
    return qb::RunQuenbrook(args, program(), ui);
}

std::vector<std::string> Sandbox::Texts() const {
    std::vector<std::string> texts;
    for (const Box& box : ui.boxes) texts.push_back(Utf8(box.text));
    return texts;
}

}  // namespace qbtest
