#include "framework/com/ObjectServer.h"

#include "framework/com/ServerEndpoint.h"
#include "framework/com/ServiceFiles.h"
#include "framework/com/WireValue.h"

namespace korvex::com {

ObjectServer::ObjectServer(QString busAddress, QObject* parent)
    : QObject(parent), busAddress_(std::move(busAddress)) {
    RegisterWireTypes();
}

ObjectServer::~ObjectServer() = default;

bool ObjectServer::Serve(std::shared_ptr<const DeviceClass> cls, QString* error) {
    for (const auto& endpoint : endpoints_) {
        if (endpoint->Class().progId == cls->progId) {
            if (error) *error = QStringLiteral("%1 is already served").arg(cls->progId);
            return false;
        }
    }
    auto endpoint = std::make_unique<ServerEndpoint>(*this, std::move(cls), busAddress_);
    if (!endpoint->Start(error)) return false;
    endpoints_.push_back(std::move(endpoint));
    return true;
}

bool ObjectServer::RegisterActivation(const QString& programPath, QString* error) {
    for (const auto& endpoint : endpoints_) {
        if (!WriteServiceFile(endpoint->Class().progId, programPath, error)) return false;
    }
    if (!endpoints_.empty()) endpoints_.front()->AskBusToReload();
    return true;
}

QStringList ObjectServer::ProgIds() const {
    QStringList ids;
    for (const auto& endpoint : endpoints_) ids << endpoint->Class().progId;
    return ids;
}

void ObjectServer::PreloadClientCountForTesting(int16_t count) {
    count_ = count;
    emit ClientCountChanged(count_);
}

void ObjectServer::AddClient() {
    ++count_;
    emit ClientCountChanged(count_);
}

void ObjectServer::RemoveClient() {
    if (count_ <= 0) return;
    --count_;
    emit ClientCountChanged(count_);
    if (count_ == 0) emit ClientCountReachedZero();
}

}  // namespace korvex::com
