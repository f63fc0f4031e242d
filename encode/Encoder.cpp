#include "encode/Encoder.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "album/Utf8Text.h"
#include "platform/EndingCleanup.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ReplaceFile.h"
#include "sidefile/WaveFile.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr const char* kProgramSuffix = ".exe";
#else
constexpr const char* kProgramSuffix = "";
#endif

// The kinds whose usual program is looked for when the encoder path is empty, and the
// Debian package that brings it; the user must always locate the others.
struct UsualProgram {
    EncoderKind kind;
    const char* program;
    const char* package;
};
constexpr UsualProgram kUsualPrograms[] = {{EncoderKind::OggVorbis, "oggenc", "vorbis-tools"},
                                           {EncoderKind::Lame, "lame", "lame"},
                                           {EncoderKind::Flac, "flac", "flac"}};

const UsualProgram* UsualProgramOf(EncoderKind kind) {
    for (const UsualProgram& usual : kUsualPrograms)
        if (usual.kind == kind) return &usual;
    return nullptr;
}

// The last lines an encoder wrote, fit for a message: progress carriage returns end lines,
// other control characters and broken UTF-8 (the kept output may start mid-character) go.
std::string LastLines(const std::string& output) {
    constexpr int kLines = 6;
    std::string clean;
    for (std::size_t at = 0; at < output.size();) {
        const unsigned char c = static_cast<unsigned char>(output[at]);
        if (c >= 0x80) {
            const std::size_t length = album::Utf8SequenceLength(output, at);
            if (length > 0) clean.append(output, at, length);
            at += length > 0 ? length : 1;
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (!clean.empty() && clean.back() != '\n') clean += '\n';
        } else if (c >= 0x20 || c == '\t') {
            clean += static_cast<char>(c);
        }
        ++at;
    }
    while (!clean.empty() && clean.back() == '\n') clean.pop_back();
    std::size_t start = clean.size();
    for (int lines = 0; lines < kLines && start != std::string::npos && start > 0; ++lines)
        start = clean.rfind('\n', start - 1);
    return start == std::string::npos || start == 0 ? clean : clean.substr(start + 1);
}

}  // namespace

EncoderCommand encode::BuildEncoderCommand(std::optional<EncoderKind> chosen, EncodeNaming naming,
                                           Side side, const std::string& encoderPath,
                                           const std::string& folder, int sliceNumber, int index,
                                           int bitRate) {
    return BuildEncoderCommand(chosen, naming, SideTracks(side), encoderPath, folder, sliceNumber,
                               index, bitRate);
}

EncoderCommand encode::BuildEncoderCommand(std::optional<EncoderKind> chosen, EncodeNaming naming,
                                           const SideTracks& tracks, const std::string& encoderPath,
                                           const std::string& folder, int sliceNumber, int index,
                                           int bitRate) {
    EncoderCommand command;
    if (!chosen) return command;
    const EncoderKind kind = *chosen;
    command.input = platform::JoinPath(folder, tracks.SliceName(sliceNumber, index));
    command.output =
        platform::JoinPath(folder, tracks.EncodedName(sliceNumber, index, kind, naming));
    const std::string& in = command.input;
    const std::string& out = command.output;
    const std::string bitsPerSecond = std::to_string(bitRate);
    const std::string kbitsPerSecond = std::to_string(bitRate / 1000);
    switch (kind) {
        case EncoderKind::L3Enc:
        case EncoderKind::FastEnc:
            command.argv = {encoderPath,   in,    out,   "-br",
                            bitsPerSecond, "-hq", "-sr", std::to_string(kSampleRate)};
            break;
        case EncoderKind::BladeEnc:
            command.argv = {encoderPath, in, out, "-br", bitsPerSecond};
            break;
        case EncoderKind::OggVorbis:
            command.argv = {encoderPath, "-b", kbitsPerSecond, "-o", out, in};
            break;
        case EncoderKind::Lame:
            command.argv = {encoderPath, "-b", kbitsPerSecond, in, out};
            break;
        case EncoderKind::Flac:
            // -f: a second run over the same slices would otherwise refuse to overwrite.
            command.argv = {encoderPath, "--silent", "-f", "-o", out, in};
            break;
    }
    return command;
}

std::string encode::ResolveEncoderPath(std::optional<EncoderKind> chosen, const std::string& path) {
    if (!path.empty()) {
        if (path.find(platform::kPathSeparator) == std::string::npos) {
            const std::string found = platform::FindOnPath(path);
            if (!found.empty()) return found;
        }
        // The run happens in the encoder's folder, so a relative path must not stay one.
        return platform::MakeAbsolute(path);
    }
    if (!chosen) return {};
    const UsualProgram* usual = UsualProgramOf(*chosen);
    if (!usual) return {};
    const std::string name = std::string(usual->program) + kProgramSuffix;
    const std::string installFolder = platform::InstallFolder();
    if (!installFolder.empty()) {
        const std::string installed = platform::JoinPath(installFolder, name);
        if (platform::IsExecutableFile(installed)) return installed;
    }
    return platform::FindOnPath(name);
}

std::optional<EncoderKind> encode::RecognizeEncoderKind(const std::string& path) {
    static const std::pair<const char*, EncoderKind> kWords[] = {
        {"l3enc", EncoderKind::L3Enc},      {"blade", EncoderKind::BladeEnc},
        {"oggenc", EncoderKind::OggVorbis}, {"fastenc", EncoderKind::FastEnc},
        {"lame", EncoderKind::Lame},        {"flac", EncoderKind::Flac}};
    const std::string lower = album::LowerCase(path);
    for (const auto& [word, kind] : kWords)
        if (lower.find(word) != std::string::npos) return kind;
    return std::nullopt;
}

const char* encode::EncoderPackage(EncoderKind kind) {
    const UsualProgram* usual = UsualProgramOf(kind);
    return usual ? usual->package : nullptr;
}

bool encode::EncoderAvailable(std::optional<EncoderKind> chosen, const std::string& path) {
    return !ResolveEncoderPath(chosen, path).empty();
}

std::string encode::ConvertingStatus(Side side) {
    return "Converting side " + model::NumberText(side) + " slices to MP3/Ogg files...";
}

EarlierOutput::EarlierOutput(const std::string& output) : output_(output) {
    std::error_code ec;
    present_ = fs::exists(fs::symlink_status(output_, ec));
    if (!present_) return;
    constexpr int kTries = 100;
    const std::string stem = output_ + ".velvane-earlier";
    for (int n = 1; n <= kTries && !movedAside_; ++n) {
        aside_ = n == 1 ? stem : stem + "-" + std::to_string(n);
        movedAside_ = platform::RenameWithoutReplacing(output_, aside_);
        if (!movedAside_ && errno != EEXIST) break;
    }
    if (movedAside_)
        registration_ = platform::RegisterAside(aside_, output_);
    else
        aside_.clear();
}

EarlierOutput::~EarlierOutput() {
    if (movedAside_) std::rename(aside_.c_str(), output_.c_str());
    Release();
}

EarlierOutput::EarlierOutput(EarlierOutput&& other) noexcept
    : output_(std::move(other.output_)),
      aside_(std::move(other.aside_)),
      present_(other.present_),
      movedAside_(other.movedAside_),
      registration_(other.registration_) {
    other.movedAside_ = false;
    other.registration_ = -1;
}

void EarlierOutput::Discard() {
    if (movedAside_) std::remove(aside_.c_str());
    movedAside_ = false;
    Release();
}

void EarlierOutput::Release() {
    platform::UnregisterAside(registration_);
    registration_ = -1;
}

std::string encode::RunFailure(const platform::ProcessResult& run, const std::string& output) {
    if (!run.started) return "cannot start: " + run.error;
    if (!run.exited) return "ended by signal " + std::to_string(run.signal);
    if (run.exitStatus != 0) return "exit status " + std::to_string(run.exitStatus);
    const auto size = platform::FileSize(output);
    if (!size) return "no output file";
    if (*size == 0) return "empty output file";
    return {};
}

void encode::NoteFailure(EncodeTally& tally, int number, const std::string& encoder,
                         const std::vector<std::string>& argv, const std::string& reason,
                         const std::string& output) {
    const bool first = tally.failedSlices++ == 0 || number < tally.failedNumber;
    if (!first) return;
    tally.failedNumber = number;
    tally.encoder = encoder;
    tally.failedCommand = platform::DescribeCommand(argv);
    tally.failureReason = reason;
    tally.failureOutput = output;
}

int encode::DeleteSlices(const std::string& folder, const std::vector<int>& numbers,
                         const SideTracks& tracks, int firstNumber) {
    int removed = 0;
    for (int number : numbers) {
        const std::string name = tracks.SliceName(number, number - firstNumber + 1);
        if (std::remove(platform::JoinPath(folder, name).c_str()) == 0) ++removed;
    }
    return removed;
}

std::string encode::EncodeFailureText(const EncodeTally& tally) {
    std::string text = std::to_string(tally.failedSlices) +
                       (tally.failedSlices == 1 ? " slice" : " slices") +
                       " could not be encoded by " + tally.encoder +
                       ".\nThe wave slices of these have been kept.\n\nFirst failed command:\n" +
                       tally.failedCommand + "\n(" + tally.failureReason + ")";
    const std::string said = LastLines(tally.failureOutput);
    if (!said.empty()) text += "\n\n" + said;
    return text;
}
