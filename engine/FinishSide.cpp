#include "engine/FinishSide.h"

#include "engine/JobContext.h"

namespace {

std::string SideText(int side) {
    return std::to_string(side);
}

}  // namespace

bool FinishSideSlices(JobContext& ctx, SliceBatch& batch) {
    if (ctx.VoiceAfterSlicing()) ctx.PlayVoice("wavside" + SideText(batch.side) + ".wav");
    if (!ctx.CreateEncodedFiles()) return true;
    const SideSlices slices{batch.side,        batch.folder,
                            batch.firstNumber, static_cast<int>(batch.count),
                            batch.bothSides,   batch.tracks};
    const EncodeNaming naming =
        batch.job == SliceJob::SliceByMarkers ? EncodeNaming::Markers : EncodeNaming::AutoOrTyped;
    // Sets the converting status itself.
    SideEncodeResult result = EncodeSlices(ctx, slices, naming, batch.failures);
    batch.encoded = std::move(result.encoded);
    if (result.stopped) return false;
    if (ctx.VoiceAfterEncoding()) ctx.PlayVoice("mp3side" + SideText(batch.side) + ".wav");
    if (batch.job == SliceJob::SliceAutoOrTyped && ctx.DeleteWaveSlices())
        DeleteSlices(batch.folder, batch.encoded, batch.tracks, batch.firstNumber);
    return true;
}

void FinishSlicingJob(JobContext& ctx, std::span<const SliceBatch> batches) {
    EncodeTally failures;
    for (const SliceBatch& batch : batches) {
        if (batch.job == SliceJob::SliceByMarkers && ctx.DeleteWaveSlices())
            DeleteSlices(batch.folder, batch.encoded, batch.tracks, batch.firstNumber);
        if (failures.failedSlices == 0)
            failures = batch.failures;
        else
            failures.failedSlices += batch.failures.failedSlices;
    }
    ReportEncodeFailures(ctx, failures);
}
