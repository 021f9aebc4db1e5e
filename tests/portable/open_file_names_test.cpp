// The open-file dialog's filter text and the reading of its result buffer.
#include "playlist/open_file_names.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace qm;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A result buffer as the dialog leaves it: the given text, then zeros up to the buffer size.
std::wstring Buffer(const std::wstring& text, std::size_t size = 300) {
    std::wstring buffer(text);
    buffer.resize(size, L'\0');
    return buffer;
}

const std::wstring N(1, L'\0');

std::vector<std::wstring> SplitAtNul(const std::wstring& text) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(L'\0', start)) != std::wstring::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

} // namespace

TEST(ChosenFilePaths, OneFile) {
    EXPECT_THAT(ChosenFilePaths(Buffer(L"C:\\Music\\a.mp3"), 9), ElementsAre(L"C:\\Music\\a.mp3"));
    EXPECT_THAT(ChosenFilePaths(Buffer(L"a.mp3"), 0), ElementsAre(L"a.mp3"));
    EXPECT_THAT(ChosenFilePaths(Buffer(L""), 0), IsEmpty());
}

TEST(ChosenFilePaths, SeveralFilesInTheDialogsOrder) {
    const std::wstring buffer = Buffer(L"C:\\Music" + N + L"b.mp3" + N + L"list.m3u" + N + L"a.mp3" + N);
    EXPECT_THAT(ChosenFilePaths(buffer, 9),
                ElementsAre(L"C:\\Music\\b.mp3", L"C:\\Music\\list.m3u", L"C:\\Music\\a.mp3"));
}

TEST(ChosenFilePaths, DriveRootGetsNoSecondBackslash) {
    const std::wstring buffer = Buffer(L"C:\\" + N + L"a.mp3" + N + L"b.mp3" + N);
    EXPECT_THAT(ChosenFilePaths(buffer, 4), ElementsAre(L"C:\\a.mp3", L"C:\\b.mp3"));
}

TEST(ChosenFilePaths, OnlyAWholeNulEndsTheNames) {
    const std::wstring buffer = Buffer(L"C:\\Music" + N + L"a.mp3" + N + L"\u4E00b.mp3" + N + L"\u0100c.mp3" +
                                       N + N + L"stale.mp3" + N);
    EXPECT_THAT(ChosenFilePaths(buffer, 9),
                ElementsAre(L"C:\\Music\\a.mp3", L"C:\\Music\\\u4E00b.mp3", L"C:\\Music\\\u0100c.mp3"));
}

TEST(ChosenFilePaths, NeverReadsPastTheBuffer) {
    // A full buffer without its terminators, and offsets beyond it.
    const std::wstring full = L"C:\\Music" + N + L"a.mp3" + N + L"bbbb";
    EXPECT_THAT(ChosenFilePaths(full, 9), ElementsAre(L"C:\\Music\\a.mp3", L"C:\\Music\\bbbb"));
    EXPECT_THAT(ChosenFilePaths(L"C:\\x.mp3", 200), ElementsAre(L"C:\\x.mp3"));
    EXPECT_THAT(ChosenFilePaths(std::wstring_view(), 0), IsEmpty());
    EXPECT_THAT(ChosenFilePaths(N + N, 1), IsEmpty());
}

// The dialog reports the size it needs cut to 16 bits; the buffer asked for next is exactly that size,
// so a selection needing precisely it fits.
TEST(OpenFileRetryBufferChars, ExactlyTheSizeNeededUpToTheLargestBuffer) {
    constexpr std::size_t kMax = kMaxOpenFileBufferChars;
    const struct {
        std::size_t needed, current, retry;
    } cases[] = {
        {65536, 65535, 65536},     // one above the first buffer: reported as 0
        {100000, 65535, 100000},   // reported as 34464
        {131071, 65535, 131071},   // reported as 65535, the current size itself
        {131072, 131071, 131072},  // reported as 0 again, above a grown buffer
        {5000, 1000, 5000},        // a report above the current size is the need itself
        {kMax, kMax - 1, kMax},    // the largest buffer
        {kMax + 1, kMax - 1, 0},   // beyond it
        {kMax + 0x10000, kMax, 0}, // beyond it, from the largest
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenFileRetryBufferChars(static_cast<std::uint16_t>(c.needed), c.current), c.retry)
            << c.needed;
}

TEST(PlaylistOpenFileFilter, PairsEndedByNulAndADoubledNul) {
    const std::wstring filter = PlaylistOpenFileFilter([](const std::wstring& text) { return text; });
    ASSERT_GE(filter.size(), 2u);
    EXPECT_EQ(filter.substr(filter.size() - 2), N + N);
    EXPECT_THAT(
        SplitAtNul(filter.substr(0, filter.size() - 2)),
        ElementsAre(L"All supported files (*.m3u,*.m3u8,*.pls;*.mp3;*.wma;*.aac;*.ogg;*.flac;*.wav;*.mid)",
                    L"*.m3u;*.m3u8;*.pls;*.mp3;*.wma;*.aac;*.ogg;*.flac;*.wav;*.mid",
                    L"Playlist Files (*.m3u,*.m3u8,*.pls)", L"*.m3u;*.m3u8;*.pls", L"MP3 (*.mp3)", L"*.mp3",
                    L"Windows Media Audio (*.wma)", L"*.wma", L"Advanced Audio Coding (*.aac)", L"*.aac",
                    L"Ogg Vorbis (*.ogg)", L"*.ogg", L"FLAC (*.flac)", L"*.flac",
                    L"Windows Audio File (*.wav)", L"*.wav", L"MIDI File (*.mid)", L"*.mid"));
}

TEST(PlaylistOpenFileFilter, OnlyTheFirstTwoShownTextsAreTranslated) {
    std::vector<std::wstring> asked;
    const std::wstring filter = PlaylistOpenFileFilter([&asked](const std::wstring& text) {
        asked.push_back(text);
        return L"<" + text + L">";
    });
    EXPECT_THAT(asked, ElementsAre(L"All supported files", L"Playlist Files"));
    const auto parts = SplitAtNul(filter);
    EXPECT_EQ(parts[0],
              L"<All supported files> (*.m3u,*.m3u8,*.pls;*.mp3;*.wma;*.aac;*.ogg;*.flac;*.wav;*.mid)");
    EXPECT_EQ(parts[2], L"<Playlist Files> (*.m3u,*.m3u8,*.pls)");
    EXPECT_EQ(parts[4], L"MP3 (*.mp3)");
}
