// Reading .m3u files and the existence test with real files under a scratch folder.
#include "platform/file_system.h"
#include "playlist/playlist_file.h"

#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <random>

using namespace qm;
using namespace qmtest;
using ::testing::ElementsAre, ::testing::IsEmpty;

namespace {

using Entries = std::vector<std::wstring>;

// The scratch folder's path is plain ASCII, so it can be written into an .m3u byte for byte.
std::string Narrow(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        EXPECT_LT(static_cast<unsigned>(c), 0x80u);
        bytes += static_cast<char>(c);
    }
    return bytes;
}

Entries Read(const std::wstring& path) {
    Entries entries;
    ReadPlaylistFile(path, entries);
    return entries;
}

// Restores the current directory at the end of a test.
class CurrentDirectory {
  public:
    explicit CurrentDirectory(const std::wstring& path) {
        wchar_t old[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, old);
        old_ = old;
        EXPECT_TRUE(::SetCurrentDirectoryW(path.c_str()));
    }
    ~CurrentDirectory() { ::SetCurrentDirectoryW(old_.c_str()); }

  private:
    std::wstring old_;
};

class PlaylistFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(::CreateDirectoryW((lists_ / L"Music").c_str(), nullptr));
        ASSERT_TRUE(WriteBinaryFile(lists_ / L"Music\\a.mp3", "ID3"));
        ASSERT_TRUE(::CreateDirectoryW((elsewhere_ / L"Music").c_str(), nullptr));
        ASSERT_TRUE(WriteBinaryFile(elsewhere_ / L"Music\\c.mp3", "ID3"));
        ASSERT_TRUE(WriteBinaryFile(elsewhere_ / L"b.mp3", "ID3"));
    }
    std::wstring List(const std::string& bytes, const wchar_t* name = L"mix.m3u") {
        const std::wstring path = lists_ / name;
        EXPECT_TRUE(WriteBinaryFile(path, bytes));
        return path;
    }

    TempFolder lists_;
    TempFolder elsewhere_;
};

} // namespace

TEST_F(PlaylistFiles, ExtendedM3uLinesResolveAgainstItsFolderThenTheCurrentDirectory) {
    CurrentDirectory current(elsewhere_.path());
    const std::wstring path = List("#EXTM3U\r\n#EXTINF:215,Artist - Title\r\nMusic\\a.mp3\r\n"
                                   "#EXTINF:100,Other\r\nMusic\\c.mp3\r\n" +
                                   Narrow(elsewhere_ / L"b.mp3") + "\r\nMusic\\nowhere.mp3\r\n");
    EXPECT_THAT(Read(path), ElementsAre(lists_ / L"Music\\a.mp3", L"Music\\c.mp3", elsewhere_ / L"b.mp3"));
}

TEST_F(PlaylistFiles, LineEndsDuplicatesDirectoriesAndTheEndOfFileByte) {
    const Entries expected{lists_ / L"Music\\a.mp3", lists_ / L"Music\\a.mp3", lists_ / L"Music"};
    EXPECT_EQ(Read(List("Music\\a.mp3\nMusic\\a.mp3\n\nMusic\n")), expected);
    EXPECT_EQ(Read(List("Music\\a.mp3\r\nMusic\\a.mp3\r\n\r\nMusic")), expected);
    // Byte 0x1A ends the file even with lines after it.
    EXPECT_THAT(Read(List("Music\\a.mp3\r\nMusic\x1A\r\nMusic\\a.mp3\r\n")),
                ElementsAre(lists_ / L"Music\\a.mp3", lists_ / L"Music"));
}

TEST_F(PlaylistFiles, BytesAreDecodedAsUtf8OrTheSystemCodePage) {
    ASSERT_EQ(::GetACP(), 1252u) << "the test prefix's ANSI code page";
    ASSERT_TRUE(WriteBinaryFile(lists_ / L"M\u00FCsic.mp3", "ID3"));
    // The u-umlaut in UTF-8 (two bytes) and in Windows-1252 (the one byte 0xFC) name the same file.
    EXPECT_THAT(Read(List("M\xC3\xBCsic.mp3\n")), ElementsAre(lists_ / L"M\u00FCsic.mp3"));
    EXPECT_THAT(Read(List("M\xFCsic.mp3\n")), ElementsAre(lists_ / L"M\u00FCsic.mp3"));
    // A byte-order mark is dropped, so the first line names the file too.
    EXPECT_THAT(Read(List("\xEF\xBB\xBFMusic\\a.mp3\r\nMusic\\a.mp3\r\n")),
                ElementsAre(lists_ / L"Music\\a.mp3", lists_ / L"Music\\a.mp3"));
    // A line with a NUL byte names nothing (and never puts a NUL into an entry).
    EXPECT_THAT(Read(List(std::string("Music\\a.mp3\0junk\nMusic\\a.mp3\n", 29))),
                ElementsAre(lists_ / L"Music\\a.mp3"));
    // UTF-16 files are not read as such: nothing matches.
    EXPECT_THAT(Read(List(std::string("\xFF\xFEM\0u\0s\0i\0c\0\n\0", 14))), IsEmpty());
}

TEST_F(PlaylistFiles, AddPlaylistPathExpandsM3uInAnyLetterCase) {
    List("Music\\a.mp3\nMusic\\a.mp3\n");
    List("Music\\a.mp3\n", L"upper.M3U");
    EXPECT_THAT(AddPlaylistPath(lists_ / L"mix.m3u"),
                ElementsAre(lists_ / L"Music\\a.mp3", lists_ / L"Music\\a.mp3"));
    EXPECT_THAT(AddPlaylistPath(lists_ / L"upper.M3U"), ElementsAre(lists_ / L"Music\\a.mp3"));
    EXPECT_THAT(AddPlaylistPath(lists_ / L"radio.pls"), ElementsAre(lists_ / L"radio.pls"));
    // Missing or empty playlists, or ones naming nothing that exists, add nothing, not even themselves.
    EXPECT_THAT(AddPlaylistPath(lists_ / L"missing.m3u"), IsEmpty());
    EXPECT_THAT(AddPlaylistPath(List("", L"empty.m3u")), IsEmpty());
    EXPECT_THAT(AddPlaylistPath(List("#EXTM3U\nnothing.mp3\n", L"dead.m3u")), IsEmpty());
    EXPECT_THAT(AddPlaylistPath(lists_.path()), ElementsAre(lists_.path())); // a folder is not expanded
}

TEST_F(PlaylistFiles, ExistenceTest) {
    EXPECT_TRUE(PathExists(lists_ / L"Music\\a.mp3"));
    EXPECT_TRUE(PathExists(lists_ / L"Music"));
    EXPECT_TRUE(PathExists(lists_ / L"Music\\"));
    EXPECT_FALSE(PathExists(lists_ / L"Music\\b.mp3"));
    EXPECT_FALSE(PathExists(L""));
    EXPECT_FALSE(PathExists(std::wstring(lists_ / L"Music\\a.mp3") + std::wstring(1, L'\0') + L"x"));
    EXPECT_FALSE(PathExists(lists_ / L"Music\\a.mp3\r"));

    Entries entries;
    ParsePlaylistText(L"", lists_ / L"Music\\a.mp3\r\n" + lists_ / L"Music\\a.mp3\n", entries);
    EXPECT_THAT(entries, ElementsAre(lists_ / L"Music\\a.mp3"));
}

TEST_F(PlaylistFiles, PathsOfTheLongestLengthWork) {
    // Folders nested until the file's full path is MAX_PATH - 1 characters, the longest that plain
    // (not \\?\) paths allow.
    std::wstring folder = lists_.path();
    while (folder.size() + 1 + 100 + 1 + 20 < MAX_PATH) {
        folder += L"\\" + std::wstring(100, L'd');
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    const std::size_t nameLength = MAX_PATH - 1 - folder.size() - 1 - 4;
    const std::wstring file = folder + L"\\" + std::wstring(nameLength, L'n') + L".mp3";
    ASSERT_EQ(file.size(), static_cast<std::size_t>(MAX_PATH - 1));
    ASSERT_TRUE(WriteBinaryFile(file, "ID3"));

    const std::wstring relative = file.substr(lists_.path().size() + 1);
    EXPECT_THAT(Read(List(Narrow(relative) + "\r\n" + Narrow(file) + "\r\n")), ElementsAre(file, file));
    // The same file as a playlist in the deep folder itself.
    const std::wstring deepList = folder + L"\\l.m3u";
    ASSERT_TRUE(WriteBinaryFile(deepList, Narrow(file.substr(folder.size() + 1))));
    EXPECT_THAT(AddPlaylistPath(deepList), ElementsAre(file));
}

TEST_F(PlaylistFiles, HugeBinaryOrUnendedFilesEndQuickly) {
    using Clock = std::chrono::steady_clock;
    // 40 MB without a line end: the first piece already shows the line is too long.
    std::string unended(40u << 20, 'x');
    auto start = Clock::now();
    EXPECT_THAT(Read(List(unended, L"unended.m3u")), IsEmpty());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    unended.clear();
    unended.shrink_to_fit();

    // 16 MB of random bytes (no 0x1A, so the whole file is read): no crash, and whatever names it
    // holds are tested like any others.
    std::mt19937 random(7);
    std::string binary(16u << 20, '\0');
    for (auto& byte : binary) {
        byte = static_cast<char>(random() % 255);
        if (byte == 0x1A) byte = '\n';
    }
    start = Clock::now();
    // Random lines can still name something: " " or "." is the playlist's own folder.
    for (const auto& entry : Read(List(binary, L"binary.m3u"))) {
        EXPECT_TRUE(PathExists(entry));
        EXPECT_EQ(entry.find(L'\0'), std::wstring::npos);
    }
    const auto binarySeconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_LT(binarySeconds, 30.0);

    // 20 MB of real, short lines (1.6 million): the file's first lines are read, up to the bound.
    std::string lines;
    while (lines.size() < (20u << 20))
        lines += "Music\\a.mp3\r\n";
    start = Clock::now();
    const Entries many = Read(List(lines, L"many.m3u"));
    const auto manySeconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(many.size(), kMaxPlaylistFileNames);
    EXPECT_LT(manySeconds, 15.0);
    RecordProperty("binary_seconds", std::to_string(binarySeconds));
    RecordProperty("many_lines_seconds", std::to_string(manySeconds));
    std::printf("16 MB binary: %.2f s; %zu short lines: %.2f s\n", binarySeconds, many.size(), manySeconds);
}

TEST_F(PlaylistFiles, TenThousandLines) {
    std::string lines = "#EXTM3U\r\n";
    for (int i = 0; i < 10000; ++i)
        lines += "#EXTINF:200,Track\r\nMusic\\a.mp3\r\n";
    const std::wstring path = List(lines);
    const auto start = std::chrono::steady_clock::now();
    const Entries entries = AddPlaylistPath(path);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(entries.size(), 10000u);
    std::printf("adding a 10,000-line .m3u: %.3f s\n", seconds);
}
