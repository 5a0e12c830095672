// The one form in which a path reaches the wide file calls on Windows: the
// long form of its full path, "\\?\C:\..." or "\\?\UNC\server\share\...",
// which the system takes as it is spelt and to which no MAX_PATH limit
// applies. The rules over the text include no system header, so that the
// native unit tests build them too; the system's part, GetFullPathNameW, is
// handed in.
#pragma once

#include <string>
#include <utility>

namespace qb {

// The system's full path of a plain path (GetFullPathNameW); empty when it
// cannot make one.
using FullPathFunction = std::wstring (*)(const std::wstring& path);

// The long form of `path`. A path in the long form already ("\\?\...") is
// kept as it is spelt, but for a bare drive "\\?\X:" (what cutting the
// separator off "\\?\X:\" leaves), which names that drive's root, as a bare
// "X:" does. Any other path is made full by `full_path`, a bare drive "X:"
// asked for as its root "X:\", so that "." and "..", '/', relative paths and
// the blanks and dots at the end of a name mean what they mean to Windows;
// then "C:\..." becomes "\\?\C:\..." and "\\server\share\..."
// "\\?\UNC\server\share\...". Empty, so that nothing is opened, when the
// system makes no full path of it or makes it a device ("\\.\C:\...",
// "\\.\COM1", a name such as "NUL" that Windows takes for a device): the
// program works on files and folders only.
std::wstring LongForm(const std::wstring& path, FullPathFunction full_path);

// A path that went through LongForm: the only argument the wide file calls
// take (scripts/check-layers.sh checks that each is given the wide() of one).
class LongPath {
public:
    static LongPath Of(const std::wstring& path, FullPathFunction full_path) {
        return LongPath(LongForm(path, full_path));
    }
    const wchar_t* wide() const { return text_.c_str(); }
    const std::wstring& text() const { return text_; }
    // `name` (one name, as a listing gives it, or a search pattern) inside
    // this folder.
    LongPath Child(const std::wstring& name) const;
    // `name` in the folder this path is in, in place of its last name.
    LongPath Beside(const std::wstring& name) const;
    // This path with `ending` added to its last name.
    LongPath WithEnding(const std::wstring& ending) const;
    // Each of them is empty when this path is: no path is made out of nothing.

private:
    explicit LongPath(std::wstring text) : text_(std::move(text)) {}
    std::wstring text_;
};

// The long form of a path of the system's own text (a final path, a known
// folder, a name a listing gave joined to a long path), and of a program
// path in code page 932; in encoding.cpp, over GetFullPathNameW.
LongPath LongPathOf(const std::wstring& path);
LongPath LongPathOf(const std::string& path);

}  // namespace qb
