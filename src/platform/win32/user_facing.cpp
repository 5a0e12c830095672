// Message boxes and the window lookup on the desktop.
#include <windows.h>

#include "platform/desktop.h"
#include "platform/win32/encoding.h"

namespace qb {

namespace {

class DesktopUserFacing : public UserFacing {
public:
    int ShowBox(const std::string& text, const std::string& caption,
                unsigned style) override {
        return MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), style);
    }

    std::uint32_t FindTopWindow(const std::string& window_class) override {
        const HWND window = FindWindowW(Wide(window_class).c_str(), nullptr);
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
    }
};

}  // namespace

UserFacing& RealUserFacing() {
    static DesktopUserFacing instance;
    return instance;
}

}  // namespace qb
