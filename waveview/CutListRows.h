#pragma once
// What the cut list shows of a side: one row per cut with its time and the length of the
// song it ends, then a row for the side's end with the last song's length; and the words
// for an edit the list refused. Pure functions; GUI thread in the program.

#include <string>
#include <vector>

#include "model/SideState.h"
#include "waveview/CutEditing.h"

struct CutRow {
    int cutIndex = -1;   ///< the cut's index in the side's list; -1 for the end row
    std::string name;    ///< "Cut 3", or "End"
    std::string at;      ///< "m:ss.d": the cut, or the side's length
    std::string length;  ///< "m:ss.d": the song that ends here
};

namespace waveview {

/// The rows of `side`, in the order of its cuts (as they stand: a list a job left
/// unsorted shows unsorted). The end row only when the side's length is known.
std::vector<CutRow> CutRows(const SideState& side);

/// Why an edit was refused, for a message; "" for Done. `side` gives the length that
/// bounds a cut.
std::string CutListEditText(CutListEdit result, const SideState& side);

}  // namespace waveview
