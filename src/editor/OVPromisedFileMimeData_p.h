#pragma once

// The drag data of the photograph dragged out of the editor view. Not installed.

#include <QList>
#include <QMimeData>
#include <QUrl>

#include <functional>
#include <optional>

/// A promise of files as a URL list: nothing is written until a drop target asks for the
/// "text/uri-list" data, and then the provider writes the files once; later requests get the
/// same URLs. While `isRefused` says so (the pointer is over the application itself), the data
/// offers no format at all, so no target inside the application accepts it.
class OVPromisedFileMimeData : public QMimeData {
public:
    using Provider = std::function<QList<QUrl>()>;
    using Refusal = std::function<bool()>;

    OVPromisedFileMimeData(Provider provider, Refusal isRefused);

    [[nodiscard]] QStringList formats() const override;
    [[nodiscard]] bool hasFormat(const QString& mimeType) const override;
    /// Whether a target has asked for the files (and the provider ran).
    [[nodiscard]] bool wasDelivered() const { return urls_.has_value(); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    Provider provider_;
    Refusal isRefused_;
    mutable std::optional<QList<QUrl>> urls_;
};
