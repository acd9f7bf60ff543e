#include "framework/core/AscomProfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include "korvex/paths.h"
#include "korvex/store.h"

namespace korvex {

bool SettingsProfileStore::CanOpen() const {
    const std::string file = paths::RegistryFile();
    struct stat st {};
    if (stat(file.c_str(), &st) == 0) return S_ISREG(st.st_mode) && access(file.c_str(), R_OK) == 0;
    const auto slash = file.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : file.substr(0, slash);
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

bool SettingsProfileStore::Write(const QString& key, const QString& name, const QString& value) {
    return store::Set(key.toStdString(), name.toStdString(), value.toStdString());
}

std::optional<QString> SettingsProfileStore::Read(const QString& key, const QString& name) const {
    const auto value = store::Get(key.toStdString(), name.toStdString());
    if (!value) return std::nullopt;
    return QString::fromStdString(*value);
}

AscomProfile::AscomProfile(std::shared_ptr<ProfileStore> store)
    : store_(store ? std::move(store) : std::make_shared<SettingsProfileStore>()) {}

bool AscomProfile::SetDeviceType(const QString& deviceType) {
    if (deviceType.isEmpty() || !store_->CanOpen()) return false;
    deviceType_ = deviceType;
    return true;
}

bool AscomProfile::Register(const QString& progId, const QString& description) {
    if (deviceType_.isEmpty() || progId.isEmpty()) return false;
    return store_->Write(DriverKey(deviceType_, progId), QString(), description);
}

bool AscomProfile::IsRegistered(const QString& progId) const {
    return !deviceType_.isEmpty() &&
           store_->Read(DriverKey(deviceType_, progId), QString()).has_value();
}

QString AscomProfile::DriverKey(const QString& deviceType, const QString& progId) {
    return QStringLiteral("Software\\ASCOM\\%1 Drivers\\%2").arg(deviceType, progId);
}

}  // namespace korvex
