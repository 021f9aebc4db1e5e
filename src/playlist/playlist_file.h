// The user's music playlist as text: reading the stored playlist and .m3u files into entries, and the
// text that is stored. An entry is any non-comment line that names something that exists; the existence
// test is passed in, so the text rules run anywhere (the Windows build adds the real file-system test).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Longest line a playlist may hold; a longer line ends the reading.
inline constexpr std::size_t kMaxPlaylistLine = 2022;

// Most lines naming something (neither empty nor starting with '#') read from one playlist file. Each
// costs a file-system lookup or two, so without a bound a file of millions of short names would freeze
// the editor for minutes; a real playlist, even of tens of thousands of tracks, stays below it. Comment
// lines ("#EXTINF" before every track in an extended playlist) cost no lookup and do not count.
inline constexpr std::size_t kMaxPlaylistFileNames = 100000;

// Most lines of any kind read from one playlist file: bounds the text held for a file of nothing but
// comments, far above what the name bound lets a real playlist reach (two lines a track).
inline constexpr std::size_t kMaxPlaylistFileLines = 1000000;

// Whether something (file or directory) of this name exists.
using PathExistsFn = std::function<bool(const std::wstring& path)>;

// Appends to entries each accepted line of text: lines end at LF; empty lines and lines starting with
// '#' are skipped; no trimming. A line names baseDirectory + line when that exists, else the line alone
// when that exists, else nothing.
void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries, const PathExistsFn& exists);

// The stored text: each entry followed by LF.
std::wstring PlaylistText(const std::vector<std::wstring>& entries);

// The path up to and including its last backslash; empty when it has none.
std::wstring PlaylistBaseDirectory(const std::wstring& path);

// True when the path ends in exactly "m3u" (case-sensitive): a playlist to expand, not a music file.
bool IsPlaylistFileName(const std::wstring& path);

// Turns the bytes of a playlist file into playlist text the way a text-mode read does: CR LF becomes
// LF, byte 0x1A ends the file, each byte becomes the character of the same code. The lines are joined,
// each followed by LF; a line over kMaxPlaylistLine characters ends the reading, and so do the
// kMaxPlaylistFileNames-th naming line and the kMaxPlaylistFileLines-th line (either is kept). Fed in
// pieces, so a large file need not be held twice.
class PlaylistFileDecoder {
  public:
    // Returns false once the reading has ended; further bytes are then ignored.
    bool Feed(std::string_view bytes);
    // The end of the file: a last line without LF counts too.
    void Finish();
    bool ended() const { return ended_; }
    const std::wstring& text() const { return text_; }

  private:
    void EndLine();
    void Put(wchar_t c);

    std::wstring text_;
    std::size_t lineLength_ = 0;
    std::size_t lineCount_ = 0;
    std::size_t nameCount_ = 0;
    bool lineIsComment_ = false;
    bool pendingCr_ = false;
    bool ended_ = false;
};

// The whole of a file's bytes as playlist text (PlaylistFileDecoder in one piece).
std::wstring PlaylistTextFromFileBytes(std::string_view bytes);

// AddPlaylistPath with the file reading and the existence test passed in: a name ending in "m3u"
// yields the accepted entries of that file (read by readFile as bytes; nothing when unreadable), any
// other name is itself the one entry.
std::vector<std::wstring>
AddPlaylistPath(const std::wstring& path, const PathExistsFn& exists,
                const std::function<bool(const std::wstring& path, PlaylistFileDecoder& decoder)>& readFile);

} // namespace qm

#ifdef _WIN32
namespace qm {

// ParsePlaylistText with the file-system existence test (PathExists: a directory counts).
void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries);

// Appends the accepted entries of the .m3u file at path, lines resolved against the file's folder
// first. A file that cannot be opened adds nothing.
void ReadPlaylistFile(const std::wstring& path, std::vector<std::wstring>& entries);

// The entries that choosing this path adds: the contents of an "m3u" playlist, else the path itself.
std::vector<std::wstring> AddPlaylistPath(const std::wstring& path);

} // namespace qm
#endif
