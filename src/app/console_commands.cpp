#include "app/console_commands.h"

#include "app/command_messages.h"
#include "app/compare_command.h"
#include "app/verify_command.h"
#include "console/console_status.h"

namespace {

constexpr std::u16string_view kVerifyUsage = u"使い方: hashwick --verify リスト [フォルダ]";
constexpr std::u16string_view kCompareUsage = u"使い方: hashwick --compare 旧リスト 新リスト";

int Usage(std::u16string_view text) {
    ConsoleStatusLine().Message(ProgramMessage(text));
    return kExitBadInput;
}

}  // namespace

std::optional<int> RunConsoleCommand(const std::vector<std::u16string>& arguments) {
    if (arguments.empty())
        return std::nullopt;
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
    return std::nullopt;
}
