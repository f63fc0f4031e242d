#include "album/EarlierFiles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <regex>
#include <system_error>

#include "album/Utf8Text.h"
#include "platform/File.h"

namespace fs = std::filesystem;

namespace {

// "7.wav", "7.ogg", "A1.mp3", "B2.flac", "07 - Title.wav", "07.mp3".
bool RunFileName(const std::string& name) {
    static const std::regex kPattern(
        R"(([1-9][0-9]*|[AB][1-9][0-9]*|[0-9]{2,}( - .+)?)\.(wav|mp3|ogg|flac))",
        std::regex::icase | std::regex::optimize);
    return std::regex_match(name, kPattern);
}

// The first bytes a file of the name's kind begins with.
bool ContentsMatch(const fs::path& path) {
    platform::FilePtr file = platform::OpenFile(path.string(), "rb");
    unsigned char head[12] = {};
    if (!file || std::fread(head, 1, sizeof head, file.get()) < 4) return false;
    const std::string extension = album::LowerCase(path.extension().string());
    if (extension == ".wav")
        return (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0) &&
               std::memcmp(head + 8, "WAVE", 4) == 0;
    if (extension == ".ogg") return std::memcmp(head, "OggS", 4) == 0;
    if (extension == ".flac") return std::memcmp(head, "fLaC", 4) == 0;
    // MP3: an ID3v2 tag, or an MPEG audio frame's sync.
    return std::memcmp(head, "ID3", 3) == 0 || (head[0] == 0xFF && (head[1] & 0xE0) == 0xE0);
}

}  // namespace

std::vector<std::string> album::FindRunFiles(const std::string& folder,
                                             const std::vector<std::string>& exclude) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(ec) || !RunFileName(name)) continue;
        const bool excluded =
            std::any_of(exclude.begin(), exclude.end(),
                        [&](const std::string& p) { return fs::equivalent(entry.path(), p, ec); });
        if (!excluded && ContentsMatch(entry.path())) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> album::EarlierFilesLeft(const std::vector<std::string>& before,
                                                 const std::vector<std::string>& written) {
    std::vector<std::string> left;
    for (const std::string& name : before)
        if (std::find(written.begin(), written.end(), name) == written.end()) left.push_back(name);
    return left;
}
