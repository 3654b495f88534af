// Windows hands a program its arguments as UTF-16, to wmain (the program is linked with
// -municode). The program's own main, compiled as ProgramMain, gets them as UTF-8, the text its
// arguments are on Linux, so that it reads them the same way everywhere.
#include <string>
#include <vector>

#include "platform/path_text.h"

int ProgramMain(int argc, char** argv);

extern "C" int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i) {
        const std::u16string_view wide(reinterpret_cast<const char16_t*>(argv[i]));
        // A lone surrogate, which no Windows name should hold, is not passed on as one.
        texts.push_back(WideToNative(wide).value_or("?"));
    }
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return ProgramMain(argc, pointers.data());
}
