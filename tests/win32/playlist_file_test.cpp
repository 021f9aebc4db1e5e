// Reading .m3u files and the existence test with real files under a scratch folder.
#include "platform/file_system.h"
#include "playlist/playlist_file.h"

#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    // The right single quotation mark in UTF-8 (three bytes) and in the system's code page (one byte in
    // every Windows code page of Europe, which is never UTF-8 on its own) name the same file.
    const std::wstring name = L"Don\u2019t.mp3";
    ASSERT_TRUE(WriteBinaryFile(lists_ / name, "ID3"));
    EXPECT_THAT(Read(List("Don\xE2\x80\x99t.mp3\n")), ElementsAre(lists_ / name));
    EXPECT_THAT(Read(List(InAnsiCodePage(name) + "\n")), ElementsAre(lists_ / name));
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

// The file is read in pieces: the names of every piece are taken, the last, partly filled one too.
TEST_F(PlaylistFiles, AFileOfManyPiecesIsReadToItsEnd) {
    std::string lines = "#EXTM3U\r\n";
    for (int i = 0; i < 10000; ++i)
        lines += "#EXTINF:200,Track\r\nMusic\\a.mp3\r\n";
    ASSERT_GT(lines.size(), 4u << 16);
    EXPECT_EQ(AddPlaylistPath(List(lines)).size(), 10000u);
}
