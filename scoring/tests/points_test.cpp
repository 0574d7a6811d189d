#include "scoring/points.h"

#include <gtest/gtest.h>

#include <string>

using namespace pelmora;

namespace {

TEST(EducationPoints, ExactTextOnly) {
    const std::pair<const char*, int> cases[] = {
        {"高中或以下学历", 0},     {"中专", 0},
        {"全日制大专或高技", 70},  {"全日制本科", 90},
        {"全日制本科有学位", 100}, {"非全日制大专或高技", 60},
        {"非全日制本科", 80},      {"", 0},
        {"全日制本科 ", 0},        {"全日制本科有", 0},
    };
    for (auto [text, points] : cases)
        EXPECT_EQ(educationPoints(text), points) << text;
}

TEST(AgePoints, BandsAndExemptEducation) {
    struct Case {
        double age;
        double plain;  // any education that is not exempt
        double exempt; // 全日制本科 and 全日制本科有学位
    };
    const Case cases[] = {
        {17, 0, 0},     {17.9, 0, 0}, {18, 5, 5},    {34, 5, 5},   {34.9, 5, 5},     {35, 1, 1},
        {39, 1, 1},     {40, -2, 0},  {41, -4, 0},   {42, -6, 0},  {43, -8, 0},      {44, -10, 0},
        {44.5, -11, 0}, {45, -15, 0}, {46, -20, 0},  {47, -25, 0}, {47.5, -27.5, 0}, {48, 0, 0},
        {120, 0, 0},    {-4, 0, 0},   {1e300, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(agePoints(c.age, "全日制大专或高技"), c.plain) << c.age;
        EXPECT_EQ(agePoints(c.age, ""), c.plain) << c.age;
        EXPECT_EQ(agePoints(c.age, "全日制本科"), c.exempt) << c.age;
        EXPECT_EQ(agePoints(c.age, "全日制本科有学位"), c.exempt) << c.age;
    }
}

TEST(BirthPoints, OnlyOutsidePolicyDeducts) {
    EXPECT_EQ(birthPoints("未育"), 0);
    EXPECT_EQ(birthPoints("政策内生育"), 0);
    EXPECT_EQ(birthPoints("政策外生育"), -50);
    EXPECT_EQ(birthPoints(""), 0);
}

TEST(PropertyOutcome, PointsAndResidenceBox) {
    struct Case {
        const char* text;
        int points;
        bool residenceEnabled;
    };
    const Case cases[] = {{"无房产", 0, false},
                          {"有房无按揭", 30, false},
                          {"有房有按揭", 20, false},
                          {"居住证", 0, true}};
    for (const Case& c : cases) {
        auto outcome = propertyOutcome(c.text);
        ASSERT_TRUE(outcome) << c.text;
        EXPECT_EQ(outcome->points, c.points) << c.text;
        EXPECT_EQ(outcome->residenceEnabled, c.residenceEnabled) << c.text;
    }
    EXPECT_FALSE(propertyOutcome(""));
    EXPECT_FALSE(propertyOutcome("有房"));
}

TEST(ResidencePoints, FullYearsUpToTen) {
    const std::pair<const char*, double> cases[] = {
        {"0", 0},           {"-5", 0},     {"364", 0},   {"365", 1},   {"729", 1},
        {"730", 2},         {"3650", 10},  {"4014", 10}, {"4015", 10}, {"2147483647", 10},
        {"9999999999", 10}, {"1e300", 10}, {"364.5", 0}, {"365.4", 1}, {"0.4", 0},
        {"abc", 0},         {"1e309", 0},  {"0012", 0},  {"1000", 2},
    };
    for (auto [text, points] : cases)
        EXPECT_EQ(residencePoints(text), points) << text;
}

TEST(MonthsPoints, FullYearsTimesRate) {
    struct Case {
        const char* months;
        double pension; // 3 a year
        double other;   // 1 a year
    };
    const Case cases[] = {
        {"0", 0, 0},
        {"11", 0, 0},
        {"12", 3, 1},
        {"23", 3, 1},
        {"24", 6, 2},
        {"0012", 3, 1},
        {"240", 60, 20},
        {"360", 90, 30},
        {"12.5", 3, 1},
        {"11.5", 3, 1},
        {"23.5", 6, 2},
        {"-24", 0, 0},
        {"abc", 0, 0},
        {"1e309", 0, 0},
        {"3.6", 0, 0},
        {"3000000000", 750000000, 250000000},
        {"2147483648", 536870910, 178956970},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(monthsPoints(c.months, 3), c.pension) << c.months;
        EXPECT_EQ(monthsPoints(c.months, 1), c.other) << c.months;
    }
}

} // namespace
