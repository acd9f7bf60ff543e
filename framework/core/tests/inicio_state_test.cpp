#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "framework/core/DriverConstants.h"
#include "framework/core/InicioState.h"

namespace korvex {
namespace {

TEST(InicioState, InstanceFlavourFromMarkerFiles) {
    const struct {
        const char* marker;  // null: no marker file
        const char* mutex;
        const char* prefix;
    } cases[] = {
        {nullptr, "KorvexMutex", ""},
        {"second", "Korvex2ndMutex", "2 "},
        {"Second.txt", "Korvex2ndMutex", "2 "},
        {"SECOND", "KorvexMutex", ""},  // names are case-sensitive here
        {"second.txt", "KorvexMutex", ""},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        if (c.marker) {
            QFile marker(folder.filePath(c.marker));
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        }
        InicioState state;
        state.InstancePrefix = "stale";
        state.ApplyInstanceFlavour(folder.path());
        EXPECT_EQ(state.MutexName, c.mutex) << (c.marker ? c.marker : "no marker");
        EXPECT_EQ(state.InstancePrefix, c.prefix) << (c.marker ? c.marker : "no marker");
    }
}

TEST(DriverConstants, FirstWindowRules) {
    const struct {
        FirstWindowRule rule;
        bool byUser;
        bool askedMinimized;
        bool minimized;
    } cases[] = {
        {FirstWindowRule::A, true, false, false},      {FirstWindowRule::A, true, true, true},
        {FirstWindowRule::A, false, false, true},      {FirstWindowRule::A, false, true, true},
        {FirstWindowRule::B, true, false, false},      {FirstWindowRule::B, true, true, true},
        {FirstWindowRule::B, false, false, false},     {FirstWindowRule::B, false, true, true},
        {FirstWindowRule::Normal, false, true, false}, {FirstWindowRule::Normal, true, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstWindowMinimized(c.rule, c.byUser, c.askedMinimized), c.minimized)
            << int(c.rule) << " " << c.byUser << " " << c.askedMinimized;
    }
}

TEST(DriverConstants, TimerIntervals) {
    const struct {
        Deliverable driver;
        int stored;
        int interval;
    } cases[] = {
        {Deliverable::Rotator, 5, 250},          {Deliverable::Brantley, 1000, 250},
        {Deliverable::Dunmere, 1000, 500},       {Deliverable::Pellworth, 1000, 500},
        {Deliverable::Corrindale, 1000, 1000},   {Deliverable::Corrindale, 10, 10},
        {Deliverable::Corrindale, 60000, 60000}, {Deliverable::Ashgrove, 9, 50},
        {Deliverable::Ashgrove, 60001, 50},      {Deliverable::Ashgrove, -1, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimerInterval(ConstantsFor(c.driver), c.stored), c.interval)
            << int(c.driver) << " " << c.stored;
    }
}

TEST(DriverConstants, EveryProgramHasItsRecord) {
    for (Deliverable d : {Deliverable::Rotator, Deliverable::Wexmoor, Deliverable::Hallowby,
                          Deliverable::Brantley, Deliverable::Corrindale, Deliverable::Ashgrove,
                          Deliverable::Dunmere, Deliverable::Pellworth}) {
        const DriverConstants& c = ConstantsFor(d);
        EXPECT_EQ(c.deliverable, d);
        // Every registered ProgID is served, and the settings key is the main class except for
        // the pin-by-pin driver, which is not registered at all.
        for (const AscomRegistration& r : c.registrations)
            EXPECT_TRUE(c.progIds.contains(r.progId)) << r.progId.toStdString();
        if (c.RegistersWithAscom()) {
            EXPECT_EQ(c.settingsKey, c.progIds.first());
            EXPECT_FALSE(c.registrationDescription.isEmpty());
        }
    }
    EXPECT_FALSE(ConstantsFor(Deliverable::Pellworth).RegistersWithAscom());
    EXPECT_EQ(ConstantsFor(Deliverable::Corrindale).registrations.size(), 2);
    EXPECT_EQ(ConstantsFor(Deliverable::Ashgrove).registrations.size(), 1);
}

TEST(InicioState, VersionText) { EXPECT_EQ(ProgramVersionText(), "4.7.0"); }

}  // namespace
}  // namespace korvex
