#include "RotatorClass.h"

#include "framework/core/LanguageService.h"
#include "framework/core/MlStringModule.h"
#include "korvex/rotator/RotatorDevice.h"

namespace korvex::rotator {

using com::Args;
using com::DeviceObject;
using com::ValueType;

std::shared_ptr<const com::DeviceClass> MakeRotatorClass(const QString& progId,
                                                         RotatorDevice& device,
                                                         MlStringModule& texts,
                                                         LanguageService& language) {
    auto cls = std::make_shared<com::DeviceClass>();
    cls->progId = progId;
    RotatorDevice* d = &device;
    // Handlers that need neither the object nor the arguments.
    auto get = [d](auto read) {
        return [d, read](DeviceObject&, Args) -> QVariant { return QVariant::fromValue(read(*d)); };
    };
    auto none = [](auto act) {
        return [act](DeviceObject&, Args args) -> QVariant {
            act(args);
            return {};
        };
    };
    com::MemberTable& m = cls->members;
    m.Get("Description", ValueType::String, get([](RotatorDevice& r) { return r.Description(); }));
    m.Get("DriverInfo", ValueType::String, get([](RotatorDevice& r) { return r.DriverInfo(); }));
    m.Get("InterfaceVersion", ValueType::Int16,
          get([](RotatorDevice& r) { return r.InterfaceVersion(); }));
    m.Get("name", ValueType::String, get([](RotatorDevice& r) { return r.name(); }));
    m.Get("DriverVersion", ValueType::String,
          get([](RotatorDevice& r) { return r.DriverVersion(); }));
    m.Get("IsMoving", ValueType::Bool, get([](RotatorDevice& r) { return r.IsMoving(); }));
    m.Get("Connected", ValueType::Bool, get([](RotatorDevice& r) { return r.Connected(); }));
    m.Let("Connected", {ValueType::Bool},
          none([d](Args a) { d->SetConnected(a.back().toBool()); }));
    m.Get("Position", ValueType::Double,
          get([](RotatorDevice& r) { return double(r.Position()); }));
    m.Get("TargetPosition", ValueType::Double,
          get([](RotatorDevice& r) { return double(r.TargetPosition()); }));
    m.Get("StepSize", ValueType::Double,
          get([](RotatorDevice& r) { return double(r.StepSize()); }));
    m.Get("CanReverse", ValueType::Bool, get([](RotatorDevice& r) { return r.CanReverse(); }));
    m.Get("Reverse", ValueType::Bool, get([](RotatorDevice& r) { return r.Reverse(); }));
    m.Let("Reverse", {ValueType::Bool}, none([d](Args a) { d->SetReverse(a.back().toBool()); }));
    m.Call("Halt", {}, ValueType::Empty, none([d](Args) { d->Halt(); }));
    m.Call("SetupDialog", {}, ValueType::Empty, none([d](Args) { d->SetupDialog(); }));
    m.Call("Move", {ValueType::Double}, ValueType::Empty,
           none([d](Args a) { d->Move(a[0].toDouble()); }));
    m.Call("MoveAbsolute", {ValueType::Double}, ValueType::Empty,
           none([d](Args a) { d->MoveAbsolute(a[0].toDouble()); }));

    // An object takes the language of the process's language service when it is created.
    MlStringModule* t = &texts;
    LanguageService* l = &language;
    cls->create = [t, l]() {
        t->SetLanguage(l->CurrentLanguage());
        return std::make_unique<DeviceObject>();
    };
    return cls;
}

}  // namespace korvex::rotator
