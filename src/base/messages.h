// Every text the program shows, as exact code-page-932 bytes, and the
// builders that join them with the names and paths concerned.
#pragma once

#include <cstdint>
#include <string>

namespace qb {
namespace msg {

extern const char kCaption[];
extern const char kRegisterInTools[];
extern const char kRegisterDestination[];
extern const char kShowThreadFirst[];
extern const char kTooManyArguments[];
extern const char kRootMissingHead[];
extern const char kRootMissingTail[];
extern const char kRootCreatedTail[];
extern const char kUrlInvalid[];
extern const char kServerNameMissing[];
extern const char kFailureCaption[];
extern const char kFailureOccurredAt[];
extern const char kFailureOf[];
extern const char kFailureHappened[];
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
extern const char kIoErrorHead[];
extern const char kTemplateWrittenHead[];
extern const char kTemplateWrittenTail[];
extern const char kKeyMissingHead[];
extern const char kKeyMissingTail[];
extern const char kValueEmptyHead[];
extern const char kValueEmptyTail[];
extern const char kSettingsEmpty[];
extern const char kVelmVerInvalid[];
extern const char kLogDirInvalidHead[];
extern const char kLogDirInvalidTail[];
extern const char kHandleInvalid[];
extern const char kSourceFolderMissingHead[];
extern const char kSourceFileMissingHead[];
extern const char kSourceMissingTail[];
extern const char kCopyFolderHead[];
extern const char kCopyFolderFailedTail[];
extern const char kCopyFailed[];
extern const char kEmptyQuestionHead[];
extern const char kEmptyQuestionTail[];
extern const char kFileHead[];
extern const char kFolderHead[];
extern const char kCannotDeleteTail[];
extern const char kOverlapTail[];
extern const char kOverlapTail2[];
extern const char kOverlapProgramTail[];
extern const char kRootUnusableTail[];
extern const char kProgramFolderUnusableHead[];
extern const char kProgramFolderUnusableTail[];
extern const char kTitleCaption[];
extern const char kTitleFileMissingTail[];
extern const char kTitleEmpty[];
extern const char kTitleSuccess[];
extern const char kTitleOpen[];
extern const char kTitleClose[];
}  // namespace msg
}  // namespace qb
