#include "inkstead/export/OVShard.h"

#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

std::optional<std::size_t> parseNumber(std::string_view text) {
    std::size_t value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

ov::Error failWith(std::string message) {
    return ov::makeError(std::errc::invalid_argument, std::move(message));
}

} // namespace

std::vector<std::size_t> OVShard::positions(std::size_t total) const {
    std::vector<std::size_t> result;
    if (!isValid())
        return result;
    result.reserve(total / count + 1);
    for (std::size_t p = index - 1; p < total; p += count)
        result.push_back(p);
    return result;
}

ov::Result<OVShard> OVShard::fromEnvironment(std::size_t count, const Environment& environment) {
    const auto get = [&environment](const char* name) -> const char* {
        return environment ? environment(name) : std::getenv(name);
    };
    if (count == 0)
        return failWith("the number of shards must be at least 1");

    std::string variable;
    std::optional<std::size_t> task;
    bool zeroBased = false;
    if (const char* slurm = get("SLURM_ARRAY_TASK_ID")) {
        variable = "SLURM_ARRAY_TASK_ID";
        task = parseNumber(slurm);
        const char* minimum = get("SLURM_ARRAY_TASK_MIN");
        zeroBased = task == 0u || (minimum && parseNumber(minimum) == 0u);
    } else if (const char* kubernetes = get("JOB_COMPLETION_INDEX")) {
        variable = "JOB_COMPLETION_INDEX";
        task = parseNumber(kubernetes);
        zeroBased = true;
    } else {
        return failWith("neither SLURM_ARRAY_TASK_ID nor JOB_COMPLETION_INDEX is set");
    }
    if (!task)
        return failWith(variable + " is not a task number: \"" + get(variable.c_str()) + "\"");
    const std::size_t index = *task + (zeroBased ? 1 : 0);
    if (index < 1 || index > count)
        return failWith(
            variable + "=" + std::to_string(*task) + " is outside the " + std::to_string(count) +
            " shards (" +
            (zeroBased ? "0 to " + std::to_string(count - 1) : "1 to " + std::to_string(count)) +
            ")");
    return OVShard{index, count};
}

OVShardPlan OVPlanShard(const std::vector<std::filesystem::path>& sources, OVOutputNaming naming,
                        const OVShard& shard) {
    naming.consultFolder = false;
    auto names = OVOutputNames(sources, naming);
    OVShardPlan plan;
    plan.positions = shard.positions(sources.size());
    plan.names.reserve(plan.positions.size());
    for (const std::size_t p : plan.positions)
        plan.names.push_back(std::move(names[p]));
    return plan;
}
