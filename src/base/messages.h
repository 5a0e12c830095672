// Every text the program shows, as exact code-page-932 bytes, and the one
// function that puts names and paths into them. The texts themselves are
// written in base/messages.txt and converted when the program is built.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qb {
namespace msg {

extern const char kCaption[];
extern const char kRegisterInTools[];
extern const char kRegisterDestination[];
extern const char kShowThreadFirst[];
extern const char kTooManyArguments[];
extern const char kRootUnusable[];
extern const char kRootCreated[];
extern const char kRootMissing[];
extern const char kUrlInvalid[];
extern const char kServerNameMissing[];
extern const char kProgramFolderUnusable[];
extern const char kFailureCaption[];
extern const char kFailureReport[];
extern const char kInOutErrorKind[];
extern const char kExceptionKind[];
extern const char kCannotCreateFolder[];
extern const char kFileNotFound[];
extern const char kInvalidFileName[];
extern const char kTooManyOpenFiles[];
extern const char kAccessDenied[];
extern const char kReadBeyondEnd[];
extern const char kDiskFull[];
extern const char kNotNumeric[];
extern const char kIoError[];
extern const char kTemplateWritten[];
extern const char kKeyMissing[];
extern const char kValueEmpty[];
extern const char kSettingsEmpty[];
extern const char kVelmVerInvalid[];
extern const char kLogDirInvalid[];
extern const char kHandleInvalid[];
extern const char kValueUnconvertible[];
extern const char kSettingsUtf16[];
extern const char kSourceFolderMissing[];
extern const char kSourceFileMissing[];
extern const char kCopyFolderFailed[];
extern const char kCopyFailed[];
extern const char kEmptyQuestion[];
extern const char kCannotDeleteFile[];
extern const char kCannotDeleteFolder[];
extern const char kOverlapLogFolder[];
extern const char kOverlapProgramFolder[];
extern const char kOverlapSettingsFile[];
extern const char kRootIsDriveRoot[];
extern const char kOverlapSystemFolder[];
extern const char kTitleCaption[];
extern const char kTitleFileMissing[];
extern const char kTitleEmpty[];
extern const char kTitleBox[];
extern const char kTitleBoxCaption[];

// Every text with its name, in the order of messages.txt.
struct NamedText {
    const char* name;
    const char* text;
};
extern const NamedText kAllTexts[];
extern const std::size_t kAllTextCount;

}  // namespace msg

// The text with each placeholder {1}..{9} replaced by the value of that
// number. Placeholders are found on character boundaries only, so the second
// byte of a double-byte character is never taken for a brace, and the values
// put in are never searched again. A brace that starts no placeholder, or a
// placeholder without a value, stays as it is.
std::string FillText(const char* text, const std::vector<std::string>& values);

}  // namespace qb
