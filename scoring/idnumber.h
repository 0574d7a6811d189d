// Reading an identity-card number of 15 or 18 characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

struct IdReading {
    std::string birthDate; // "1985年03月07日": month and day copied as they stand
    std::string sex;       // "男" for an odd sex digit, "女" for an even one
    int birthYear;
};

// What 出生日期 shows for a number that cannot be read.
inline constexpr std::string_view kIdNumberError = "号码有误";

// Positions count characters (code points) of valid UTF-8. nullopt when the length is
// neither 15 nor 18, or when a year or sex position holds anything but an ASCII digit.
std::optional<IdReading> readIdNumber(std::string_view number);

} // namespace pelmora
