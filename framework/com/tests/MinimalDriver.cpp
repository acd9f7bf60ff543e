#include "framework/com/tests/MinimalDriver.h"

#include <QTimer>
#include <stdexcept>

#include "framework/core/KorvexError.h"

namespace korvex::com::testing {
namespace {

using VT = ValueType;

class MinimalObject : public DeviceObject {
  public:
    explicit MinimalObject(MinimalState& state) : state_(state), id_(state.nextObjectId++) {
        ++state_.created;
    }
    ~MinimalObject() override { ++state_.destroyed; }
    MinimalState& State() { return state_; }
    int32_t Id() const { return id_; }

  private:
    MinimalState& state_;
    int32_t id_;
};

size_t TimerIndex(const QVariant& id) {
    const int16_t n = id.value<int16_t>();
    if (n < 1 || n > 8) {
        throw KorvexError(kOutOfRange, QString::fromLatin1(kSource),
                          QStringLiteral("The value is out of range"));
    }
    return size_t(n - 1);
}

int32_t RunModal(MinimalState& s) {
    QEventLoop loop;
    QEventLoop* outer = s.modal;
    s.modal = &loop;
    ++s.modalDepth;
    QTimer::singleShot(20000, &loop, [&loop] { loop.exit(-1); });
    const int code = loop.exec();
    --s.modalDepth;
    s.modal = outer;
    return code;
}

}  // namespace

std::shared_ptr<DeviceClass> MakeMinimalDevice(MinimalState& state, QString progId) {
    auto cls = std::make_shared<DeviceClass>();
    cls->progId = std::move(progId);
    cls->create = [&state] { return std::make_unique<MinimalObject>(state); };
    MinimalState& s = state;
    MemberTable& m = cls->members;
    m.Get("Description", VT::String, [](DeviceObject&, Args) {
        return QVariant(QStringLiteral("Korvex minimal test device"));
    });
    m.Get("InterfaceVersion", VT::Int16, [](DeviceObject&, Args) { return QVariant(1); });
    m.Get("Position", VT::Double, [&s](DeviceObject&, Args) { return QVariant(s.position); });
    m.Call("MoveAbsolute", {VT::Double}, VT::Empty, [&s](DeviceObject&, Args a) {
        s.position = a[0].toDouble();
        return QVariant();
    });
    m.Call("Move", {VT::Double}, VT::Empty, [&s](DeviceObject&, Args a) {
        s.position += a[0].toDouble();
        return QVariant();
    });
    m.Get("Reverse", VT::Bool, [&s](DeviceObject&, Args) { return QVariant(s.reverse); });
    m.Let("Reverse", {VT::Bool}, [&s](DeviceObject&, Args a) {
        s.reverse = a[0].toBool();
        return QVariant();
    });
    m.Get("timer", {VT::Int16}, VT::Int32,
          [&s](DeviceObject&, Args a) { return QVariant(s.timers[TimerIndex(a[0])]); });
    m.Let("timer", {VT::Int16, VT::Int32}, [&s](DeviceObject&, Args a) {
        s.timers[TimerIndex(a[0])] = a[1].toInt();
        return QVariant();
    });
    m.Get("Names", VT::StringArray, [&s](DeviceObject&, Args) { return QVariant(s.names); });
    m.Get("FocusOffsets", VT::Int32Array,
          [&s](DeviceObject&, Args) { return QVariant::fromValue(s.offsets); });
    m.Call("Sum", {VT::DoubleArray}, VT::Double, [](DeviceObject&, Args a) {
        double sum = 0;
        for (const double d : a[0].value<QList<double>>()) sum += d;
        return QVariant(sum);
    });
    m.Call("Flags", {VT::BoolArray}, VT::Int16, [](DeviceObject&, Args a) {
        int n = 0;
        for (const bool b : a[0].value<QList<bool>>()) n += b ? 1 : 0;
        return QVariant(n);
    });
    m.Call("Echo", {VT::String}, VT::String, [](DeviceObject&, Args a) { return a[0]; });
    m.Get("StartedByUser", VT::Bool,
          [&s](DeviceObject&, Args) { return QVariant(s.startedByUser); });
    m.Get("ClientCount", VT::Int16,
          [&s](DeviceObject&, Args) { return QVariant(s.clientCount ? s.clientCount() : -1); });
    m.Get("Ticks", VT::Int32, [&s](DeviceObject&, Args) { return QVariant(s.ticks); });
    m.Get("ModalDepth", VT::Int32, [&s](DeviceObject&, Args) { return QVariant(s.modalDepth); });
    m.Get("ObjectId", VT::Int32,
          For<MinimalObject>([](MinimalObject& o, Args) { return QVariant(o.Id()); }));
    m.Call("ModalWait", {}, VT::Int32, [&s](DeviceObject&, Args) { return QVariant(RunModal(s)); });
    m.Call("EndModal", {VT::Int32}, VT::Bool, [&s](DeviceObject&, Args a) {
        if (s.modal == nullptr) return QVariant(false);
        s.modal->exit(a[0].toInt());
        return QVariant(true);
    });
    m.Call("Fail", {}, VT::Empty, [](DeviceObject&, Args) -> QVariant {
        throw KorvexError(kNotConnected, QString::fromLatin1(kSource),
                          QString::fromLatin1(kNotConnectedText));
    });
    m.Call("Crash", {}, VT::Empty,
           [](DeviceObject&, Args) -> QVariant { throw std::runtime_error("wiring fault"); });
    return cls;
}

std::shared_ptr<DeviceClass> MakeMinimalHelper(MinimalState& state, QString progId) {
    auto cls = std::make_shared<DeviceClass>();
    cls->progId = std::move(progId);
    cls->create = [&state] { return std::make_unique<MinimalObject>(state); };
    MinimalState& s = state;
    cls->members.Get("Connected", VT::Bool, [](DeviceObject&, Args) { return QVariant(true); });
    cls->members.Get("ClientCount", VT::Int16, [&s](DeviceObject&, Args) {
        return QVariant(s.clientCount ? s.clientCount() : -1);
    });
    return cls;
}

}  // namespace korvex::com::testing
