#include "app/backend_choice.h"
#include "app/console_commands.h"
#include "app/hashwick_app.h"
#include "platform/open_file_limit.h"
#include "platform/path_text.h"
#include "ui/resources.h"

namespace {

CHashwickApp theApp;

}  // namespace

int main(int argc, char** argv) {
    RaiseOpenFileLimit();
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(NativeToWide(argv[i]));
    if (const std::optional<int> status = RunConsoleCommand(arguments))
        return *status;
    const std::unique_ptr<UiBackend> backend = ChooseBackend();
    return AfxWinMain(&HashwickResources(), argc, argv, *backend);
}
