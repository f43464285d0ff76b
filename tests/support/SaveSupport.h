#pragma once

#include "inkstead/export/OVSaveImageList.h"
#include "inkstead/export/OVSaveManager.h"
#include "inkstead/export/OVSaveProgressPresenter.h"
#include "support/TestSupport.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace ov::test {

/// An image list of plain paths: an entry resolves while its file exists. Its preset is the
/// one of `presetIDs` at its index, or "preset".
class PathImageList : public OVSaveImageList {
public:
    explicit PathImageList(std::vector<std::filesystem::path> files,
                           std::vector<std::string> presetIDs = {})
        : files(std::move(files)), presetIDs(std::move(presetIDs)) {}
    std::size_t count() const override { return files.size(); }
    std::optional<std::filesystem::path> URLAtIndex(std::size_t index) const override;
    std::string presetIDAtIndex(std::size_t index) const override {
        return index < presetIDs.size() ? presetIDs[index] : "preset";
    }

    std::vector<std::filesystem::path> files;
    std::vector<std::string> presetIDs;
};

/// Writes the source's bytes as the "rendered" output, with a hook that runs before each image
/// (to slow images down, delete files, or fail them by returning a reason).
class CopyRenderer : public OVSaveImageRenderer {
public:
    std::function<std::string(const std::filesystem::path& source)> beforeEach;
    std::atomic<int> inFlight{0};
    std::atomic<int> maxInFlight{0};
    std::atomic<int> batchesFinished{0};

    std::string saveImage(const std::filesystem::path& source, const std::string& presetID,
                          const std::filesystem::path& destination) override;
    void batchDidFinish() override { ++batchesFinished; }
};

/// 0, 1, ..., count - 1.
std::vector<std::size_t> indexesBelow(std::size_t count);

/// Runs one batch of `manager` to its end and returns the report; checks that the completion
/// came once.
OVSaveReport runBatch(OVSaveManager& manager, std::vector<std::size_t> indexes);

/// Records every presenter call in order.
class RecordingPresenter : public OVSaveProgressPresenter {
public:
    void beginSheetModalForWindow(OVHostWindow*) override { record("begin"); }
    void endSheet(OVHostWindow*) override { record("end"); }
    void setFileLabel(const std::string& text) override { record("file:" + text); }
    void setCountLabel(const std::string& text) override { record("count:" + text); }
    void setProgressValue(double value) override { record("value:" + std::to_string(value)); }

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    void record(std::string call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

} // namespace ov::test
