// Pins the bytes of every text the program shows: the literal in the
// program must be the code-page-932 form of the text as it reads here.
#include <gtest/gtest.h>

#include "base/messages.h"
#include "support/fake_user_facing.h"

namespace {

using namespace qb;

struct Text {
    const char* name;
    const char* bytes;
    const char* reads;
};

const Text kTexts[] = {
    {"kCaption", msg::kCaption, "Quenbrook"},
    {"kRegisterInTools", msg::kRegisterInTools, "Velmaris の [ツール(T)｜ツールの設定(T)...] に登録して使用して下さい。"},
    {"kRegisterDestination", msg::kRegisterDestination, "コピー先フォルダを登録して下さい。"},
    {"kShowThreadFirst", msg::kShowThreadFirst, "スレッドを表示させてから実行して下さい。"},
    {"kTooManyArguments", msg::kTooManyArguments, "引数が多すぎます。"},
    {"kRootMissingHead", msg::kRootMissingHead, "コピー先として指定されたフォルダ '"},
    {"kRootMissingTail", msg::kRootMissingTail, "' が存在しません。"},
    {"kRootCreatedTail", msg::kRootCreatedTail, "' が存在しなかったので、\r\n新たに作成しました。"},
    {"kUrlInvalid", msg::kUrlInvalid, "URL が正しくないようです。　非対応の BBS かもしれません。"},
    {"kServerNameMissing", msg::kServerNameMissing, "サーバ名を抽出できませんでした。　非対応の BBS かもしれません。"},
    {"kFailureCaption", msg::kFailureCaption, "アプリケーション エラー"},
    {"kFailureOccurredAt", msg::kFailureOccurredAt, "がモジュール "},
    {"kFailureOf", msg::kFailureOf, " の "},
    {"kFailureHappened", msg::kFailureHappened, " で発生しました。"},
    {"kInOutErrorKind", msg::kInOutErrorKind, "EInOutError"},
    {"kExceptionKind", msg::kExceptionKind, "Exception"},
    {"kCannotCreateFolder", msg::kCannotCreateFolder, "ディレクトリを作成することができません"},
    {"kFileNotFound", msg::kFileNotFound, "ファイルが見つかりません"},
    {"kInvalidFileName", msg::kInvalidFileName, "不正なファイル名です"},
    {"kTooManyOpenFiles", msg::kTooManyOpenFiles, "オープンしたファイルが多すぎます"},
    {"kAccessDenied", msg::kAccessDenied, "ファイルへのアクセスが拒否されました"},
    {"kReadBeyondEnd", msg::kReadBeyondEnd, "ファイルの末尾以降を読み込みました"},
    {"kDiskFull", msg::kDiskFull, "ディスクがいっぱいです"},
    {"kNotNumeric", msg::kNotNumeric, "入力値が数値ではありません"},
    {"kIoErrorHead", msg::kIoErrorHead, "I/O エラー ("},
    {"kTemplateWrittenHead", msg::kTemplateWrittenHead, "設定ファイル 'Quenbrook.ini' が\r\nフォルダ '"},
    {"kTemplateWrittenTail", msg::kTemplateWrittenTail, "' 内に\r\n見つからなかったので、雛型を上記フォルダ内に作成しました。"},
    {"kKeyMissingHead", msg::kKeyMissingHead, "設定ファイル内に "},
    {"kKeyMissingTail", msg::kKeyMissingTail, " が、見つかりませんでした。"},
    {"kValueEmptyHead", msg::kValueEmptyHead, "設定ファイル内、"},
    {"kValueEmptyTail", msg::kValueEmptyTail, " の値が、空です。"},
    {"kSettingsEmpty", msg::kSettingsEmpty, "設定ファイルの内容が空です。"},
    {"kVelmVerInvalid", msg::kVelmVerInvalid, "設定ファイル内、VelmVer の値が不正です。"},
    {"kLogDirInvalidHead", msg::kLogDirInvalidHead, "設定ファイル内、VelmLogDir の値が不正です。\r\n（フォルダ '"},
    {"kLogDirInvalidTail", msg::kLogDirInvalidTail, "' は、存在しません。）"},
    {"kHandleInvalid", msg::kHandleInvalid, "設定ファイル内、hwVelmWnd の値が不正です。"},
    {"kSourceFolderMissingHead", msg::kSourceFolderMissingHead, "コピー元のフォルダ '"},
    {"kSourceFileMissingHead", msg::kSourceFileMissingHead, "コピー元のファイル '"},
    {"kSourceMissingTail", msg::kSourceMissingTail, "' が、見つかりませんでした。"},
    {"kCopyFolderHead", msg::kCopyFolderHead, "コピー先フォルダ '"},
    {"kCopyFolderFailedTail", msg::kCopyFolderFailedTail, "' を作成できませんでした。"},
    {"kCopyFailed", msg::kCopyFailed, "ログファイルのコピー中に、エラーが発生しました。"},
    {"kEmptyQuestionHead", msg::kEmptyQuestionHead, "ログをコピーする前に、コピー先フォルダ '"},
    {"kEmptyQuestionTail", msg::kEmptyQuestionTail, "' の中身を空にしますか？"},
    {"kFileHead", msg::kFileHead, "ファイル '"},
    {"kFolderHead", msg::kFolderHead, "フォルダ '"},
    {"kCannotDeleteTail", msg::kCannotDeleteTail, "' を削除できませんでした。"},
    {"kOverlapTail", msg::kOverlapTail, "' は、\r\nログフォルダ '"},
    {"kOverlapTail2", msg::kOverlapTail2, "' と重なっているので、\r\n中身を空にせずにコピーします。"},
    {"kOverlapProgramTail", msg::kOverlapProgramTail, "' は、\r\nプログラムのフォルダ '"},
    {"kRootUnusableTail", msg::kRootUnusableTail, "' の名前には、扱えない文字が含まれています。"},
    {"kProgramFolderUnusableHead", msg::kProgramFolderUnusableHead, "Quenbrook.exe を置いたフォルダ '"},
    {"kProgramFolderUnusableTail", msg::kProgramFolderUnusableTail, "' の名前には、扱えない文字が含まれています。\r\n別のフォルダに移して下さい。"},
    {"kTitleCaption", msg::kTitleCaption, "Quenbrook - タイトルの表示"},
    {"kTitleFileMissingTail", msg::kTitleFileMissingTail, "' が、見つかりません。"},
    {"kTitleEmpty", msg::kTitleEmpty, "（infファイル内の Title が空です）"},
    {"kTitleSuccess", msg::kTitleSuccess, " 成功"},
    {"kTitleOpen", msg::kTitleOpen, "「"},
    {"kTitleClose", msg::kTitleClose, "」 ＠ "},
};

TEST(MessagesTest, EveryTextIsItsCodePage932Form) {
    for (const Text& t : kTexts) {
        EXPECT_EQ(qbtest::Sjis(t.reads), std::string(t.bytes)) << t.name;
    }
}

// A few byte sequences checked by hand, independent of any converter.
TEST(MessagesTest, FullWidthCharactersHaveTheirExactBytes) {
    const std::string url(msg::kUrlInvalid);
    EXPECT_NE(url.find("\x81\x40"), std::string::npos);  // full-width space
    EXPECT_EQ(std::string(msg::kTitleOpen), "\x81\x75");
    EXPECT_EQ(std::string(msg::kTitleClose), "\x81\x76 \x81\x97 ");
    EXPECT_EQ(std::string(msg::kRegisterInTools).substr(0, 9), "Velmaris ");
    EXPECT_NE(std::string(msg::kRegisterInTools).find("\x81\x62"), std::string::npos);  // ｜
    EXPECT_EQ(std::string(msg::kRootCreatedTail).find("\r\n"), 24u);
}

}  // namespace
