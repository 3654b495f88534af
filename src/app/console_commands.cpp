#include "app/console_commands.h"

#include "app/command_messages.h"
#include "app/compare_command.h"
#include "app/verify_command.h"
#include "console/console_status.h"
#include "platform/file_attributes.h"

namespace {

constexpr std::u16string_view kVerifyUsage = u"使い方: hashwick --verify リスト [フォルダ]";
constexpr std::u16string_view kCompareUsage = u"使い方: hashwick --compare 旧リスト 新リスト";
constexpr std::u16string_view kHelp =
    u"使い方:\n"
    u"  hashwick [フォルダ]\n"
    u"      フォルダの下のすべてのファイルのMD5を Hashwick_<フォルダ名>.txt に書き込みます。\n"
    u"      フォルダを指定しなければ、ウィンドウで選びます。\n"
    u"  hashwick --verify リスト [フォルダ]\n"
    u"      フォルダ(既定はリストのルート)をリストと照合し、結果を\n"
    u"      Hashwick_<リスト名>_照合.txt に書き込みます。\n"
    u"  hashwick --compare 旧リスト 新リスト\n"
    u"      二つのリストを比較し、結果を Hashwick_<旧リスト名>_比較.txt に書き込みます。\n"
    u"  hashwick --help      この説明を表示します。\n"
    u"  hashwick --version   名前と版数を表示します。\n"
    u"\n"
    u"リストと結果は現在のディレクトリに、コードページ932、改行CR LFで書き込まれます。\n"
    u"「-」で始まる名前のフォルダは ./-名前 のように指定してください。\n"
    u"\n"
    u"環境変数:\n"
    u"  HASHWICK_UI=console または window\n"
    u"      コンソールで実行するか、ウィンドウを表示するかを選びます\n"
    u"      (既定: ディスプレイがあればウィンドウ)。\n"
    u"  HASHWICK_THREADS=1から16の数\n"
    u"      ファイルを読むスレッドの数(既定: プロセッサの数、最大16)。\n"
    u"\n"
    u"終了ステータス:\n"
    u"  0  リストを書き込みました。照合と比較では、すべてが一致しました。\n"
    u"  1  リストや結果を書き込めなかったか、中断されました。照合と比較では、違いがありました。\n"
    u"  2  フォルダやリストを受け付けられないか、指定が正しくありません。\n";

int Usage(std::u16string_view text) {
    ConsoleStatusLine().Message(ProgramMessage(text));
    return kExitBadInput;
}

bool IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::optional<int> RunConsoleCommand(const std::vector<std::u16string>& arguments) {
    if (arguments.empty())
        return std::nullopt;
    if (arguments[0] == u"--help") {
        WriteOutput(std::u16string(kHelp));
        return kExitShown;
    }
    if (arguments[0] == u"--version") {
        WriteOutput(u"hashwick " HASHWICK_VERSION u"\n");
        return kExitShown;
    }
    if (arguments[0] == u"--verify") {
        if (arguments.size() < 2 || arguments.size() > 3)
            return Usage(kVerifyUsage);
        return RunVerify(arguments[1], arguments.size() == 3
                                           ? std::optional<std::u16string>(arguments[2])
                                           : std::nullopt);
    }
    if (arguments[0] == u"--compare") {
        if (arguments.size() != 3)
            return Usage(kCompareUsage);
        return RunCompare(arguments[1], arguments[2]);
    }
    // An option of another name is mistyped, unless a folder of that name is meant.
    if (arguments[0].starts_with(u"--") && !IsFolder(arguments[0])) {
        ConsoleStatusLine().Message(
            ProgramMessage(u"そのようなオプションはありません: " + arguments[0]));
        WriteErrorLine(std::u16string(kHelp.substr(0, kHelp.size() - 1)));
        return kExitBadInput;
    }
    return std::nullopt;
}
