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
    EXPECT_EQ(model::ParseTypedTime(GetParam().text), GetParam().tenths)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTypedTimeCases,
    ::testing::Values(TypedCase{"95", 950}, TypedCase{"1.35", 950}, TypedCase{"1.35.", 950},
                      TypedCase{"1.35.2", 952}, TypedCase{"1.35.25", 952},
                      TypedCase{"1.35.29", 952}, TypedCase{"3.20.5", 2005}, TypedCase{"7.02", 4220},
                      TypedCase{"0.0.5", 5}, TypedCase{"1.2.3.4", 0}, TypedCase{"abc", 0},
                      TypedCase{"1x.30", 0}, TypedCase{"", 0}, TypedCase{" 2.5", 1250},
                      TypedCase{"+1.0", 600},
                      // Negative and oversized times give no cut rather than a wrapped one.
                      TypedCase{"-5", 0}, TypedCase{"-1.30", 0}, TypedCase{"3579140.0", 0},
                      TypedCase{"3579139.4", 2147483440}, TypedCase{"99999999999999999999", 0},
                      TypedCase{"214748364.8", 0}));

// Clock forms are times; whatever is neither a time nor empty is refused, not taken as no cut.
TEST(ReadTypedTime, TellsTimesFromNoCutAndFromWhatIsNotATime) {
    const struct {
        const char* text;
        TypedTimeKind kind;
        std::int32_t tenths;
    } cases[] = {
        {"3:20", TypedTimeKind::Time, 2000},
        {"3:20.5", TypedTimeKind::Time, 2005},
        {"0:05.25", TypedTimeKind::Time, 52},
        {"1:02:03", TypedTimeKind::Time, 37230},
        {"1:02:03.4", TypedTimeKind::Time, 37234},
        {" 12:00 ", TypedTimeKind::Time, 7200},
        {"95", TypedTimeKind::Time, 950},
        {"0", TypedTimeKind::Time, 0},
        {"", TypedTimeKind::NoCut, 0},
        {"  ", TypedTimeKind::NoCut, 0},
        {"1.2.3.4", TypedTimeKind::NoCut, 0},
        {"6 34", TypedTimeKind::NotATime, 0},
        {"-5", TypedTimeKind::NotATime, 0},
        {"abc", TypedTimeKind::NotATime, 0},
        {"1x.30", TypedTimeKind::NotATime, 0},
        {".", TypedTimeKind::NotATime, 0},
        {"3:75", TypedTimeKind::NotATime, 0},
        {"3:5", TypedTimeKind::NotATime, 0},
        {":20", TypedTimeKind::NotATime, 0},
        {"3:20.", TypedTimeKind::NotATime, 0},
        {"1:2:3:4", TypedTimeKind::NotATime, 0},
        {"1:20.3.4", TypedTimeKind::NotATime, 0},
        {"3579140.0", TypedTimeKind::NotATime, 0},
    };
    for (const auto& c : cases) {
        const TypedTime time = model::ReadTypedTime(c.text);
        EXPECT_EQ(time.kind, c.kind) << '"' << c.text << '"';
        EXPECT_EQ(time.tenths, c.tenths) << '"' << c.text << '"';
    }
    const std::string fields[] = {"1.00", "", "6 34", "abc"};
    EXPECT_EQ(model::UnreadableTypedTimes(Side::Two, fields),
              "side 2, box 3: \"6 34\" is not a time; write min.sec.dsec, m:ss, m:ss.d or "
              "h:mm:ss\nside 2, box 4: \"abc\" is not a time; write min.sec.dsec, m:ss, m:ss.d "
              "or h:mm:ss");
    EXPECT_EQ(model::UnreadableTypedTimes(Side::One, std::span(fields, 2)), "");
}

TEST(LeadingInteger, ReadsLikeAtolAndSaturates) {
    EXPECT_EQ(model::LeadingInteger("  -42abc"), -42);
    EXPECT_EQ(model::LeadingInteger("x1"), 0);
    EXPECT_EQ(model::LeadingInteger("-"), 0);
    EXPECT_EQ(model::LeadingInteger("123456789012345678901234"), INT64_MAX);
    EXPECT_EQ(model::LeadingInteger("-123456789012345678901234"), INT64_MIN);
}

}  // namespace
