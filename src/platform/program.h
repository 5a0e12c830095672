// The program's own path and arguments as the system hands them over, the
// exact conversion of the system's text to code page 932, and the start of
// a run.
#pragma once

#include <string>
#include <vector>

namespace qb {

// Text as the system holds it: UTF-16 on Windows, the raw bytes of a name
// on POSIX (UTF-8 by convention, but any byte but '/' and NUL may occur).
#ifdef _WIN32
using SystemString = std::wstring;
#else
using SystemString = std::string;
#endif

// Converts system text to code page 932, exactly: false when a character has
// no code-page-932 form or the text is not valid in the system's encoding.
// Such characters come out as '?', so `out` is still fit for display.
bool ToCp932(const SystemString& text, std::string& out);

// Converts UTF-8 text (a settings value) to code page 932, exactly: false
// when it is no valid UTF-8 or a character has no code-page-932 form of its
// own (no best fit: a yen sign never becomes '\'). Each such character, and
// each stretch of bytes that is no valid character, comes out as '?', so
// `out` is still fit for display.
bool Utf8ToCp932Exact(const std::string& text, std::string& out);

// The executable's own full path, as the system reports it; false when it
// cannot be written in code page 932 ('?' stands for what cannot).
bool ProgramPath(std::string& path);
// The raw command line; false where the system hands the arguments over
// already split (POSIX).
bool RawCommandLine(SystemString& line);
// The arguments after the program itself as the system split them; used
// where there is no raw command line.
std::vector<SystemString> SystemArguments(int argc, char** argv);

// Forgets what the platform learned of the system in earlier runs of this
// process and kept to spare asking again (the mount table, the text
// converters, the volumes' serial numbers): each run asks anew, so that two
// runs of the same work ask the system the same questions.
void ForgetRunFacts();

}  // namespace qb
