#include "model/TypedTimes.h"

#include <gtest/gtest.h>

namespace {

struct TypedCase {
    const char* text;
    std::int32_t tenths;
};

void PrintTo(const TypedCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ParseTypedTimeCases : public ::testing::TestWithParam<TypedCase> {};

TEST_P(ParseTypedTimeCases, GivesTenthsOfASecond) {
    EXPECT_EQ(ParseTypedTime(GetParam().text), GetParam().tenths) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTypedTimeCases,
    ::testing::Values(TypedCase{"95", 950}, TypedCase{"1.35", 950}, TypedCase{"1.35.", 950},
                      TypedCase{"1.35.2", 952}, TypedCase{"1.35.25", 952},
                      TypedCase{"1.35.29", 952}, TypedCase{"3.20.5", 2005}, TypedCase{"7.02", 4220},
                      TypedCase{"0.0.5", 5}, TypedCase{"1.2.3.4", 0}, TypedCase{"abc", 0},
                      TypedCase{"1x.30", 900}, TypedCase{"", 0}, TypedCase{" 2.5", 1250},
                      TypedCase{"+1.0", 600},
                      // Negative and oversized times give no cut rather than a wrapped one.
                      TypedCase{"-5", 0}, TypedCase{"-1.30", 0}, TypedCase{"3579140.0", 0},
                      TypedCase{"3579139.4", 2147483440}, TypedCase{"99999999999999999999", 0},
                      TypedCase{"214748364.8", 0}));

TEST(LeadingInteger, ReadsLikeAtolAndSaturates) {
    EXPECT_EQ(LeadingInteger("  -42abc"), -42);
    EXPECT_EQ(LeadingInteger("x1"), 0);
    EXPECT_EQ(LeadingInteger("-"), 0);
    EXPECT_EQ(LeadingInteger("123456789012345678901234"), INT64_MAX);
    EXPECT_EQ(LeadingInteger("-123456789012345678901234"), INT64_MIN);
}

}  // namespace
