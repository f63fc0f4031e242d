#include "jobs/FinishSide.h"

#include "album/EarlierFiles.h"
#include "jobs/JobContext.h"
#include "platform/Paths.h"

SliceFinisher::SliceFinisher(JobContext& ctx, SliceJob job)
    : ctx_(ctx),
      job_(job),
      runsAtOnce_(ctx.EncoderRunsAtOnce()),
      overlap_(runsAtOnce_ > 1),
      queue_(ctx,
             job == SliceJob::SliceByMarkers ? EncodeNaming::Markers : EncodeNaming::AutoOrTyped,
             runsAtOnce_, tally_, [this](int handle) { SideEncoded(handle); }) {
    std::vector<std::string> sidePaths;
    for (const Side side : kSides)
        if (std::string path = ctx.SidePath(side); !path.empty()) sidePaths.push_back(path);
    for (const Side side : kSides)
        if (!ctx.SidePath(side).empty()) {
            Folder& folder = FolderOf(ctx.OutputFolder(side));
            if (folder.before.empty()) folder.before = album::FindRunFiles(folder.path, sidePaths);
        }
}

SliceFinisher::Folder& SliceFinisher::FolderOf(const std::string& path) {
    for (Folder& folder : folders_)
        if (folder.path == path) return folder;
    folders_.push_back({path, {}, {}});
    return folders_.back();
}

void SliceFinisher::BeginSide(Side side, const std::string& folder, int firstNumber, bool bothSides,
                              const SideTracks& tracks) {
    SideSteps steps{side, folder, firstNumber, bothSides, tracks};
    // Runs that start while the side is written must know now whether to start at all.
    if (overlap_) {
        steps.encode = ctx_.CreateEncodedFiles();
        if (steps.encode) OpenInQueue(steps, -1);
    }
    sides_.push_back(std::move(steps));
}

void SliceFinisher::SliceWritten(int number) {
    const SideSteps& steps = sides_.back();
    if (overlap_ && steps.encode) queue_.Add(steps.handle, number);
}

bool SliceFinisher::SideWritten(unsigned count, const SideTracks& tracks) {
    SideSteps& steps = sides_.back();
    steps.tracks = tracks;
    // Whatever this job may call the side's files, under either naming and any encoder.
    std::vector<std::string>& written = FolderOf(steps.folder).written;
    for (unsigned i = 0; i < count; ++i) {
        const int number = steps.firstNumber + static_cast<int>(i);
        const int index = static_cast<int>(i) + 1;
        written.push_back(tracks.SliceName(number, index));
        for (int kind = 0; kind < kEncoderKindCount; ++kind)
            for (const EncodeNaming naming : {EncodeNaming::AutoOrTyped, EncodeNaming::Markers})
                written.push_back(
                    tracks.EncodedName(number, index, static_cast<EncoderKind>(kind), naming));
    }
    if (ctx_.VoiceAfterSlicing())
        ctx_.PlayVoice("wavside" + model::NumberText(steps.side) + ".wav");
    if (!overlap_) {
        steps.encode = ctx_.CreateEncodedFiles();
        if (!steps.encode) return true;
        OpenInQueue(steps, static_cast<int>(count));
        ctx_.SetStatus(encode::ConvertingStatus(steps.side));
        for (unsigned i = 0; i < count; ++i)
            queue_.Add(steps.handle, steps.firstNumber + static_cast<int>(i));
        return queue_.WaitForAll();
    }
    if (!steps.encode) return true;
    ctx_.SetStatus(encode::ConvertingStatus(steps.side));
    queue_.CloseSide(steps.handle, static_cast<int>(count), tracks);
    queue_.Poll();
    return !queue_.Stopped();
}

bool SliceFinisher::Finish() {
    return queue_.WaitForAll();
}

std::vector<std::string> SliceFinisher::Report() {
    if (job_ == SliceJob::SliceByMarkers && ctx_.DeleteWaveSlices())
        for (const SideSteps& steps : sides_)
            if (steps.encode)
                encode::DeleteSlices(steps.folder, queue_.Encoded(steps.handle), steps.tracks,
                                     steps.firstNumber);
    jobs::ReportEncodeFailures(ctx_, tally_);
    return SettleEarlierFiles();
}

std::vector<std::string> SliceFinisher::SettleEarlierFiles() {
    std::vector<std::string> remaining;
    for (const Folder& folder : folders_) {
        const std::vector<std::string> left =
            album::EarlierFilesLeft(folder.before, folder.written);
        if (left.empty()) continue;
        const bool remove = ctx_.RemoveEarlierFiles(folder.path, left);
        for (const std::string& name : left) {
            const std::string path = platform::JoinPath(folder.path, name);
            if (!remove || std::remove(path.c_str()) != 0) remaining.push_back(path);
        }
    }
    return remaining;
}

void SliceFinisher::OpenInQueue(SideSteps& steps, int count) {
    steps.handle = queue_.OpenSide(
        {steps.side, steps.folder, steps.firstNumber, count, steps.bothSides, steps.tracks});
}

// All of a side's runs have ended.
void SliceFinisher::SideEncoded(int handle) {
    for (const SideSteps& steps : sides_) {
        if (steps.handle != handle) continue;
        if (ctx_.VoiceAfterEncoding())
            ctx_.PlayVoice("mp3side" + model::NumberText(steps.side) + ".wav");
        if (job_ == SliceJob::SliceAutoOrTyped && ctx_.DeleteWaveSlices())
            encode::DeleteSlices(steps.folder, queue_.Encoded(handle), steps.tracks,
                                 steps.firstNumber);
    }
}

SideEncodeResult jobs::EncodeSlices(JobContext& ctx, const SideSlices& slices, EncodeNaming naming,
                                    EncodeTally& tally) {
    EncodingQueue queue(ctx, naming, ctx.EncoderRunsAtOnce(), tally);
    const int handle = queue.OpenSide(slices);
    ctx.SetStatus(encode::ConvertingStatus(slices.side));
    for (int index = 1; index <= slices.count; ++index)
        queue.Add(handle, slices.firstNumber + index - 1);
    SideEncodeResult result;
    result.stopped = !queue.WaitForAll();
    result.encoded = queue.Encoded(handle);
    if (result.stopped) ctx.SetSlicing(false);
    return result;
}

void jobs::ReportEncodeFailures(JobContext& ctx, const EncodeTally& tally) {
    if (tally.failedSlices == 0) return;
    ctx.EncodingFailed(tally.failedCommand, tally.failureReason);
    ctx.ShowMessage(kEncodeFailedCaption, encode::EncodeFailureText(tally));
}
