#include "launcher/command_line.h"

#include <limits>
#include <string_view>
#include <utility>

namespace qm {
namespace {

const wchar_t* SkipProgramName(const wchar_t* p) {
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p == L'"') ++p;
        return p;
    }
    // Only a blank ends an unquoted name; a tab does not.
    while (*p && *p != L' ')
        ++p;
    if (*p == L' ') ++p;
    return p;
}

// Skips everything that is not a decimal digit, then reads the digit run, saturating at INT32_MAX.
int32_t ReadHostNumber(const wchar_t* p) {
    while (*p && !(*p >= L'0' && *p <= L'9'))
        ++p;
    int64_t value = 0;
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + (*p - L'0');
        if (value > kMax) value = kMax;
    }
    return static_cast<int32_t>(value);
}

ScreensaverCommand Command(ScreensaverMode mode, int32_t hostWindow) {
    ScreensaverCommand command;
    command.mode = mode;
    command.hostWindow = hostWindow;
    return command;
}

} // namespace

ScreensaverCommand ParseCommandLine(const wchar_t* commandLine) {
    if (!commandLine) return {};
    const wchar_t* p = SkipProgramName(commandLine);
    while (*p && *p != L'/' && *p != L'-')
        ++p;
    if (!*p) return Command(ScreensaverMode::Configure, 0);
    // The whole switch, exactly, then one blank.
    const std::wstring_view storeSwitch = kElevatedStoreSwitch;
    if (std::wstring_view(p).substr(0, storeSwitch.size()) == storeSwitch && p[storeSwitch.size()] == L' ') {
        std::wstring_view rest(p + storeSwitch.size() + 1);
        ScreensaverCommand command = Command(ScreensaverMode::StoreElevated, 0);
        const std::wstring_view seal = rest.substr(0, kSealDigits);
        if (seal.size() == kSealDigits && seal.find_first_not_of(L"0123456789abcdef") == seal.npos &&
            rest.size() > kSealDigits && rest[kSealDigits] == L' ') {
            command.seal = seal;
            rest.remove_prefix(kSealDigits + 1);
        }
        if (rest.size() >= 2 && rest.front() == L'"' && rest.back() == L'"')
            rest = rest.substr(1, rest.size() - 2);
        command.argument = rest;
        return command;
    }

    const wchar_t letter = p[1];
    const wchar_t* afterLetter = p + 2; // only read when the letter is not the terminator
    switch (letter) {
    case L'A':
    case L'a':
        return Command(ScreensaverMode::ChangePassword, ReadHostNumber(afterLetter));
    case L'C':
    case L'c':
    case L'R':
    case L'r':
        return Command(ScreensaverMode::Configure, ReadHostNumber(afterLetter));
    case L'P':
    case L'p':
        return Command(ScreensaverMode::Preview, ReadHostNumber(afterLetter));
    case L'T':
    case L't':
        return Command(ScreensaverMode::Test, 0);
    default:
        return Command(ScreensaverMode::Run, 0);
    }
}

} // namespace qm
