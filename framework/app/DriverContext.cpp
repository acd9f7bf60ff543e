#include "framework/app/DriverContext.h"

#include "framework/core/VantaroUtils.h"

namespace korvex {

QString DriverContext::Read(const QString& subkey, const QString& name,
                            const QString& def) const {
    return ReadSetting(link, "Korvex", constants.settingsKey, subkey, name, def);
}

void DriverContext::Save(const QString& subkey, const QString& name, const QString& value) const {
    SaveSetting(link, "Korvex", constants.settingsKey, subkey, name, value);
}

bool DriverContext::FollowHubLanguage() {
    return language.FollowHub(owc.GetLinkLanguage());
}

}  // namespace korvex
