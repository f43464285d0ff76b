#include "inkstead/export/OVSaveProgress.h"

double OVSaveProgress::fractionCompleted() const {
    if (total_ <= 0)
        return 0.0;
    return static_cast<double>(completed_.load()) / static_cast<double>(total_);
}

void OVSaveProgress::cancel() {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_.exchange(true))
            return;
        handler = std::move(handler_);
    }
    if (handler)
        handler();
}

void OVSaveProgress::setCancellationHandler(std::function<void()> handler) {
    {
        std::lock_guard lock(mutex_);
        if (!cancelled_.load()) {
            handler_ = std::move(handler);
            return;
        }
    }
    if (handler)
        handler();
}
