#include "inkstead/presets/OVPreset.h"

#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/notify/NotificationCenter.h"
#include "inkstead/presets/OVNotifications.h"
#include "inkstead/watermarks/OVTiledRendering.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <algorithm>
#include <mutex>

namespace {

std::atomic<std::chrono::nanoseconds::rep> gSaveTimerInterval{
    std::chrono::nanoseconds(std::chrono::seconds(5)).count()};

// A text watermark is placed this far left of the click, so the click lands near its middle.
constexpr double kTextInsertionShift = 245.0;

void postOnMainQueue(std::string_view name) {
    ov::NotificationCenter::defaultCenter().postOnMainQueue(name);
}

} // namespace

// State the save timer shares with its preset. The timer holds it weakly and never holds the
// preset, so a discarded preset is destroyed (and stops its timer) on the thread that drops it.
struct OVPreset::Shared {
    // Guards `watermarks` against the timer thread: list changes take it, the timer reads the
    // list under it. Main-thread reads need no lock, since only the main thread writes.
    mutable std::mutex listLock;
    std::vector<OVWatermarkPtr> watermarks;
    std::optional<std::string> name;
    std::shared_ptr<const OVTextVariables> textVariables;
    std::shared_ptr<OVStampCache> stampCache;
    std::atomic<bool> shouldSave{false};
    std::shared_ptr<ov::dispatch::TimerSource> saveTimer;
    // Set when the preset goes away. Ticks run under `tickLock` and check it first, and the
    // posts they queue check it again, so nothing is requested for a preset that is gone.
    std::mutex tickLock;
    std::atomic<bool> stopped{false};

    void stop() {
        std::lock_guard lock(tickLock);
        stopped.store(true);
    }

    // One tick of the save timer, on a background thread: at most one save request, for the
    // preset itself first, else for the first dirty watermark. The flag is cleared on the main
    // queue right after the notification, so the host sees every change it is asked to save.
    static void saveTick(const std::weak_ptr<Shared>& weak) {
        auto self = weak.lock();
        if (!self)
            return;
        std::lock_guard tick(self->tickLock);
        if (self->stopped.load())
            return;
        auto main = ov::dispatch::mainQueue();
        if (self->shouldSave.load()) {
            main->async([self] {
                if (self->stopped.load())
                    return;
                ov::NotificationCenter::defaultCenter().post(kOVPresetShouldSave);
                self->shouldSave.store(false);
            });
            return;
        }
        std::lock_guard lock(self->listLock);
        for (const auto& watermark : self->watermarks) {
            if (watermark->shouldSave()) {
                main->async([self, watermark] {
                    if (self->stopped.load())
                        return;
                    ov::NotificationCenter::defaultCenter().post(kOVPresetShouldSave);
                    watermark->setShouldSave(false);
                });
                break;
            }
        }
    }
};

OVPreset::OVPreset() : shared_(std::make_shared<Shared>()) {
    // Whatever makes presets can archive them.
    OVRegisterPresetClasses();
}

OVPreset::OVPreset(std::string name) : OVPreset() {
    shared_->name = std::move(name);
    uuid_ = ov::UUID::random();
    sharedSetup();
}

OVPreset::~OVPreset() {
    shared_->stop();
    if (shared_->saveTimer)
        shared_->saveTimer->cancel();
}

std::shared_ptr<OVPreset> OVPreset::defaultPresetTemplate() {
    return std::make_shared<OVPreset>("Default");
}

std::shared_ptr<OVPreset> OVPreset::copy() const {
    auto copy = std::make_shared<OVPreset>();
    copy->shared_->name = shared_->name;
    copy->uuid_ = uuid_;
    std::vector<OVWatermarkPtr> watermarks;
    for (const auto& watermark : this->watermarks())
        watermarks.push_back(watermark->copy());
    copy->shared_->watermarks = std::move(watermarks);
    copy->resizeConstraint_ = resizeConstraint_;
    copy->resizeMethod_ = resizeMethod_;
    copy->resizeValue_ = resizeValue_;
    copy->shouldResize_ = shouldResize_;
    copy->metadataPolicy_ = metadataPolicy_;
    copy->metadataArtist_ = metadataArtist_;
    copy->metadataCopyright_ = metadataCopyright_;
    copy->outputFormat_ = outputFormat_;
    copy->outputQuality_ = outputQuality_;
    return copy;
}

std::shared_ptr<OVPreset> OVPreset::duplicate() const {
    auto twin = copy();
    twin->uuid_ = ov::UUID::random();
    std::vector<OVWatermarkPtr> watermarks;
    for (const auto& watermark : this->watermarks())
        watermarks.push_back(watermark->duplicate());
    twin->shared_->watermarks = std::move(watermarks);
    return twin;
}

// MARK: Properties

std::string OVPreset::name() const {
    return shared_->name.value_or(std::string());
}

bool OVPreset::hasName() const {
    return shared_->name.has_value();
}

void OVPreset::setName(std::string name) {
    shared_->name = std::move(name);
    setShouldSave(true);
}

std::vector<OVWatermarkPtr> OVPreset::watermarks() const {
    std::lock_guard lock(shared_->listLock);
    return shared_->watermarks;
}

void OVPreset::setWatermarks(std::vector<OVWatermarkPtr> watermarks) {
    std::erase(watermarks, nullptr);
    std::lock_guard lock(shared_->listLock);
    shared_->watermarks = std::move(watermarks);
}

bool OVPreset::shouldSave() const {
    return shared_->shouldSave.load();
}
void OVPreset::setShouldSave(bool shouldSave) {
    shared_->shouldSave.store(shouldSave);
}

// MARK: List

std::size_t OVPreset::numberOfWatermarks() const {
    return shared_->watermarks.size();
}

OVWatermarkPtr OVPreset::watermarkAtIndex(std::size_t index) const {
    const auto& list = shared_->watermarks;
    if (index >= list.size())
        return nullptr;
    return list[list.size() - 1 - index];
}

std::size_t OVPreset::indexOfWatermark(const OVWatermarkPtr& watermark) const {
    const auto& list = shared_->watermarks;
    for (std::size_t i = list.size(); i-- > 0;)
        if (list[i]->isEqualToWatermark(watermark))
            return i;
    return 0;
}

void OVPreset::addWatermark(const OVWatermarkPtr& watermark) {
    if (!watermark)
        return;
    // Kind adjustments apply at once: the watermark is complete when this returns.
    switch (watermark->type()) {
    case OVWatermarkTypeText:
        watermark->setShouldUseDynamicFontSize(true);
        [[fallthrough]];
    case OVWatermarkTypeShape:
    case OVWatermarkTypePixellate:
        watermark->setShouldUseRelativePosition(true);
        watermark->setShouldUseRelativeSize(true);
        break;
    default:
        break;
    }
    {
        std::lock_guard lock(shared_->listLock);
        shared_->watermarks.push_back(watermark);
    }
    enableEditingForWatermark(watermark);
    sendPresetChangedNotification();
}

void OVPreset::insertWatermark(const OVWatermarkPtr& watermark, std::size_t index) {
    if (!watermark)
        return;
    std::lock_guard lock(shared_->listLock);
    auto& list = shared_->watermarks;
    if (index > list.size())
        return;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(list.size() - index), watermark);
}

void OVPreset::removeWatermark(const OVWatermarkPtr& watermark) {
    if (!watermark)
        return;
    if (watermark->type() == OVWatermarkTypeImage)
        watermark->removeImage();
    {
        std::lock_guard lock(shared_->listLock);
        std::erase(shared_->watermarks, watermark);
    }
    sendPresetChangedNotification();
}

void OVPreset::removeWatermarkAtIndex(std::size_t index) {
    auto watermark = watermarkAtIndex(index);
    if (!watermark)
        return;
    removeWatermark(watermark);
    sendPresetChangedNotification();
}

OVWatermarkPtr OVPreset::duplicateWatermark(const OVWatermarkPtr& watermark) const {
    if (!watermark)
        return nullptr;
    return watermark->duplicate();
}

std::vector<std::string> OVPreset::allWatermarkIDs() const {
    std::vector<std::string> ids;
    for (const auto& watermark : shared_->watermarks)
        if (watermark->type() == OVWatermarkTypeImage)
            ids.push_back(watermark->uuid().uuidString());
    return ids;
}

OVWatermarkPtr OVPreset::watermarkWithID(const ov::UUID& uuid) const {
    for (const auto& watermark : shared_->watermarks)
        if (watermark->uuid() == uuid)
            return watermark;
    return nullptr;
}

// MARK: Rendering

// These iterate over a snapshot, so a kind that changes the list while drawing cannot
// invalidate the walk.

void OVPreset::renderInContext(ov::GraphicsContext& context) {
    for (const auto& watermark : watermarks()) {
        if (OVWatermarkIsTiled(*watermark))
            OVRenderTiledWatermark(*watermark, context, shared_->stampCache.get());
        else
            watermark->renderInContext(context);
    }
}

bool OVPreset::wantsBackdropSample() const {
    const auto& list = watermarks();
    return std::any_of(list.begin(), list.end(),
                       [](const OVWatermarkPtr& w) { return w->wantsBackdropSample(); });
}

void OVPreset::setBackdropSample(ov::ImagePtr sample) {
    for (const auto& watermark : watermarks())
        watermark->setBackdropSample(sample);
}

void OVPreset::setStampCache(std::shared_ptr<OVStampCache> cache) {
    shared_->stampCache = std::move(cache);
}

void OVPreset::setWatermarkBounds(ov::Rect bounds) {
    for (const auto& watermark : watermarks())
        watermark->setBounds(bounds);
}

void OVPreset::setPixellateImageSource(ov::ImagePtr image) {
    for (const auto& watermark : watermarks())
        if (watermark->type() == OVWatermarkTypePixellate)
            watermark->setBackdropImage(image);
}

void OVPreset::setTextVariables(std::shared_ptr<const OVTextVariables> variables) {
    shared_->textVariables = variables;
    for (const auto& watermark : watermarks())
        watermark->setTextVariables(variables);
}

std::shared_ptr<const OVTextVariables> OVPreset::textVariables() const {
    return shared_->textVariables;
}

void OVPreset::setEnableExportMode() {
    for (const auto& watermark : watermarks())
        watermark->setEditable(false);
}

// MARK: Selection and hit testing

OVWatermarkPtr OVPreset::selectedWatermark() const {
    const auto& list = shared_->watermarks;
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if ((*it)->isEditable())
            return *it;
    return nullptr;
}

void OVPreset::enableEditingForWatermark(const OVWatermarkPtr& watermark) {
    for (const auto& each : watermarks())
        each->setEditable(each->isEqualToWatermark(watermark));
}

OVWatermarkPtr OVPreset::watermarkAtPoint(ov::Point point, double scale) {
    if (insertionModeEnabled())
        return watermarkToInsert_;
    const auto list = watermarks();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const auto& watermark = *it;
        if (watermark->containsPoint(point, scale)) {
            if (watermark->isEditable())
                return watermark;
            // A watermark under a drag is only selected; it joins the drag from the next event.
            enableEditingForWatermark(watermark);
            return nullptr;
        }
    }
    enableEditingForWatermark(nullptr);
    return nullptr;
}

bool OVPreset::watermark(OVWatermarkPtr& hit, ov::Point point, double scale) {
    const auto list = watermarks();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if ((*it)->containsPoint(point, scale)) {
            if (!(*it)->isEditable())
                enableEditingForWatermark(*it);
            hit = *it;
            return true;
        }
    }
    enableEditingForWatermark(nullptr);
    hit = nullptr;
    return false;
}

OVWatermarkHandle OVPreset::handleAtPoint(ov::Point point, const OVWatermarkPtr& watermark,
                                          double scale) const {
    return watermark ? watermark->handleUnderPoint(point, scale) : OVWatermarkHandleNone;
}

// MARK: Moving and resizing

ov::Rect OVPreset::offsetWatermark(const OVWatermarkPtr& watermark, double dx, double dy) {
    if (!watermark)
        return ov::RectZero;
    const ov::Rect before = watermark->frame();
    watermark->offsetOriginByX(dx, dy);
    ov::Rect after = watermark->frame();
    if (watermark->type() == OVWatermarkTypeArrow) {
        // An arrow's head reaches beyond its frame.
        const double grow = std::max(after.width(), after.height());
        after = after.insetBy(-grow, -grow);
    }
    return before.united(after);
}

void OVPreset::resizeWatermark(const OVWatermarkPtr& watermark, OVWatermarkHandle handle,
                               ov::Point point) {
    if (watermark)
        watermark->resizeByMovingHandle(handle, point);
}

// MARK: Insertion mode

void OVPreset::enableInsertionForWatermark(const OVWatermarkPtr& watermark) {
    watermarkToInsert_ = watermark;
    shouldInsert_.store(true);
}

bool OVPreset::insertionModeEnabled() const {
    return shouldInsert_.load();
}

void OVPreset::insertedWatermarkAtPoint(ov::Point point) {
    auto watermark = watermarkToInsert_;
    if (!watermark)
        return;
    const double x =
        watermark->type() == OVWatermarkTypeText ? point.x - kTextInsertionShift : point.x;
    watermark->setOrigin({x, point.y});
    watermark->calculateRelativePosition();
    watermark->setEditable(true);
    addWatermark(watermark);
    setShouldSave(true);
}

void OVPreset::cancelWatermarkInsert() {
    for (const auto& watermark : watermarks())
        if (watermark->isEditable())
            watermark->calculateRelativePosition();
    shouldInsert_.store(false);
    watermarkToInsert_ = nullptr;
    ov::NotificationCenter::defaultCenter().post(kOVWatermarkInsertionEnded);
}

void OVPreset::sendPresetChangedNotification() {
    postOnMainQueue(kOVPresetChanged);
}

// MARK: Deferred save

void OVPreset::sharedSetup() {
    if (shared_->saveTimer)
        return;
    auto queue = ov::dispatch::globalQueue(ov::dispatch::QualityOfService::Background);
    std::weak_ptr<Shared> weak = shared_;
    const auto period = saveTimerInterval();
    // Coarse accuracy: a tick may come up to one period late.
    shared_->saveTimer = ov::dispatch::TimerSource::create(queue, period, period,
                                                           [weak] { Shared::saveTick(weak); });
    // The first tick comes at once, then one every period.
    queue->async([weak] { Shared::saveTick(weak); });
    shared_->saveTimer->resume();
}

bool OVPreset::hasSaveTimer() const {
    return shared_->saveTimer && !shared_->saveTimer->isCancelled();
}

std::chrono::nanoseconds OVPreset::saveTimerInterval() {
    return std::chrono::nanoseconds(gSaveTimerInterval.load());
}

void OVPreset::setSaveTimerInterval(std::chrono::nanoseconds interval) {
    if (interval.count() > 0)
        gSaveTimerInterval.store(interval.count());
}
