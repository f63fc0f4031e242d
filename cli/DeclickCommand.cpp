// velvane-cli declick: a whole side through the click repairer into a WAV file of the
// side's own format, written beside OUT and renamed over it only once complete, so neither
// the side nor a file of the user's is ever lost to a failed or interrupted run.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"
#include "platform/Paths.h"
#include "platform/ReplaceFile.h"
#include "platform/TempFile.h"
#include "sidefile/SideReader.h"
#include "sidefile/WaveHeader.h"
#include "slice/RepairedReader.h"

namespace {

bool HasWavName(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".wav";
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    return std::filesystem::weakly_canonical(a, ec) == std::filesystem::weakly_canonical(b, ec);
}

std::string Seconds(std::uint64_t frames, std::uint32_t sampleRate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(frames) / sampleRate);
    return text;
}

// The file being written beside OUT: removed unless it was renamed into place.
struct PendingOut {
    platform::TempFile temp;
    bool placed = false;
    ~PendingOut() {
        temp.file.reset();
        std::error_code ec;
        if (!placed) std::filesystem::remove(temp.path, ec);
    }
};

}  // namespace

int cli::RunDeclick(const CliOptions& options) {
    const std::string in = platform::MakeAbsolute(options.sides[0]);
    const std::string out = platform::MakeAbsolute(options.sides[1]);
    if (!HasWavName(out)) {
        std::fprintf(stderr,
                     "velvane-cli: %s: declick writes a WAV file in the side's own format; "
                     "name it NAME.wav\n",
                     out.c_str());
        return kExitUsage;
    }
    if (const int status = CheckSideFile(in); status != kExitOk) return status;
    if (SameFile(in, out)) {
        std::fprintf(stderr, "velvane-cli: %s is the side being read; name another file\n",
                     out.c_str());
        return kExitUsage;
    }
    if (const int status =
            RefuseExistingUnforced(out, options.force, "write", "the repaired side is complete");
        status != kExitOk)
        return status;
    const std::unique_ptr<SideReader> side = SideReader::Open(in);
    if (!side) {
        std::fprintf(stderr, "velvane-cli: %s: cannot be read\n", in.c_str());
        return kExitFileError;
    }
    std::optional<platform::TempFile> temp = platform::CreateTempBeside(out);
    if (!temp) {
        std::fprintf(stderr, "velvane-cli: %s: cannot create a file in its folder (%s)\n",
                     out.c_str(), std::strerror(errno));
        return kExitFileError;
    }
    PendingOut pending{std::move(*temp)};
    const SideFormat format = side->Format();
    const std::uint64_t frames = side->Frames();
    const std::uint64_t dataBytes = frames * format.BytesPerFrame();
    const repair::RepairStrength strength =
        options.repairStrength.value_or(repair::RepairStrength::Medium);
    const auto cannotWrite = [&out] {
        std::fprintf(stderr, "velvane-cli: %s: cannot be written (%s)\n", out.c_str(),
                     std::strerror(errno ? errno : EIO));
        return kExitFileError;
    };
    if (!WaveHeader::For(format, dataBytes).Write(pending.temp.file.get(), dataBytes))
        return cannotWrite();

    RepairedReader reader(*side, strength, 0, frames, ChunkForm::Stored);
    ProgressBar progress(!options.quiet && ProgressBar::StderrIsTerminal());
    std::vector<repair::ClickSpan> spans;
    std::uint64_t written = 0;
    for (std::span<std::uint8_t> chunk = reader.NextStored(); !chunk.empty();
         chunk = reader.NextStored()) {
        if (std::fwrite(chunk.data(), 1, chunk.size(), pending.temp.file.get()) != chunk.size())
            return cannotWrite();
        written += chunk.size();
        const std::vector<repair::ClickSpan> found = reader.TakeSpans();
        spans.insert(spans.end(), found.begin(), found.end());
        progress.Update(static_cast<int>(100 * written / std::max<std::uint64_t>(dataBytes, 1)),
                        "Repairing clicks");
        if (Interrupted()) {
            progress.Clear();
            std::fprintf(stderr, "velvane-cli: interrupted; %s was not written\n", out.c_str());
            return kExitInterrupted;
        }
    }
    progress.Clear();
    if (reader.Failed() || written != dataBytes) {
        std::fprintf(stderr, "velvane-cli: %s: could not be read to its end; %s was not written\n",
                     in.c_str(), out.c_str());
        return kExitFileError;
    }
    if (!platform::CloseFile(pending.temp.file)) return cannotWrite();
    std::error_code ec;
    if (options.force)
        std::filesystem::rename(pending.temp.path, out, ec);
    else if (!platform::RenameWithoutReplacing(pending.temp.path, out))
        ec = std::error_code(errno, std::generic_category());
    if (ec) {
        std::fprintf(stderr, "velvane-cli: %s: cannot be written (%s)\n", out.c_str(),
                     ec.message().c_str());
        return kExitFileError;
    }
    pending.placed = true;

    if (options.report)
        for (const repair::ClickSpan& span : spans)
            std::printf("click at frame %" PRIu64 " (%s s), %" PRIu32 " frames (%s s)\n",
                        span.start, Seconds(span.start, format.sampleRate).c_str(), span.length,
                        Seconds(span.length, format.sampleRate).c_str());
    if (!options.quiet)
        std::printf("%s: %s, %s s: %zu %s repaired (%s) into %s\n", in.c_str(),
                    format.Text().c_str(), Seconds(frames, format.sampleRate).c_str(), spans.size(),
                    spans.size() == 1 ? "click" : "clicks",
                    std::string(repair::FormatRepairStrength(strength)).c_str(), out.c_str());
    return kExitOk;
}
