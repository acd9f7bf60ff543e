// A minimal driver for the object server's tests and benchmark: members of every kind and
// type, a member that runs a nested event loop like a modal dialog, and members that fail.
#pragma once

#include <QEventLoop>
#include <QList>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "framework/com/DeviceClass.h"

namespace korvex::com::testing {

inline constexpr char kDeviceProgId[] = "KorvexTest.Device";
inline constexpr char kHelperProgId[] = "KorvexTest.Helper";
inline constexpr uint32_t kNotConnected = 0x80040402;
inline constexpr uint32_t kOutOfRange = 0x80040404;
inline constexpr char kSource[] = "Korvex Test Control";
inline constexpr char kNotConnectedText[] = "The test device is not connected";

// Process-wide device state, shared by every object, as in a real driver.
struct MinimalState {
    double position = 0;
    bool reverse = false;
    std::array<int32_t, 8> timers{};
    QStringList names{QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Blue")};
    QList<int32_t> offsets{0, 10, -5};
    int32_t ticks = 0;  // advanced by the program's timer
    bool startedByUser = true;
    std::function<int()> clientCount;  // the server's ClientCount
    QEventLoop* modal = nullptr;
    int modalDepth = 0;
    int32_t nextObjectId = 1;
    int created = 0;    // creation hooks run
    int destroyed = 0;  // release hooks run
};

// "KorvexTest.Device":
//   get Description s, InterfaceVersion n, Position d, Reverse b, timer(n) i, Names as,
//       FocusOffsets ai, StartedByUser b, ClientCount n, Ticks i, ModalDepth i, ObjectId i
//   let Reverse b, timer(n, i)  (index 1..8, else 0x80040404)
//   call MoveAbsolute(d), Move(d), Sum(ad) d, Echo(s) s, Flags(ab) n (count of true),
//        ModalWait() i (nested loop until EndModal, returns its code; -1 after 20 s),
//        EndModal(i) b (false when no modal loop runs), Fail (0x80040402), Crash (std::exception)
std::shared_ptr<DeviceClass> MakeMinimalDevice(MinimalState& state,
                                               QString progId = QString::fromLatin1(kDeviceProgId));

// "KorvexTest.Helper": a second class of the same program; get Connected b, ClientCount n.
std::shared_ptr<DeviceClass> MakeMinimalHelper(MinimalState& state,
                                               QString progId = QString::fromLatin1(kHelperProgId));

}  // namespace korvex::com::testing
