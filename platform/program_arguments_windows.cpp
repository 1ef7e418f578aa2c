// The program's arguments on Windows, read from the wide command line and converted to UTF-8.
#include "platform/program_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::string utf8Of(const wchar_t* wide)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], length, nullptr, nullptr);
    text.resize(static_cast<size_t>(length - 1));
    return text;
}

}  // namespace

const char* const* utf8Arguments(int argc, char** argv)
{
    static std::vector<std::string> words;
    static std::vector<const char*> pointers;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    // The C runtime and the shell split a command line alike; if they ever disagree, argv stands.
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) LocalFree(wide);
        return argv;
    }
    for (int i = 0; i < count; ++i) words.push_back(utf8Of(wide[i]));
    LocalFree(wide);
    for (const std::string& word : words) pointers.push_back(word.c_str());
    pointers.push_back(nullptr);
    return pointers.data();
}
