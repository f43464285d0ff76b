#pragma once

#include <memory>
#include <string>

/// The host's window on which the progress sheet is shown; opaque to the library (each face
/// defines what it is, e.g. a widget).
struct OVHostWindow;

/// Receives the cancel request of a progress presenter.
class OVSaveProgressDelegate {
public:
    virtual ~OVSaveProgressDelegate() = default;
    virtual void cancelProgress() = 0;
};

/// How a batch export is shown to the user: a sheet on the host window with a file label, a
/// count label and a bar from 0 to 1, and a cancel button that calls back the delegate. The save
/// manager calls these operations on the main queue, one at a time. The command line and the
/// desktop each implement it; without a presenter a batch runs headless.
class OVSaveProgressPresenter {
public:
    virtual ~OVSaveProgressPresenter() = default;

    virtual void beginSheetModalForWindow(OVHostWindow* window) = 0;
    virtual void endSheet(OVHostWindow* window) = 0;
    /// "Saving <name>".
    virtual void setFileLabel(const std::string& text) = 0;
    /// "<done> of <total>".
    virtual void setCountLabel(const std::string& text) = 0;
    virtual void setProgressValue(double fraction) = 0;

    /// The delegate is held weakly.
    void setDelegate(std::weak_ptr<OVSaveProgressDelegate> delegate) {
        delegate_ = std::move(delegate);
    }
    [[nodiscard]] std::shared_ptr<OVSaveProgressDelegate> delegate() const {
        return delegate_.lock();
    }
    /// The cancel button's action.
    void cancel() {
        if (auto d = delegate())
            d->cancelProgress();
    }

private:
    std::weak_ptr<OVSaveProgressDelegate> delegate_;
};
