#pragma once
// Cuts placed on a side one at a time so that no song comes out shorter than the minimum:
// every slice, the first from the side's start and the last to its end, at least
// `minSong` blocks long. With a number of cuts to reach, a cut is refused when the slices it
// leaves could no longer take the rest, so that taking candidates in any order still ends
// with that number whenever the side is long enough for it.
//
// Plain arithmetic on block numbers; any thread.

#include <cstdint>
#include <vector>

class CutSpacing {
  public:
    /// A side of `blocks` blocks, songs of at least `minSong` blocks (1 or more is used),
    /// `wanted` cuts to reach; `reserve`: keep room for all of them (or, when the side holds
    /// fewer, for as many as it holds).
    CutSpacing(std::int64_t blocks, std::int64_t minSong, std::size_t wanted, bool reserve);

    /// Adds the cut at block `cut` when every slice stays at least the minimum long, the
    /// wanted number is not reached yet and (with `reserve`) the rest still fit. True when
    /// added.
    bool TryAdd(std::int64_t cut);

    /// True once the wanted cuts (with `reserve`, as many as the side holds) are placed.
    bool Full() const { return cuts_.size() >= wanted_; }
    /// Cuts so far, ascending.
    const std::vector<std::int64_t>& Cuts() const { return cuts_; }
    /// Most cuts the side can hold at all.
    std::size_t MostCuts() const { return Room(0, blocks_); }

  private:
    // Cuts that fit strictly between blocks a and b.
    std::size_t Room(std::int64_t a, std::int64_t b) const;

    std::int64_t blocks_, minSong_;
    std::size_t wanted_;
    bool reserve_;
    std::size_t room_;  // cuts that still fit between those placed
    std::vector<std::int64_t> cuts_;
};
