#pragma once

#include "inkstead/export/OVOutputNames.h"
#include "inkstead/platform/log/Result.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

/// One of `count` tasks that share a batch, numbered 1 to `count`.
///
/// Positions of the whole input list are dealt round-robin: position p (0-based) belongs to task
/// (p mod count) + 1. Neighbouring photos (often one camera's folder, of one size) are spread
/// over all tasks, so tasks take about equally long. A default-made shard is the whole batch.
struct OVShard {
    std::size_t index = 1;
    std::size_t count = 1;

    [[nodiscard]] bool isValid() const { return count >= 1 && index >= 1 && index <= count; }
    [[nodiscard]] bool contains(std::size_t position) const {
        return position % count == index - 1;
    }
    /// The positions of a list of `total` entries that belong to this shard, ascending.
    [[nodiscard]] std::vector<std::size_t> positions(std::size_t total) const;

    /// Reads an environment variable; ::getenv by default.
    using Environment = std::function<const char*(const char*)>;

    /// The shard of this process among `count` as a scheduler's array task:
    /// - Slurm (`SLURM_ARRAY_TASK_ID`): task ids are taken as 1 to `count`, as an array submitted
    ///   with `--array=1-<count>` numbers them, so a task resubmitted alone (`--array=3`) keeps its
    ///   shard. An array that starts at 0 (`SLURM_ARRAY_TASK_MIN` is 0, or the id itself is 0) is
    ///   read 0-based instead.
    /// - Kubernetes Indexed Jobs (`JOB_COMPLETION_INDEX`): always 0-based.
    /// An error (code invalid_argument) when neither is set, a value is not a number, or the
    /// task lies outside 1 to `count`.
    [[nodiscard]] static ov::Result<OVShard> fromEnvironment(std::size_t count,
                                                             const Environment& environment = {});
};

/// The part of a batch that one shard writes.
struct OVShardPlan {
    std::vector<std::size_t> positions;       ///< positions in the whole list, ascending
    std::vector<std::filesystem::path> names; ///< output path of each, relative to the folder
};

/// Names the whole list as one unsharded batch would (a pattern's running number is the global
/// position + 1; equal names go to the earlier source first) and keeps the shard's part. The
/// names depend on the list alone, never on the files in the output folder, so every task, and
/// a task that is run again after others have written, gives every source the same name.
/// `sources` holds every entry of the list, the missing ones too (they keep their positions).
[[nodiscard]] OVShardPlan OVPlanShard(const std::vector<std::filesystem::path>& sources,
                                      OVOutputNaming naming, const OVShard& shard);
