// The failure that file operations raise, and its codes.
#pragma once

#include <cstdint>

namespace qb {

// Raised for any input or output failure on a text file (settings, .inf),
// and on POSIX for a path the system's text converter fails on.
// `code` is the system error number in the Windows numbering that the
// failure report turns into a message.
// `location` is the code address the failure was raised from.
struct InOutError {
    std::uint32_t code;
    std::uintptr_t location;
};

// The codes of InOutError that the program raises or reports by name.
constexpr std::uint32_t kIoFileNotFound = 2;
constexpr std::uint32_t kIoPathNotFound = 3;
constexpr std::uint32_t kIoTooManyOpenFiles = 4;
constexpr std::uint32_t kIoAccessDenied = 5;
constexpr std::uint32_t kIoSharingViolation = 32;
constexpr std::uint32_t kIoReadBeyondEnd = 100;
constexpr std::uint32_t kIoDiskFull = 101;
constexpr std::uint32_t kIoNotNumeric = 106;

// Throws InOutError with `code`, recording the address this was called from.
// Never inlined, so that the address is the caller's.
[[noreturn]] __attribute__((noinline)) inline void RaiseInOutError(std::uint32_t code) {
    throw InOutError{code, reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))};
}

}  // namespace qb
