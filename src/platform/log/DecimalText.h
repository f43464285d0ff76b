#pragma once

#include <string>

namespace ov {

/// `value` with up to `maxDecimals` decimals and no trailing zeros, as people read numbers in
/// names and messages: (2.50, 2) → "2.5", (3.0, 1) → "3", (1/3, 0) → "0".
[[nodiscard]] std::string decimalText(double value, int maxDecimals);

} // namespace ov
