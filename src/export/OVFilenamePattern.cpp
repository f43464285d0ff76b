#include "inkstead/export/OVFilenamePattern.h"

#include "inkstead/watermarks/OVTextVariables.h"

#include <algorithm>
#include <ctime>

OVFilenamePattern::~OVFilenamePattern() = default;

std::shared_ptr<OVFilenamePattern> OVFilenamePattern::pattern() {
    return std::make_shared<OVFilenamePattern>();
}

std::vector<std::string> OVFilenamePattern::availablePatternOptions() {
    return {std::string(kOVPatternFilenameKey), std::string(kOVPatternDateKey),
            std::string(kOVPatternIncrementKey), std::string(kOVPatternSeparatorKey)};
}

std::int64_t OVFilenamePattern::numberOfDigits() {
    if (numberOfDigits_ == 0)
        numberOfDigits_ = 3;
    return numberOfDigits_;
}

void OVFilenamePattern::setNumberOfDigits(std::int64_t digits) {
    numberOfDigits_ = digits;
    numberFormatter_.reset();
}

void OVFilenamePattern::setDateStyle(std::uint64_t style) {
    dateStyle_ = style;
    dateFormatter_.reset();
}

const OVNumberFormatter& OVFilenamePattern::numberFormatter() {
    if (!numberFormatter_) {
        const std::int64_t digits = numberOfDigits();
        numberFormatter_ = std::make_unique<OVNumberFormatter>(digits >= 2 ? digits : 1);
    }
    return *numberFormatter_;
}

const OVDateFormatter& OVFilenamePattern::dateFormatter() {
    if (!dateFormatter_)
        dateFormatter_ = std::make_unique<OVDateFormatter>(dateStyle_);
    return *dateFormatter_;
}

std::string OVFilenamePattern::renameWithCurrentPattern(std::string_view filename) {
    return renameWithCurrentPattern(filename, std::nullopt);
}

std::string OVFilenamePattern::renameWithCurrentPattern(std::string_view filename,
                                                        std::optional<std::int64_t> increment) {
    return renameWithCurrentPattern(filename, increment, nullptr);
}

bool OVFilenamePattern::hasVariableTokens() const {
    return std::any_of(tokens_.begin(), tokens_.end(), [](const std::string& token) {
        return OVTextVariables::mayHoldVariables(token);
    });
}

std::string OVFilenamePattern::renameWithCurrentPattern(std::string_view filename,
                                                        std::optional<std::int64_t> increment,
                                                        const OVTextVariables* variables) {
    const OVFilenameParts parts = OVSplitFilename(filename);
    std::string result;
    for (const std::string& token : tokens_) {
        if (token == kOVPatternFilenameKey)
            result += parts.base;
        else if (token == kOVPatternDateKey)
            result += date();
        else if (token == kOVPatternIncrementKey)
            result += numberFormatter().stringFromNumber(increment.value_or(1));
        else if (variables)
            result += variables->expandForFilename(token);
        else
            result += token;
    }
    result += '.';
    result += parts.extension;
    return result;
}

std::string OVFilenamePattern::date() {
    const std::string formatted = dateFormatter().stringFromDate(std::time(nullptr));
    std::string result;
    result.reserve(formatted.size());
    for (char c : formatted) {
        if (c == '/')
            result += '-';
        else if (c != ',')
            result += c;
    }
    return result;
}

OVFilenameParts OVSplitFilename(std::string_view filename) {
    const std::size_t dot = filename.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {std::string(filename), {}};
    return {std::string(filename.substr(0, dot)), std::string(filename.substr(dot + 1))};
}
