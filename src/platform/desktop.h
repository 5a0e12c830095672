// What faces the user or the host browser: message boxes and the window
// lookup. Tests put a fake in its place.
#pragma once

#include <cstdint>
#include <string>

namespace qb {

// Message box styles, with the Win32 values.
enum : unsigned {
    kBoxOk = 0x0,
    kBoxYesNo = 0x4,
    kBoxIconHand = 0x10,
    kBoxIconQuestion = 0x20,
    kBoxIconExclamation = 0x30,
    kBoxIconAsterisk = 0x40,
    kBoxDefButton2 = 0x100,
    kBoxTaskModal = 0x2000,
    kBoxSetForeground = 0x10000,
    kBoxTopmost = 0x40000,
};
enum : int { kIdOk = 1, kIdYes = 6, kIdNo = 7 };

// The operations that face the user or the host browser. The real one talks
// to the desktop (or, on POSIX, to the terminal); tests put a fake in its place.
class UserFacing {
public:
    virtual ~UserFacing() = default;
    // A modal box without owner; returns the code of the button pressed.
    virtual int ShowBox(const std::string& text, const std::string& caption,
                        unsigned style) = 0;
    // Handle of a top-level window of the class, 0 when there is none.
    virtual std::uint32_t FindTopWindow(const std::string& window_class) = 0;
};

UserFacing& RealUserFacing();

}  // namespace qb
