#include <gtest/gtest.h>

#include "korvex/testing/TempHome.h"
#include "framework/core/VantaroUtils.h"
#include "korvex/store.h"

namespace korvex {
namespace {

// The settings functions through a table bound in-process to the store, as libtkl.so binds it.
class SettingsTest : public ::testing::Test {
  protected:
    SettingsTest() {
        link_.ReadFromRegHKCU = &store::ReadValue;
        link_.SaveToRegHKCU = &store::SaveValue;
    }

    QString Read(const QString& name, const QString& defaultValue = "dflt") {
        return ReadSetting(link_, "Korvex", "KorvexRotator.Rotator", "Default", name, defaultValue);
    }
    void Store(const QString& name, const QString& value) {
        ASSERT_TRUE(store::Set("Software\\Vantaro\\Korvex\\KorvexRotator.Rotator\\Default",
                               name.toStdString(), value.toStdString()));
    }

    korvex::testing::TempHome home_;
    LinkTable link_;
};

TEST_F(SettingsTest, PathRule) {
    EXPECT_EQ(SettingsPath("Korvex", "KorvexRotator.Rotator", ""),
              "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator");
    EXPECT_EQ(SettingsPath("Korvex", "KorvexRotator.Rotator", "Default"),
              "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator\\Default");
    EXPECT_EQ(SettingsPath("Korvex", "", "Default"), "Software\\Vantaro\\Korvex\\Default");
    EXPECT_EQ(SettingsPath("Korvex", "", ""), "Software\\Vantaro\\Korvex");

    // A saved value lands under exactly that key and reads back through the same rule.
    ASSERT_TRUE(SaveSetting(link_, "Korvex", "KorvexTHIRDPinByPin", "", "Left", "120"));
    EXPECT_EQ(store::Get("Software\\Vantaro\\Korvex\\KorvexTHIRDPinByPin", "Left"), "120");
    EXPECT_EQ(ReadSetting(link_, "Korvex", "KorvexTHIRDPinByPin", "", "Left", "100"), "120");
    EXPECT_EQ(ReadSetting(link_, "Korvex", "KorvexTHIRDPinByPin", "Other", "Left", "100"), "100");
}

TEST_F(SettingsTest, BlankOrMissingGivesDefault) {
    Store("Empty", "");
    Store("Spaces", "     ");
    Store("Padded", "  12.5 ");
    Store("Tabbed", "\t7\t");
    EXPECT_EQ(Read("Missing"), "dflt");
    EXPECT_EQ(Read("Empty"), "dflt");
    EXPECT_EQ(Read("Spaces"), "dflt");
    EXPECT_EQ(Read("Padded"), "12.5");
    EXPECT_EQ(Read("Tabbed"), "\t7\t");  // only spaces are trimmed
}

TEST_F(SettingsTest, ReadKeepsEightyCharacters) {
    // Two-, three- and four-byte characters: 80 characters of up to 320 bytes.
    const QString twoBytes = QString(100, QChar(0x00F1));    // ñ
    const QString threeBytes = QString(100, QChar(0x20AC));  // €
    QString fourBytes;
    for (int i = 0; i < 100; ++i) fourBytes += QString::fromUcs4(U"\U0001F52D");  // telescope
    const QString mixed =
        "Á" + QString(78, QLatin1Char('b')) + QString::fromUcs4(U"\U0001F52D") + "tail";

    Store("Two", twoBytes);
    Store("Three", threeBytes);
    Store("Four", fourBytes);
    Store("Mixed", mixed);
    Store("Exact", QString(80, QLatin1Char('x')));
    Store("CutAtSpace", QString(79, QLatin1Char('x')) + " yyyy");

    EXPECT_EQ(Read("Two"), twoBytes.left(80));
    EXPECT_EQ(Read("Three"), threeBytes.left(80));
    EXPECT_EQ(Read("Four"), fourBytes.left(160));  // 80 surrogate pairs
    EXPECT_EQ(Read("Mixed"), mixed.left(81));      // the last character is a pair
    EXPECT_EQ(Read("Exact"), QString(80, QLatin1Char('x')));
    EXPECT_EQ(Read("CutAtSpace"), QString(79, QLatin1Char('x')));  // cut, then trimmed
}

TEST_F(SettingsTest, TextsAreStoredAsIs) {
    ASSERT_TRUE(
        SaveSetting(link_, "Korvex", "KorvexRotator.Rotator", "Default", "Name", "  Cámara ñ  "));
    EXPECT_EQ(store::Get("Software\\Vantaro\\Korvex\\KorvexRotator.Rotator\\Default", "Name"),
              "  Cámara ñ  ");
    EXPECT_EQ(Read("Name"), "Cámara ñ");
}

TEST(SettingsWithoutStore, UnboundTableFallsBack) {
    LinkTable empty;
    EXPECT_EQ(ReadSetting(empty, "Korvex", "K", "", "N", "d"), "d");
    EXPECT_FALSE(SaveSetting(empty, "Korvex", "K", "", "N", "v"));
}

}  // namespace
}  // namespace korvex
