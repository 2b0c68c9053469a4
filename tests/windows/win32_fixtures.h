// Real files for the Windows tests: a private folder under the temp folder,
// whole-file reads and writes, and byte-exact MP3 images built field by field.
#ifndef QUILLON_TESTS_WINDOWS_WIN32_FIXTURES_H
#define QUILLON_TESTS_WINDOWS_WIN32_FIXTURES_H

#include <string>
#include <vector>

// A fresh folder <temp>\quillon-<tag>-<process>-<n>, removed with everything in
// it when the object goes. Names are bytes in the ANSI code page.
class TempFolder {
  public:
    explicit TempFolder(const char* tag);
    // Takes over an existing folder (emptied first) instead of making one.
    TempFolder(const std::string& path, bool keep);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const {
        return path_;
    }
    std::string File(const std::string& name) const {
        return path_ + "\\" + name;
    }
    // The names in the folder, "." and ".." left out, sorted bytewise.
    std::vector<std::string> Names() const;

  private:
    std::string path_;
    bool keep_;
};

// Writes `bytes` as the whole file, replacing it; false on failure.
bool WriteBytes(const std::string& path, const std::string& bytes);
// The whole file, or "<unreadable>" when it cannot be opened for reading.
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// An ID3v2.3 text frame: id, four size bytes (1 + text length, which must stay
// below 0x7F so the reader sees it), two flag bytes, the encoding byte, text.
std::string TextFrame(const char* id, int encoding, const std::string& text);
// "ID3", version 3.0, no flags, the frames' length as a syncsafe size, frames.
std::string Id3v2(const std::string& frames);
// "TAG", 30-byte title and artist fields padded with zeros, then 65 bytes of
// year, album, comment and genre left zero: 128 bytes.
std::string Id3v1(const std::string& title, const std::string& artist);
// `frames` MPEG-1 Layer III frame headers without CRC followed by silence.
std::string Audio(int frames);

#endif
