#include "inkstead/editor/OVPromisedFileMimeData_p.h"

namespace {

const QString kUriListType = QStringLiteral("text/uri-list");

} // namespace

OVPromisedFileMimeData::OVPromisedFileMimeData(Provider provider, Refusal isRefused)
    : provider_(std::move(provider)), isRefused_(std::move(isRefused)) {}

QStringList OVPromisedFileMimeData::formats() const {
    if (isRefused_ && isRefused_())
        return {};
    return {kUriListType};
}

bool OVPromisedFileMimeData::hasFormat(const QString& mimeType) const {
    return formats().contains(mimeType);
}

QVariant OVPromisedFileMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType != kUriListType || (isRefused_ && isRefused_()))
        return {};
    if (!urls_)
        urls_ = provider_ ? provider_() : QList<QUrl>{};
    if (urls_->isEmpty())
        return {};
    // The list's wire form; QMimeData turns it into URLs for callers that ask for those.
    QByteArray list;
    for (const QUrl& url : *urls_)
        list += url.toEncoded() + "\r\n";
    return list;
}
