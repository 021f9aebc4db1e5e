// Playlist text and .m3u bytes into entries, with a fake file system: which names exist is chosen per
// test, and every name asked about is recorded.
#include "playlist/playlist_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

template <typename Text> Text Repeat(const Text& part, std::size_t times) {
    Text whole;
    for (std::size_t i = 0; i < times; ++i)
        whole += part;
    return whole;
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
    // Without a base directory each line is asked about once: a missing entry is not asked again.
    EXPECT_THAT(files.asked, ElementsAre(L"C:\\a.mp3\r", L"C:\\b.mp3"));
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
    // Characters beyond the BMP count once each, though Windows holds each in two UTF-16 units.
    const std::wstring notes = Repeat(std::wstring(L"\U0001F3B5"), kMaxPlaylistLine);
    FakeFiles wide{{L"C:\\a.mp3", notes, notes + L"\U0001F3B5"}};
    EXPECT_THAT(Parse(wide, L"", notes + L"\nC:\\a.mp3"), ElementsAre(notes, L"C:\\a.mp3"));
    EXPECT_THAT(Parse(wide, L"", notes + L"\U0001F3B5\nC:\\a.mp3"), IsEmpty());
}

TEST(PlaylistText, EachEntryFollowedByLineFeedAndReadsBack) {
    EXPECT_EQ(PlaylistText({}), L"");
    const Entries entries{L"C:\\a.mp3", L"C:\\a.mp3", L"D:\\Music dir\\b c.ogg"};
    EXPECT_EQ(PlaylistText(entries), L"C:\\a.mp3\nC:\\a.mp3\nD:\\Music dir\\b c.ogg\n");
    FakeFiles files{{entries.begin(), entries.end()}};
    EXPECT_EQ(Parse(files, L"", PlaylistText(entries)), entries);
}

TEST(PlaylistFileNames, BaseDirectoryAndPlaylistEnding) {
    EXPECT_EQ(PlaylistBaseDirectory(L"D:\\Lists\\mix.m3u"), L"D:\\Lists\\");
    EXPECT_EQ(PlaylistBaseDirectory(L"C:\\mix.m3u"), L"C:\\");
    EXPECT_EQ(PlaylistBaseDirectory(L"mix.m3u"), L"");
    EXPECT_EQ(PlaylistBaseDirectory(L"D:/Lists/mix.m3u"), L""); // only the backslash separates

    using enum PlaylistFileKind;
    for (const wchar_t* name : {L"C:\\mix.m3u", L"C:\\OLD.M3U", L"C:\\mix.m3U", L".m3u"})
        EXPECT_EQ(PlaylistFileKindOf(name), M3u) << name;
    for (const wchar_t* name : {L"C:\\mix.m3u8", L"C:\\MIX.M3U8"})
        EXPECT_EQ(PlaylistFileKindOf(name), M3u8) << name;
    for (const wchar_t* name : {L"C:\\mixm3u", L"C:\\mix.m3u8.mp3", L"C:\\mix.pls", L"m3u", L""})
        EXPECT_EQ(PlaylistFileKindOf(name), NotAPlaylist) << name;
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

TEST(PlaylistFileDecoder, DecodesByTheMarkValidUtf8OrTheAnsiCodePage) {
    using enum PlaylistFileKind;
    const std::string mark = "\xEF\xBB\xBF";
    const std::string el = "\xD0\x9B";           // U+041B in UTF-8
    const std::string note = "\xF0\x9F\x8E\xB5"; // U+1F3B5 in UTF-8: four bytes, one character
    struct Case {
        const char* what;
        std::string bytes;
        unsigned codePage;
        PlaylistFileKind kind;
        std::wstring text;
    };
    const Case cases[] = {
        {"mark dropped", mark + "#EXTM3U\r\nSommerw\xC3\xB6lkchen.mp3\r\n", 1252, M3u,
         L"Sommerw\u00F6lkchen.mp3\n"},
        {"mark: UTF-8 even when ill-formed", mark + "a\x92.mp3", 1252, M3u, L"a\uFFFD.mp3\n"},
        {"valid UTF-8", "\xD0\x9B\xD0\xB5\xD1\x82\xD0\xBE.mp3", 1252, M3u, L"\u041B\u0435\u0442\u043E.mp3\n"},
        {"ill-formed: Windows-1252", "Don\x92t Stop.mp3\r\nplain.mp3", 1252, M3u,
         L"Don\u2019t Stop.mp3\nplain.mp3\n"},
        {"one ill-formed byte, even in a comment, makes all ANSI", "M\xC3\xBCsic.mp3\n#\xFC\n", 1252, M3u,
         L"M\u00C3\u00BCsic.mp3\n"},
        // Forms a lenient decoder would take: an overlong '/', a surrogate, a code beyond U+10FFFF.
        {"overlong: Windows-1252", "\xE0\x80\xAF.mp3", 1252, M3u, L"\u00E0\u20AC\u00AF.mp3\n"},
        {"surrogate: Windows-1252", "\xED\xA0\x80.mp3", 1252, M3u, L"\u00ED\u00A0\u20AC.mp3\n"},
        {"beyond U+10FFFF: Windows-1252", "\xF4\x90\x80\x80.mp3", 1252, M3u,
         L"\u00F4\u0090\u20AC\u20AC.mp3\n"},
        {"Windows-1251", "\xCB\xE5\xF2\xEE \xB8.mp3", 1251, M3u, L"\u041B\u0435\u0442\u043E \u0451.mp3\n"},
        {"the same bytes in Windows-1252", "\xCB\xE5\xF2\xEE \xB8.mp3", 1252, M3u,
         L"\u00CB\u00E5\u00F2\u00EE \u00B8.mp3\n"},
        {".m3u8: UTF-8 whatever the bytes", mark + el + ".mp3\n\xCB.mp3", 1251, M3u8,
         L"\u041B.mp3\n\uFFFD.mp3\n"},
        // One U+FFFD for each longest start of a sequence that breaks off, not one for each of its bytes.
        {".m3u8: one U+FFFD per broken sequence", "\xE2\x82x.mp3\n\xF0\x9F\x8E", 1252, M3u8,
         L"\uFFFDx.mp3\n\uFFFD\n"},
        {"pure ASCII as it always was",
         "#EXTM3U\r\nMusic\\a.mp3\r\n\r\nb\rc\x1A"
         "d",
         1251, M3u, L"Music\\a.mp3\nb\rc\n"},
        {"a NUL byte stays", std::string("a\0b", 3), 1252, M3u, std::wstring(L"a\0b\n", 4)},
        {"a mark after the start is a character", "a\n" + mark + "b", 1252, M3u, L"a\n\uFEFFb\n"},
        {"2022 decoded characters", Repeat(el, 2022) + "\nz", 1252, M3u,
         std::wstring(2022, L'\u041B') + L"\nz\n"},
        {"2023 decoded characters", "a\n" + Repeat(el, 2023) + "\nz", 1252, M3u, L"a\n"},
        {"2022 ANSI characters", Repeat(std::string("\xCB"), 2022) + "\nz", 1251, M3u,
         std::wstring(2022, L'\u041B') + L"\nz\n"},
        {"a comment is measured though not kept",
         "a\n#" + Repeat(el, 2021) + "\nz\n#" + Repeat(el, 2022) + "\nq", 1252, M3u, L"a\nz\n"},
        {"short as UTF-8, too long as ANSI", "a\n" + Repeat(el, 1500) + "\n\xFC", 1252, M3u, L"a\n"},
        {"four bytes a character after a mark", mark + Repeat(note, 2022) + "\nz", 1252, M3u,
         Repeat(std::wstring(L"\U0001F3B5"), 2022) + L"\nz\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PlaylistTextFromFileBytes(c.bytes, c.codePage, c.kind), c.text) << c.what;
        // Byte by byte (a mark or a sequence split between pieces), the text is the same.
        PlaylistFileDecoder decoder(SingleByteCodePageDecoder(c.codePage), c.kind);
        for (char byte : c.bytes)
            decoder.Feed(std::string_view(&byte, 1));
        decoder.Finish();
        EXPECT_EQ(decoder.text(), c.text) << c.what << ", byte by byte";
    }
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
    PlaylistFileDecoder decoder(SingleByteCodePageDecoder(1252), PlaylistFileKind::M3u);
    for (char byte : bytes)
        decoder.Feed(std::string_view(&byte, 1));
    EXPECT_TRUE(decoder.ended());         // the over-long line ended the reading, before the file's end
    EXPECT_FALSE(decoder.Feed("more\n")); // nothing after the end is taken
    decoder.Finish();
    EXPECT_EQ(decoder.text(), PlaylistTextFromFileBytes(bytes));
    EXPECT_EQ(decoder.text(), Widen("Music\\a.mp3\nb\rc\n" + longest + "\n"));
}

TEST(PlaylistFileDecoder, ALargeExtendedM3uIsReadWhole) {
    // 100,000 tracks, each with its "#EXTINF" line: 200,001 lines.
    std::string lines = "#EXTM3U\r\n";
    for (int i = 0; i < 100000; ++i)
        lines += "#EXTINF:200,Track " + std::to_string(i) + "\r\nMusic\\" + std::to_string(i) + ".mp3\r\n";
    const std::wstring text = PlaylistTextFromFileBytes(lines);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 100000); // no comment is kept
    EXPECT_EQ(text.substr(text.size() - 16), L"Music\\99999.mp3\n");
}

// A line that no encoding could take within the limit ends the reading at once, without waiting for the
// line's end or the file's: a file of many megabytes without line ends, or of binary bytes, ends within
// the first piece read from it.
TEST(PlaylistFileDecoder, ALineTooLongForAnyEncodingEndsTheReadingWithinOnePiece) {
    using enum PlaylistFileKind;
    constexpr std::size_t kPiece = 64 * 1024;
    // Bytes of any value but LF and 0x1A, so that nothing but the length ends a line.
    std::string binary(kPiece, '\0');
    for (std::uint32_t i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>((i * 2654435761u) >> 13);
        if (binary[i] == '\n' || binary[i] == '\x1A') binary[i] = 'x';
    }
    std::string binaryLines = binary;
    for (std::size_t i = 3000; i < binaryLines.size(); i += 3000)
        binaryLines[i] = '\n'; // 3000 bytes: over the limit in a single-byte code page
    struct Case {
        const char* what;
        std::string piece;
        PlaylistFileKind kind;
        std::wstring text;
    };
    const Case cases[] = {
        {"no line end", std::string(kPiece, 'x'), M3u, L""},
        {"no line end after naming lines", "a\r\nb\r\n" + std::string(kPiece, 'x'), M3u, L"a\nb\n"},
        {"no line end, beyond ASCII, after a mark",
         "\xEF\xBB\xBF" + Repeat(std::string("\xD0\x9B"), kPiece / 2), M3u8, L""},
        {"binary without line ends", binary, M3u, L""},
        {"binary with a line end now and then", binaryLines, M3u, L""},
        {"an over-long line with its end", "a\n" + std::string(kMaxPlaylistLine + 1, 'y') + "\nb\n", M3u,
         L"a\n"},
    };
    for (const Case& c : cases) {
        PlaylistFileDecoder decoder(SingleByteCodePageDecoder(1252), c.kind);
        EXPECT_FALSE(decoder.Feed(c.piece)) << c.what;
        EXPECT_FALSE(decoder.Feed("c\n")) << c.what;
        decoder.Finish();
        EXPECT_EQ(decoder.text(), c.text) << c.what;
    }
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
    EXPECT_EQ(text.substr(text.size() - 4), L"b\na\n"); // name 100000 is the last line
    // One name fewer: every name is read.
    const std::size_t pairs = (kMaxPlaylistFileNames - 1) / 2;
    EXPECT_EQ(PlaylistTextFromFileBytes(names.substr(0, pairs * 12 + 3) + "#c").size(), pairs * 4 + 2);

    // Comments are not kept, but the line bound still ends the reading, the line at the bound kept.
    const std::string comments = Repeat(std::string("#\n"), kMaxPlaylistFileLines - 1);
    EXPECT_EQ(PlaylistTextFromFileBytes(comments + "a\n"), L"a\n");
    EXPECT_EQ(PlaylistTextFromFileBytes(comments + "#\na\n"), L"");
}

TEST(AddPlaylistPath, M3uInAnyLetterCaseAndM3u8AreExpanded) {
    std::vector<std::wstring> read;
    std::string bytes = "#EXTM3U\r\nMusic\\a.mp3\r\nC:\\Songs\\b.mp3\r\nC:\\Songs\\b.mp3\r\nnot there.mp3";
    auto reader = [&read, &bytes](const std::wstring& path, PlaylistFileDecoder& decoder) {
        read.push_back(path);
        if (path.find(L"missing") != std::wstring::npos) return false;
        decoder.Feed(bytes);
        return true;
    };
    const CodePageDecoder ansi = SingleByteCodePageDecoder(1251);
    FakeFiles files{{L"D:\\Lists\\Music\\a.mp3", L"C:\\Songs\\b.mp3", L"D:\\Lists\\\u041B.mp3"}};

    for (const wchar_t* list : {L"D:\\Lists\\mix.m3u", L"D:\\Lists\\OLD.M3U"}) {
        EXPECT_THAT(AddPlaylistPath(list, files.Test(), reader, ansi),
                    ElementsAre(L"D:\\Lists\\Music\\a.mp3", L"C:\\Songs\\b.mp3", L"C:\\Songs\\b.mp3"))
            << list;
    }
    EXPECT_THAT(read, ElementsAre(L"D:\\Lists\\mix.m3u", L"D:\\Lists\\OLD.M3U"));
    // One ill-formed line makes an .m3u Windows-1251 throughout; an .m3u8 stays UTF-8.
    bytes = "\xD0\x9B.mp3\n\xFF.mp3\n";
    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.m3u", files.Test(), reader, ansi), IsEmpty());
    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.M3U8", files.Test(), reader, ansi),
                ElementsAre(L"D:\\Lists\\\u041B.mp3"));

    // Other names are the one entry, without reading or any existence test.
    read.clear();
    files.asked.clear();
    for (const wchar_t* other : {L"D:\\Lists\\mix.pls", L"D:\\gone.mp3", L"D:\\Lists\\mixm3u"})
        EXPECT_THAT(AddPlaylistPath(other, files.Test(), reader, ansi), ElementsAre(other));
    EXPECT_THAT(read, IsEmpty());
    EXPECT_THAT(files.asked, IsEmpty());

    // A playlist that cannot be read, or whose lines all fail, adds nothing, not even itself.
    EXPECT_THAT(AddPlaylistPath(L"D:\\missing.m3u", files.Test(), reader, ansi), IsEmpty());
    FakeFiles empty;
    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.m3u8", empty.Test(), reader, ansi), IsEmpty());

    // A double-byte code page: a lead byte takes the next byte with it. One ending a line must not take
    // the line feed, or the next line is lost.
    const CodePageDecoder doubleByte = [](std::string_view text) {
        std::wstring decoded;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            const bool lead = byte >= 0x80 && i + 1 < text.size();
            decoded += static_cast<wchar_t>(lead ? 0x4E00 + static_cast<unsigned char>(text[++i]) : byte);
        }
        return decoded;
    };
    bytes = "\x81\x41.mp3\n\x81\nb.mp3\n";
    FakeFiles wide{{L"D:\\Lists\\\u4E41.mp3", L"D:\\Lists\\b.mp3"}};
    EXPECT_THAT(AddPlaylistPath(L"D:\\Lists\\mix.m3u", wide.Test(), reader, doubleByte),
                ElementsAre(L"D:\\Lists\\\u4E41.mp3", L"D:\\Lists\\b.mp3"));
}
