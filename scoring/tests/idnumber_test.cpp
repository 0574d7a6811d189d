#include "scoring/idnumber.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

TEST(ReadIdNumber, BothLayouts) {
    struct Case {
        const char* number;
        const char* birthDate;
        const char* sex;
        int year;
    };
    const Case cases[] = {
        {"440301198503071234", "1985年03月07日", "男", 1985},
        {"440301198503071244", "1985年03月07日", "女", 1985},
        {"440301198503071204", "1985年03月07日", "女", 1985},
        {"44030119850307123X", "1985年03月07日", "男", 1985},
        {"440301850307122", "1985年03月07日", "女", 1985},
        {"440301000101001", "1900年01月01日", "男", 1900},
        {"440301199913451234", "1999年13月45日", "男", 1999},
        {"440301203001011234", "2030年01月01日", "男", 2030},
        // Month and day are copied, whatever they hold.
        {"4403011985X0Y71234", "1985年X0月Y7日", "男", 1985},
        {"44030185年月日日122", "1985年年月月日日日", "女", 1985},
        {"XXXXXX198503071234", "1985年03月07日", "男", 1985},
    };
    for (const Case& c : cases) {
        auto reading = readIdNumber(c.number);
        ASSERT_TRUE(reading) << c.number;
        EXPECT_EQ(reading->birthDate, c.birthDate) << c.number;
        EXPECT_EQ(reading->sex, c.sex) << c.number;
        EXPECT_EQ(reading->birthYear, c.year) << c.number;
    }
}

TEST(ReadIdNumber, RefusesWrongLengthsAndNonDigitYearOrSex) {
    const char* refused[] = {
        "",
        "4403011985030712",                     // 16
        "44030119850307123",                    // 17
        "4403011985030712345",                  // 19
        "44030119X503071234",                   // year position
        "4403011985030712X4",                   // sex position, 18
        "4403018X0307122",                      // year position, 15
        "44030185030712X",                      // sex position, 15
        "身份证号码身份证号码身份证号码",       // 15 Chinese characters
        "身份证号码身份证号码身份证号码身份证", // 18 Chinese characters
        "440301１９８５03071234",               // full-width year digits
    };
    for (const char* number : refused)
        EXPECT_FALSE(readIdNumber(number)) << number;
}

TEST(ReadIdNumber, CountsCharactersNotBytes) {
    // 15 characters, 21 bytes: the Chinese month and day are copied whole, never cut.
    auto reading = readIdNumber("44030185年月日1232");
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->birthDate, "1985年年月月日1日");
    EXPECT_EQ(reading->sex, "女");
}

} // namespace
