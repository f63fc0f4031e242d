#include "repair/RepairStrength.h"

#include <gtest/gtest.h>

namespace {

using repair::RepairStrength;

TEST(RepairStrength, NamesReadBackAndNothingElseReads) {
    for (auto strength : {RepairStrength::Off, RepairStrength::Light, RepairStrength::Medium,
                          RepairStrength::Strong}) {
        EXPECT_EQ(repair::ParseRepairStrength(repair::FormatRepairStrength(strength)), strength);
    }
    EXPECT_EQ(repair::FormatRepairStrength(RepairStrength::Medium), "medium");
    for (const char* text : {"", "Medium", "medium ", "hard", "2"}) {
        EXPECT_FALSE(repair::ParseRepairStrength(text).has_value()) << text;
    }
}

}  // namespace
