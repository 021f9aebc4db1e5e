#include "launcher/command_line.h"

#include <gtest/gtest.h>

#include <string>

using qm::ParseCommandLine;
using qm::ScreensaverMode;

namespace {

struct Case {
    const wchar_t* line;
    ScreensaverMode mode;
    int32_t host;
};

void ExpectDecodes(const Case& c) {
    auto command = ParseCommandLine(c.line);
    EXPECT_EQ(command.mode, c.mode) << "line: " << std::wstring(c.line).size() << " chars";
    EXPECT_EQ(command.hostWindow, c.host);
}

TEST(ParseCommandLine, NoSwitchIsConfigureWithoutOwner) {
    for (const Case& c : {Case{L"saver.scr", ScreensaverMode::Configure, 0},
                          Case{L"saver.scr ", ScreensaverMode::Configure, 0},
                          Case{L"\"C:\\x\\saver.scr\"", ScreensaverMode::Configure, 0},
                          Case{L"", ScreensaverMode::Configure, 0}})
        ExpectDecodes(c);
    EXPECT_EQ(ParseCommandLine(nullptr).mode, ScreensaverMode::Configure);
}

TEST(ParseCommandLine, RunSwitchesAndUnknownLetters) {
    for (const Case& c :
         {Case{L"saver.scr /s", ScreensaverMode::Run, 0}, Case{L"saver.scr /S", ScreensaverMode::Run, 0},
          Case{L"saver.scr -s", ScreensaverMode::Run, 0}, Case{L"saver.scr /", ScreensaverMode::Run, 0},
          Case{L"saver.scr /x 77", ScreensaverMode::Run, 0},
          Case{L"saver.scr foo-bar", ScreensaverMode::Run, 0}})
        ExpectDecodes(c);
}

TEST(ParseCommandLine, NumberFormsAfterConfigurePreviewAndPassword) {
    for (const Case& c : {Case{L"saver.scr /c:1234", ScreensaverMode::Configure, 1234},
                          Case{L"saver.scr /c 1234", ScreensaverMode::Configure, 1234},
                          Case{L"saver.scr /c1234", ScreensaverMode::Configure, 1234},
                          Case{L"saver.scr /c=1234", ScreensaverMode::Configure, 1234},
                          Case{L"saver.scr /C:-5", ScreensaverMode::Configure, 5},
                          Case{L"saver.scr /r 9", ScreensaverMode::Configure, 9},
                          Case{L"saver.scr /p 5678", ScreensaverMode::Preview, 5678},
                          Case{L"saver.scr /P", ScreensaverMode::Preview, 0},
                          Case{L"saver.scr /a 1234", ScreensaverMode::ChangePassword, 1234},
                          Case{L"saver.scr /c: abc 12x34", ScreensaverMode::Configure, 12}})
        ExpectDecodes(c);
}

TEST(ParseCommandLine, TestModeReadsNoNumber) {
    ExpectDecodes({L"saver.scr /t 99", ScreensaverMode::Test, 0});
    ExpectDecodes({L"saver.scr -T", ScreensaverMode::Test, 0});
}

TEST(ParseCommandLine, OnlyTheFirstSwitchCounts) {
    ExpectDecodes({L"saver.scr /p 10 /s", ScreensaverMode::Preview, 10});
    ExpectDecodes({L"saver.scr /s /p 10", ScreensaverMode::Run, 0});
}

TEST(ParseCommandLine, UnquotedNameEndsAtTheFirstBlankOnly) {
    // No blank: the switch is part of the name.
    ExpectDecodes({L"saver.scr/s", ScreensaverMode::Configure, 0});
    // A tab does not end the name either.
    ExpectDecodes({L"saver.scr\t/s", ScreensaverMode::Configure, 0});
    // A path with a blank ends early; a dash in a later folder name starts a switch (letter S).
    ExpectDecodes({L"C:\\Program Files\\My-Saver\\saver.scr", ScreensaverMode::Run, 0});
}

TEST(ParseCommandLine, QuotedNames) {
    ExpectDecodes({L"\"C:\\Program Files\\My Saver\\saver.scr\" /p 42", ScreensaverMode::Preview, 42});
    ExpectDecodes({L"\"C:\\My-Saver\\saver.scr\"/s", ScreensaverMode::Run, 0});
    // A dash inside the quotes is part of the name.
    ExpectDecodes({L"\"C:\\My-Saver\\saver.scr\"", ScreensaverMode::Configure, 0});
    // An unclosed quote swallows the whole line.
    ExpectDecodes({L"\"C:\\saver.scr /s", ScreensaverMode::Configure, 0});
}

TEST(ParseCommandLine, HugeNumbersSaturate) {
    ExpectDecodes({L"saver.scr /p 99999999999", ScreensaverMode::Preview, 2147483647});
    ExpectDecodes({L"saver.scr /p 2147483647", ScreensaverMode::Preview, 2147483647});
    ExpectDecodes({L"saver.scr /p 2147483648", ScreensaverMode::Preview, 2147483647});
    ExpectDecodes({L"saver.scr /c 00000000000000000000000000000042", ScreensaverMode::Configure, 42});
}

} // namespace
