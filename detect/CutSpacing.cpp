#include "detect/CutSpacing.h"

#include <algorithm>

CutSpacing::CutSpacing(std::int64_t blocks, std::int64_t minSong, std::size_t wanted, bool reserve)
    : blocks_(blocks),
      minSong_(std::max<std::int64_t>(1, minSong)),
      wanted_(wanted),
      reserve_(reserve),
      room_(Room(0, blocks)) {
    // Room kept for more cuts than the side holds would refuse every cut.
    if (reserve_) wanted_ = std::min(wanted_, room_);
}

std::size_t CutSpacing::Room(std::int64_t a, std::int64_t b) const {
    const std::int64_t songs = (b - a) / minSong_;
    return songs > 1 ? static_cast<std::size_t>(songs - 1) : 0;
}

bool CutSpacing::TryAdd(std::int64_t cut) {
    if (Full()) return false;
    const auto at = std::lower_bound(cuts_.begin(), cuts_.end(), cut);
    const std::int64_t before = at == cuts_.begin() ? 0 : *(at - 1);
    const std::int64_t after = at == cuts_.end() ? blocks_ : *at;
    if (cut - before < minSong_ || after - cut < minSong_) return false;
    const std::size_t room = room_ - Room(before, after) + Room(before, cut) + Room(cut, after);
    if (reserve_ && room < wanted_ - cuts_.size() - 1) return false;
    room_ = room;
    cuts_.insert(at, cut);
    return true;
}
