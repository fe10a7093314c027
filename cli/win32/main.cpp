// The command line as Windows keeps it, wide, made UTF-8: arguments in the
// system's code page would lose every character it has not, such as a
// Japanese file name on a Western system.
#include <vector>

#include "cli/commands.h"
#include "export/win32/wide_text.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i) texts.push_back(Utf8Of(argv[i]));
    std::vector<char*> arguments;
    for (std::string& text : texts) arguments.push_back(text.data());
    arguments.push_back(nullptr);
    return VarnelMain(argc, arguments.data());
}
