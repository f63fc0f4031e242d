#pragma once
// What happens to a side's slices once they are written: the voice message, the encoder
// runs and the deletion of the WAV slices. Called by the slicing jobs on the job's thread.

#include <span>
#include <string>
#include <vector>

#include "engine/Encoder.h"
#include "engine/SliceJob.h"

class JobContext;

/// One side's slices as a job wrote them: folder/firstNumber.wav ... in number order.
struct SliceBatch {
    SliceJob job = SliceJob::SliceAutoOrTyped;
    int side = 1;  ///< 1 or 2
    std::string folder;
    int firstNumber = 1;
    unsigned count = 0;       ///< slices written for this side (N1 or N2)
    unsigned side1Count = 0;  ///< slices side 1 got in this job (N1), for side 2's progress
    bool bothSides = false;   ///< both sides take part in this job
    SideTracks tracks;        ///< the names (and tags) of this side's files

    // Filled in by FinishSideSlices.
    std::vector<int> encoded;  ///< numbers of the slices this job's runs encoded
    EncodeTally failures;      ///< this side's failed encoder runs
};

/// In this order: the "wavsideN.wav" voice message (voice after slicing checked); then, only
/// with "Create MP3 (or Ogg) files" checked: the converting status, the encoder runs, the
/// "mp3sideN.wav" voice message (voice after encoding checked) and, in the auto-sense/typed
/// job, the deletion of this side's slices that were encoded (delete checked). Records the
/// encoded slices and the failed runs in the batch.
/// Returns false when the job was asked to end meanwhile: the job then ends at once.
bool FinishSideSlices(JobContext& ctx, SliceBatch& batch);

/// The last step of both slicing jobs: in the marker job with "Delete all wave slices"
/// checked, removes the slices of every batch that were encoded (none when encoding is off:
/// a failed or absent encoder never costs a slice); then one message for all the job's
/// failed encoder runs, if any.
void FinishSlicingJob(JobContext& ctx, std::span<const SliceBatch> batches);
