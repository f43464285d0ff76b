#pragma once

#include "inkstead/export/OVSaveProgressPresenter.h"

#include <QPointer>

class QDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

/// The progress sheet of a batch export: a small window-modal dialog on the host window with the
/// name of the file being saved, a bar from 0 to 1, the count of images done and a Cancel button.
/// It holds no logic: the save manager writes the labels and the bar, and Cancel (or Escape, or
/// closing the sheet) calls the delegate's cancelProgress; the manager then ends the sheet.
///
/// Main thread only; the dialog is deleted with the controller (or with the host window, after
/// which the next sheet makes a new one).
class OVSaveProgressController : public OVSaveProgressPresenter {
public:
    OVSaveProgressController();
    ~OVSaveProgressController() override;
    OVSaveProgressController(const OVSaveProgressController&) = delete;
    OVSaveProgressController& operator=(const OVSaveProgressController&) = delete;

    /// The host window as the save manager passes it around.
    [[nodiscard]] static OVHostWindow* hostWindow(QWidget* window);
    [[nodiscard]] static QWidget* widget(OVHostWindow* window);

    [[nodiscard]] QDialog* window();
    [[nodiscard]] QProgressBar* progressIndicator();
    [[nodiscard]] QLabel* progressFileLabel();
    [[nodiscard]] QLabel* progressCountLabel();
    [[nodiscard]] QPushButton* cancelButton();
    /// The bar's value as a fraction from 0 to 1.
    [[nodiscard]] double progressValue();

    /// Window-modal on `window`; without a window, modal for the whole application.
    void beginSheetModalForWindow(OVHostWindow* window) override;
    void endSheet(OVHostWindow* window) override;
    void setFileLabel(const std::string& text) override;
    void setCountLabel(const std::string& text) override;
    void setProgressValue(double fraction) override;

private:
    class Sheet;
    Sheet& sheet();
    QPointer<Sheet> sheet_;
};
