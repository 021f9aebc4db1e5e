// Playlist text and .m3u bytes into entries, with a fake file system: which names exist is chosen per
// test, and every name asked about is recorded.
#include "playlist/playlist_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace qm;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using Entries = std::vector<std::wstring>;

struct FakeFiles {
    std::set<std::wstring> existing;
    std::vector<std::wstring> asked{};

    PathExistsFn Test() {
        return [this](const std::wstring& path) {
            asked.push_back(path);
            return existing.count(path) != 0;
        };
    }
};

Entries Parse(FakeFiles& files, const std::wstring& base, const std::wstring& text) {
    Entries entries;
    ParsePlaylistText(base, text, entries, files.Test());
    return entries;
}

std::wstring Widen(const std::string& bytes) {
    std::wstring text;
    for (unsigned char c : bytes)
        text += static_cast<wchar_t>(c);
    return text;
}

const std::wstring kExtendedM3u = L"#EXTM3U\n#EXTINF:215,Some Artist - Some Title\nMusic\\a.mp3\n";

} // namespace

TEST(ParsePlaylistText, ExtendedM3uLineResolvesAgainstTheBaseDirectoryFirst) {
    FakeFiles files{{L"D:\\Lists\\Music\\a.mp3", L"Music\\a.mp3"}};
    EXPECT_THAT(Parse(files, L"D:\\Lists\\", kExtendedM3u), ElementsAre(L"D:\\Lists\\Music\\a.mp3"));
    // Comment lines are never looked up.
    EXPECT_THAT(files.asked, ElementsAre(L"D:\\Lists\\Music\\a.mp3"));
}

TEST(ParsePlaylistText, FallsBackToTheLineAloneThenDrops) {
    FakeFiles relative{{L"Music\\a.mp3"}};
    EXPECT_THAT(Parse(relative, L"D:\\Lists\\", kExtendedM3u), ElementsAre(L"Music\\a.mp3"));
    EXPECT_THAT(relative.asked, ElementsAre(L"D:\\Lists\\Music\\a.mp3", L"Music\\a.mp3"));

    FakeFiles absolute{{L"C:\\Songs\\b.mp3"}};
    EXPECT_THAT(Parse(absolute, L"D:\\Lists\\", L"#EXTM3U\nC:\\Songs\\b.mp3"),
                ElementsAre(L"C:\\Songs\\b.mp3"));

    FakeFiles none;
    EXPECT_THAT(Parse(none, L"D:\\Lists\\", kExtendedM3u), IsEmpty());
}

TEST(ParsePlaylistText, KeepsDuplicatesSkipsEmptyLinesAndDoesNotTrim) {
    FakeFiles files{{L"C:\\a.mp3", L"C:\\b.mp3", L" C:\\b.mp3"}};
    EXPECT_THAT(Parse(files, L"", L"C:\\a.mp3\n\n\nC:\\a.mp3\n C:\\b.mp3\n#C:\\b.mp3\nC:\\b.mp3"),
                ElementsAre(L"C:\\a.mp3", L"C:\\a.mp3", L" C:\\b.mp3", L"C:\\b.mp3"));
}

TEST(ParsePlaylistText, StoredTextWithCarriageReturnsLosesTheEntry) {
    FakeFiles files{{L"C:\\a.mp3", L"C:\\b.mp3"}};
    EXPECT_THAT(Parse(files, L"", L"C:\\a.mp3\r\nC:\\b.mp3\n"), ElementsAre(L"C:\\b.mp3"));
    EXPECT_EQ(files.asked.front(), L"C:\\a.mp3\r");
}

TEST(ParsePlaylistText, LineLimitIs2022Characters) {
    const std::wstring longest(kMaxPlaylistLine, L'x');
    const std::wstring tooLong(kMaxPlaylistLine + 1, L'y');
    FakeFiles files{{L"C:\\a.mp3", L"C:\\b.mp3", longest, tooLong}};
    EXPECT_THAT(Parse(files, L"", L"C:\\a.mp3\n" + longest + L"\nC:\\b.mp3\n"),
                ElementsAre(L"C:\\a.mp3", longest, L"C:\\b.mp3"));
    // The over-long line and everything after it are ignored, the entries before it stay.
    EXPECT_THAT(Parse(files, L"", L"C:\\a.mp3\n" + tooLong + L"\nC:\\b.mp3\n"), ElementsAre(L"C:\\a.mp3"));
    EXPECT_THAT(Parse(files, L"", tooLong), IsEmpty());
    // The limit is on the line, not on the base directory joined to it.
    FakeFiles joined{{L"D:\\" + longest}};
    EXPECT_THAT(Parse(joined, L"D:\\", longest), ElementsAre(L"D:\\" + longest));
}

TEST(PlaylistText, EachEntryFollowedByLineFeedAndReadsBack) {
    EXPECT_EQ(PlaylistText({}), L"");
    const Entries entries{L"C:\\a.mp3", L"C:\\a.mp3", L"D:\\Music dir\\b c.ogg"};
    EXPECT_EQ(PlaylistText(entries), L"C:\\a.mp3\nC:\\a.mp3\nD:\\Music dir\\b c.ogg\n");
    FakeFiles files{{entries.begin(), entries.end()}};
    EXPECT_EQ(Parse(files, L"", PlaylistText(entries)), entries);
}

TEST(PlaylistFileNames, BaseDirectoryAndM3uEnding) {
    EXPECT_EQ(PlaylistBaseDirectory(L"D:\\Lists\\mix.m3u"), L"D:\\Lists\\");
    EXPECT_EQ(PlaylistBaseDirectory(L"C:\\mix.m3u"), L"C:\\");
    EXPECT_EQ(PlaylistBaseDirectory(L"mix.m3u"), L"");
    EXPECT_EQ(PlaylistBaseDirectory(L"D:/Lists/mix.m3u"), L""); // only the backslash separates

    EXPECT_TRUE(IsPlaylistFileName(L"C:\\mix.m3u"));
    EXPECT_TRUE(IsPlaylistFileName(L"C:\\mixm3u")); // the character before plays no part
    EXPECT_TRUE(IsPlaylistFileName(L"m3u"));
    EXPECT_FALSE(IsPlaylistFileName(L"C:\\mix.M3U"));
    EXPECT_FALSE(IsPlaylistFileName(L"C:\\mix.m3U"));
    EXPECT_FALSE(IsPlaylistFileName(L"C:\\mix.m3u8"));
    EXPECT_FALSE(IsPlaylistFileName(L"C:\\mix.pls"));
    EXPECT_FALSE(IsPlaylistFileName(L"3u"));
    EXPECT_FALSE(IsPlaylistFileName(L""));
}

TEST(PlaylistFileDecoder, CarriageReturnLineFeedBecomesLineFeed) {
    EXPECT_EQ(PlaylistTextFromFileBytes("a\r\nb\r\n"), L"a\nb\n");
    EXPECT_EQ(PlaylistTextFromFileBytes("a\r\nb\r\n"), PlaylistTextFromFileBytes("a\nb\n"));
    EXPECT_EQ(PlaylistTextFromFileBytes("a\nb"), L"a\nb\n"); // the last line needs no LF
    // A carriage return not followed by LF stays in the line.
    EXPECT_EQ(PlaylistTextFromFileBytes("a\rb\r"), L"a\rb\r\n");
    EXPECT_EQ(PlaylistTextFromFileBytes("a\r\r\n"), L"a\r\n");
    EXPECT_EQ(PlaylistTextFromFileBytes(""), L"");
}

TEST(PlaylistFileDecoder, ByteOneAEndsTheFile) {
    EXPECT_EQ(PlaylistTextFromFileBytes("a\nb\x1A\nc\n"), L"a\nb\n");
    EXPECT_EQ(PlaylistTextFromFileBytes("\x1A"
                                        "a\n"),
              L"");
    EXPECT_EQ(PlaylistTextFromFileBytes("a\r\x1A"), L"a\r\n");
}

TEST(PlaylistFileDecoder, EachByteIsOneCharacter) {
    // UTF-8 "Müsic" is read as six characters, and a byte-order mark stays in the first line.
    EXPECT_EQ(PlaylistTextFromFileBytes("C:\\M\xC3\xBCsic.mp3"), L"C:\\M\u00C3\u00BCsic.mp3\n");
    EXPECT_EQ(PlaylistTextFromFileBytes("\xEF\xBB\xBF"
                                        "C:\\a.mp3\n"),
              L"\u00EF\u00BB\u00BFC:\\a.mp3\n");
    EXPECT_EQ(PlaylistTextFromFileBytes(std::string("a\0b\n", 4)), std::wstring(L"a\0b\n", 4));
}

TEST(PlaylistFileDecoder, LineLimitAndPiecesAgree) {
    const std::string longest(kMaxPlaylistLine, 'x');
    const std::string tooLong(kMaxPlaylistLine + 1, 'y');
    EXPECT_EQ(PlaylistTextFromFileBytes("a\r\n" + longest + "\r\nb"), Widen("a\n" + longest + "\nb\n"));
    EXPECT_EQ(PlaylistTextFromFileBytes("a\r\n" + tooLong + "\r\nb\r\n"), L"a\n");
    EXPECT_EQ(PlaylistTextFromFileBytes("a\n" + longest + "\r"), L"a\n"); // the stray CR makes 2023
    EXPECT_EQ(PlaylistTextFromFileBytes(tooLong), L"");

    // Fed one byte at a time (a CR LF split between pieces), the text is the same as in one piece.
    const std::string bytes = "#EXTM3U\r\nMusic\\a.mp3\r\n\r\nb\rc\r\n" + longest + "\r\n" + tooLong + "\nz";
    PlaylistFileDecoder decoder;
    for (char byte : bytes)
        decoder.Feed(std::string_view(&byte, 1));
    decoder.Finish();
    EXPECT_EQ(decoder.text(), PlaylistTextFromFileBytes(bytes));
    EXPECT_EQ(decoder.text(), Widen("#EXTM3U\nMusic\\a.mp3\n\nb\rc\n" + longest + "\n"));
    EXPECT_TRUE(decoder.ended());
    EXPECT_FALSE(decoder.Feed("more\n")); // nothing after the end is taken
    EXPECT_EQ(decoder.text(), PlaylistTextFromFileBytes(bytes));
}

TEST(PlaylistFileDecoder, ALargeExtendedM3uIsReadWhole) {
    // 100,000 tracks, each with its "#EXTINF" line: 200,001 lines.
    std::string lines = "#EXTM3U\r\n";
    for (int i = 0; i < 100000; ++i)
        lines += "#EXTINF:200,Track " + std::to_string(i) + "\r\nMusic\\" + std::to_string(i) + ".mp3\r\n";
    const std::wstring text = PlaylistTextFromFileBytes(lines);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 200001);
    EXPECT_EQ(text.substr(text.size() - 16), L"Music\\99999.mp3\n");
}

TEST(PlaylistFileDecoder, AHugeFileEndsAfterTheNameBoundOrTheLineBound) {
    // Names between comments and empty lines: the reading ends with the last name the bound allows.
    std::string names;
    for (std::size_t i = 0; i < kMaxPlaylistFileNames + 5; ++i)
        names += i % 2 ? "#c\r\n\r\na\r\n" : "b\r\n";
    std::wstring text = PlaylistTextFromFileBytes(names);
    std::vector<std::wstring> lines;
    ParsePlaylistText(L"", text, lines, [](const std::wstring&) { return true; });
    EXPECT_EQ(lines.size(), kMaxPlaylistFileNames);
    EXPECT_EQ(text.substr(text.size() - 8), L"b\n#c\n\na\n"); // name 100000 is the last line
    // One name fewer, and a comment after it: every line is read.
    const std::size_t pairs = (kMaxPlaylistFileNames - 1) / 2;
    EXPECT_EQ(PlaylistTextFromFileBytes(names.substr(0, pairs * 12 + 3) + "#c").size(), pairs * 8 + 5);

    // Nothing but comments: the line bound ends it, the line at the bound kept.
    std::string comments;
    for (std::size_t i = 0; i < kMaxPlaylistFileLines + 5; ++i)
        comments += "#\n";
    text = PlaylistTextFromFileBytes(comments);
    EXPECT_EQ(text.size(), kMaxPlaylistFileLines * 2);
}

TEST(AddPlaylistPath, OnlyLowerCaseM3uIsExpanded) {
    std::vector<std::wstring> read;
    auto reader = [&read](const std::wstring& path, PlaylistFileDecoder& decoder) {
        read.push_back(path);
        if (path.find(L"missing") != std::wstring::npos) return false;
        decoder.Feed("#EXTM3U\r\nMusic\\a.mp3\r\nC:\\Songs\\b.mp3\r\nC:\\Songs\\b.mp3\r\nnot there.mp3");
        return true;
    };
    FakeFiles files{{L"D:\\Lists\\Music\\a.mp3", L"C:\\Songs\\b.mp3"}};

    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.m3u", files.Test(), reader),
                ElementsAre(L"D:\\Lists\\Music\\a.mp3", L"C:\\Songs\\b.mp3", L"C:\\Songs\\b.mp3"));
    EXPECT_THAT(read, ElementsAre(L"D:\\Lists\\mix.m3u"));

    // Other names are the one entry, without reading or any existence test.
    read.clear();
    files.asked.clear();
    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.M3U", files.Test(), reader),
                ElementsAre(L"D:\\Lists\\mix.M3U"));
    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.pls", files.Test(), reader),
                ElementsAre(L"D:\\Lists\\mix.pls"));
    EXPECT_THAT(AddPlaylistPath(L"D:\\gone.mp3", files.Test(), reader), ElementsAre(L"D:\\gone.mp3"));
    EXPECT_THAT(read, IsEmpty());
    EXPECT_THAT(files.asked, IsEmpty());

    // A playlist that cannot be read, or whose lines all fail, adds nothing, not even itself.
    EXPECT_THAT(AddPlaylistPath(L"D:\\missing.m3u", files.Test(), reader), IsEmpty());
    FakeFiles empty;
    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.m3u", empty.Test(), reader), IsEmpty());
}
