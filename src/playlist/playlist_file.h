// The user's music playlist as text: reading the stored playlist and .m3u/.m3u8 files into entries, and
// the text that is stored. An entry is any non-comment line that names something that exists; the
// existence test and the system's code page are passed in, so the text rules run anywhere (the Windows
// build adds the real file system and the real ANSI code page).
#pragma once

#include "settings/playlist_text.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Most lines naming something (neither empty nor starting with '#') read from one playlist file. Each
// costs a file-system lookup, so without a bound a file of millions of short names would freeze the
// editor for minutes; a real playlist, even of tens of thousands of tracks, stays below it. Comment
// lines ("#EXTINF" before every track in an extended playlist) cost no lookup and do not count.
inline constexpr std::size_t kMaxPlaylistFileNames = 100000;

// Most lines of any kind read from one playlist file: comment lines are not kept, but reading them
// still takes time, so a file of nothing but comments ends here, far above what the name bound lets a
// real playlist reach (two lines a track).
inline constexpr std::size_t kMaxPlaylistFileLines = 1000000;

// Whether something (file or directory) of this name exists.
using PathExistsFn = std::function<bool(const std::wstring& path)>;

// The characters of bytes written in the system's ANSI code page ("ANSI" files of Windows programs).
using CodePageDecoder = std::function<std::wstring(std::string_view bytes)>;

// Windows-1251 and Windows-1252 as Windows decodes them (a byte the code page leaves undefined becomes
// the character of the same code); any other code page decodes each byte to the character of the same
// code. The Windows build decodes with the system instead; this serves the portable build and tests.
CodePageDecoder SingleByteCodePageDecoder(unsigned codePage);

// Appends to entries each accepted line of text: lines end at LF; empty lines and lines starting with
// '#' are skipped; no trimming; a line over kMaxPlaylistLine characters ends the reading. A line names
// baseDirectory + line when that exists, else the line alone when that exists (asked only when the
// base directory is not empty, so each line is looked up once at most there), else nothing.
void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries, const PathExistsFn& exists);

// The path up to and including its last backslash; empty when it has none.
std::wstring PlaylistBaseDirectory(const std::wstring& path);

enum class PlaylistFileKind {
    NotAPlaylist, // a music file (".pls" too): added as it is
    M3u,          // ".m3u": UTF-8 when its bytes say so, else the ANSI code page
    M3u8,         // ".m3u8": always UTF-8
};

// By the name's ending, ".m3u" or ".m3u8" in any letter case.
PlaylistFileKind PlaylistFileKindOf(const std::wstring& path);

// Turns the bytes of a playlist file into playlist text. Text mode first: CR LF becomes LF, byte 0x1A
// ends the file. Then the encoding: UTF-8 after a UTF-8 byte-order mark (the mark dropped) or for an
// .m3u8 file, else UTF-8 when the bytes read are valid UTF-8 with something beyond ASCII, else the
// ANSI code page. The naming lines are kept, each followed by LF; comment lines and empty lines are
// not. A line over kMaxPlaylistLine characters ends the text; so do the kMaxPlaylistFileNames-th naming
// line and the kMaxPlaylistFileLines-th line (either is kept). Fed in pieces, so a large file need not
// be held twice; the reading stops once no encoding still possible could take in another line.
class PlaylistFileDecoder {
  public:
    PlaylistFileDecoder(CodePageDecoder ansi, PlaylistFileKind kind);

    // Returns false once the reading has ended; further bytes are then ignored.
    bool Feed(std::string_view bytes);
    // The end of the file: a last line without LF counts too. The text is decoded here.
    void Finish();
    bool ended() const { return ended_; }
    // Empty until Finish.
    const std::wstring& text() const { return text_; }

  private:
    void Put(char byte);
    void EndLine();
    void EndText();
    void CutOverLongLine(bool forUtf8, bool forAnsi);
    bool NoEncodingCanReadOn() const;

    CodePageDecoder ansi_;
    bool utf8Possible_ = true; // no invalid UTF-8 yet, or UTF-8 whatever the bytes
    bool ansiPossible_ = true; // neither a byte-order mark nor an .m3u8 file
    bool nonAscii_ = false;    // a byte of the lines read is beyond ASCII
    std::string line_;         // the bytes of the line being read
    std::string names_;        // the bytes of the naming lines read, each followed by LF
    // Where in names_ the text ends when read as UTF-8 or as ANSI: before its first over-long line.
    std::size_t utf8End_ = std::string::npos;
    std::size_t ansiEnd_ = std::string::npos;
    std::size_t lineCount_ = 0;
    std::size_t nameCount_ = 0;
    bool pendingCr_ = false;
    bool ended_ = false;
    bool finished_ = false;
    std::wstring text_;
};

// The whole of a file's bytes as playlist text, the ANSI code page being codePage (decoded by
// SingleByteCodePageDecoder; Windows-1252 is what Western systems use).
std::wstring PlaylistTextFromFileBytes(std::string_view bytes, unsigned codePage = 1252,
                                       PlaylistFileKind kind = PlaylistFileKind::M3u);

// Reads the file at path into the decoder as bytes; false when it cannot be opened.
using ReadPlaylistBytesFn = std::function<bool(const std::wstring& path, PlaylistFileDecoder& decoder)>;

// ReadPlaylistFile with the existence test, the file reading and the ANSI code page passed in. A name
// that is no playlist's is read as an .m3u file.
void ReadPlaylistFile(const std::wstring& path, std::vector<std::wstring>& entries,
                      const PathExistsFn& exists, const ReadPlaylistBytesFn& readFile,
                      const CodePageDecoder& ansi);

// AddPlaylistPath with the file reading, the existence test and the ANSI code page passed in: a
// playlist name yields the accepted entries of that file (nothing when unreadable), any other name is
// itself the one entry.
std::vector<std::wstring> AddPlaylistPath(const std::wstring& path, const PathExistsFn& exists,
                                          const ReadPlaylistBytesFn& readFile, const CodePageDecoder& ansi);

} // namespace qm

#ifdef _WIN32
namespace qm {

// The system's ANSI code page (GetACP), decoded by the system.
CodePageDecoder SystemAnsiDecoder();

// ParsePlaylistText with the file-system existence test (PathExists: a directory counts).
void ParsePlaylistText(const std::wstring& baseDirectory, const std::wstring& text,
                       std::vector<std::wstring>& entries);

// Appends the accepted entries of the playlist file at path, lines resolved against the file's folder
// first. A file that cannot be opened adds nothing.
void ReadPlaylistFile(const std::wstring& path, std::vector<std::wstring>& entries);

// The entries that choosing this path adds: the contents of a playlist, else the path itself.
std::vector<std::wstring> AddPlaylistPath(const std::wstring& path);

} // namespace qm
#endif
