// Registration with the ASCOM Profile stand-in: entries in the settings store under
// "Software\ASCOM\<DeviceType> Drivers\<ProgID>", value "" = the registration description.
// Written directly to the store (not through the driver's link), as the platform would.
#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace korvex {

// Where the profile keeps its entries.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // False when the store cannot be opened (the platform counts as missing).
    virtual bool CanOpen() const = 0;
    virtual bool Write(const QString& key, const QString& name, const QString& value) = 0;
    virtual std::optional<QString> Read(const QString& key, const QString& name) const = 0;
};

// The process's settings store (korvex::store). CanOpen: the store file exists as a readable
// regular file, or does not exist yet and its folder is writable.
class SettingsProfileStore final : public ProfileStore {
  public:
    bool CanOpen() const override;
    bool Write(const QString& key, const QString& name, const QString& value) override;
    std::optional<QString> Read(const QString& key, const QString& name) const override;
};

class AscomProfile {
  public:
    // Null: the process's settings store.
    explicit AscomProfile(std::shared_ptr<ProfileStore> store = nullptr);

    // False when the profile store cannot be opened or the type is empty (failure A).
    bool SetDeviceType(const QString& deviceType);
    const QString& DeviceType() const { return deviceType_; }

    // Writes the registration of `progId` under the current device type. False when no device
    // type is set or the store refuses the write (failure B).
    bool Register(const QString& progId, const QString& description);

    bool IsRegistered(const QString& progId) const;

    // "Software\ASCOM\<deviceType> Drivers\<progId>"
    static QString DriverKey(const QString& deviceType, const QString& progId);

  private:
    std::shared_ptr<ProfileStore> store_;
    QString deviceType_;
};

}  // namespace korvex
