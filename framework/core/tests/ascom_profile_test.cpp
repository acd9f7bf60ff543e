#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "korvex/testing/TempHome.h"
#include "framework/core/AscomProfile.h"
#include "korvex/store.h"

namespace korvex {
namespace {

TEST(AscomProfile, RegistersUnderTheDeviceType) {
    korvex::testing::TempHome home;
    AscomProfile profile;
    EXPECT_FALSE(profile.Register("Corrindale.Dome", "Korvex Quill (THIRD port)"));  // no type yet
    ASSERT_TRUE(profile.SetDeviceType("Dome"));
    ASSERT_TRUE(profile.Register("Corrindale.Dome", "Korvex Quill (THIRD port)"));
    ASSERT_TRUE(profile.SetDeviceType("Switch"));
    ASSERT_TRUE(profile.Register("Corrindale.Switch", "Korvex Quill (THIRD port)"));

    EXPECT_EQ(store::Get("Software\\ASCOM\\Dome Drivers\\Corrindale.Dome", ""),
              "Korvex Quill (THIRD port)");
    EXPECT_EQ(store::Get("Software\\ASCOM\\Switch Drivers\\Corrindale.Switch", ""),
              "Korvex Quill (THIRD port)");
    EXPECT_TRUE(profile.IsRegistered("Corrindale.Switch"));
    EXPECT_FALSE(profile.IsRegistered("Corrindale.Dome"));  // registered as a dome, not a switch
    EXPECT_FALSE(profile.SetDeviceType(""));
}

TEST(AscomProfile, StoreThatCannotBeOpenedIsAMissingPlatform) {
    korvex::testing::TempHome home;
    ASSERT_TRUE(QDir(home.Path()).mkdir("registry.sqlite3"));  // a folder where the file belongs
    AscomProfile profile;
    EXPECT_FALSE(profile.SetDeviceType("Rotator"));
}

TEST(AscomProfile, StoreThatRefusesWritesRefusesTheRegistration) {
    korvex::testing::TempHome home;
    QFile damaged(home.Path() + "/registry.sqlite3");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    AscomProfile profile;
    EXPECT_TRUE(profile.SetDeviceType("Rotator"));
    EXPECT_FALSE(profile.Register("KorvexRotator.Rotator", "Korvex Rotator (MAIN port)"));
    EXPECT_FALSE(profile.IsRegistered("KorvexRotator.Rotator"));
}

}  // namespace
}  // namespace korvex
