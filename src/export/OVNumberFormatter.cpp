#include "inkstead/export/OVFilenamePattern.h"

#include <algorithm>
#include <string>

OVNumberFormatter::OVNumberFormatter(std::int64_t minimumIntegerDigits)
    : minimumIntegerDigits_(std::clamp<std::int64_t>(minimumIntegerDigits, 1, 64)) {}

std::string OVNumberFormatter::stringFromNumber(std::int64_t number) const {
    // Work on the magnitude as unsigned so that the smallest 64-bit value has a magnitude too.
    const bool negative = number < 0;
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(number) + 1 : static_cast<std::uint64_t>(number);
    std::string digits = std::to_string(magnitude);
    if (static_cast<std::int64_t>(digits.size()) < minimumIntegerDigits_)
        digits.insert(0, static_cast<std::size_t>(minimumIntegerDigits_) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}
