#include "inkstead/appearance/OVSaveProgressController.h"

#include "inkstead/appearance/OVQtBridge.h"
#include "inkstead/appearance/OVStyleKit.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {
// The bar counts in thousandths so that a fraction from 0 to 1 moves it smoothly.
constexpr int kBarSteps = 1000;
} // namespace

// The dialog itself: Escape and the window's close box ask to cancel instead of hiding it,
// since only the save manager ends the sheet.
class OVSaveProgressController::Sheet : public QDialog {
public:
    explicit Sheet(std::function<void()> cancel) : cancel_(std::move(cancel)) {
        setWindowTitle(QStringLiteral("Saving"));
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, OVQColor(OVStyleKit::presetVCBackgroundColor()));
        setPalette(p);

        fileLabel = new QLabel(this);
        countLabel = new QLabel(this);
        for (QLabel* label : {fileLabel, countLabel}) {
            QPalette lp = label->palette();
            lp.setColor(QPalette::WindowText, OVQColor(OVStyleKit::presetVCPrimaryTextColor()));
            label->setPalette(lp);
        }
        // A long file name is cut off at the sheet's edge instead of widening the sheet.
        fileLabel->setMinimumWidth(360);
        fileLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        bar = new QProgressBar(this);
        bar->setRange(0, kBarSteps);
        bar->setValue(0);
        bar->setTextVisible(false);
        cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
        cancelButton->setAutoDefault(false);
        connect(cancelButton, &QPushButton::clicked, this, [this] { requestCancel(); });

        auto* bottom = new QHBoxLayout;
        bottom->addWidget(countLabel, 1);
        bottom->addWidget(cancelButton);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(20, 16, 20, 16);
        layout->addWidget(fileLabel);
        layout->addWidget(bar);
        layout->addLayout(bottom);
    }

    void reject() override { requestCancel(); }
    /// Stops calling back (the controller is going away).
    void detach() { cancel_ = nullptr; }

    QLabel* fileLabel;
    QLabel* countLabel;
    QProgressBar* bar;
    QPushButton* cancelButton;

private:
    void requestCancel() {
        if (cancel_)
            cancel_();
    }
    std::function<void()> cancel_;
};

OVSaveProgressController::OVSaveProgressController() = default;

OVSaveProgressController::~OVSaveProgressController() {
    Sheet* s = sheet_;
    if (!s)
        return;
    // The sheet calls back into this controller; it must not outlive it. Widgets belong to the
    // main thread: from another thread the sheet is handed to it.
    if (QThread::currentThread() == s->thread()) {
        delete s;
    } else {
        QMetaObject::invokeMethod(s, [s] {
            s->detach();
            delete s;
        });
    }
}

OVHostWindow* OVSaveProgressController::hostWindow(QWidget* window) {
    return reinterpret_cast<OVHostWindow*>(window);
}

QWidget* OVSaveProgressController::widget(OVHostWindow* window) {
    return reinterpret_cast<QWidget*>(window);
}

OVSaveProgressController::Sheet& OVSaveProgressController::sheet() {
    if (!sheet_)
        sheet_ = new Sheet([this] { cancel(); });
    return *sheet_;
}

QDialog* OVSaveProgressController::window() {
    return &sheet();
}
QProgressBar* OVSaveProgressController::progressIndicator() {
    return sheet().bar;
}
QLabel* OVSaveProgressController::progressFileLabel() {
    return sheet().fileLabel;
}
QLabel* OVSaveProgressController::progressCountLabel() {
    return sheet().countLabel;
}
QPushButton* OVSaveProgressController::cancelButton() {
    return sheet().cancelButton;
}

double OVSaveProgressController::progressValue() {
    return static_cast<double>(sheet().bar->value()) / kBarSteps;
}

void OVSaveProgressController::beginSheetModalForWindow(OVHostWindow* window) {
    Sheet& s = sheet();
    QWidget* host = widget(window);
    if (host) {
        s.setParent(host, Qt::Dialog);
        s.setWindowModality(Qt::WindowModal);
    } else {
        s.setWindowModality(Qt::ApplicationModal);
    }
    s.bar->setValue(0);
    s.fileLabel->clear();
    s.countLabel->clear();
    s.show();
}

void OVSaveProgressController::endSheet(OVHostWindow*) {
    if (sheet_)
        sheet_->hide();
}

void OVSaveProgressController::setFileLabel(const std::string& text) {
    sheet().fileLabel->setText(QString::fromStdString(text));
}

void OVSaveProgressController::setCountLabel(const std::string& text) {
    sheet().countLabel->setText(QString::fromStdString(text));
}

void OVSaveProgressController::setProgressValue(double fraction) {
    const double clamped = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    sheet().bar->setValue(static_cast<int>(std::lround(clamped * kBarSteps)));
}
