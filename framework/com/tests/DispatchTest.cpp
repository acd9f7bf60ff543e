#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/com/ComError.h"
#include "framework/com/Dispatch.h"
#include "framework/com/tests/MinimalDriver.h"
#include "framework/core/KorvexError.h"

namespace korvex::com {
namespace {

using testing::MinimalState;

class DispatchTest : public ::testing::Test {
  protected:
    QVariant Run(const char* kind, const char* member, QVariantList args = {}) {
        return Invoke(*cls, *object, QString::fromLatin1(kind), QString::fromLatin1(member),
                      std::span<const QVariant>(args.data(), size_t(args.size())));
    }
    KorvexError Failure(const char* kind, const char* member, QVariantList args = {}) {
        try {
            Run(kind, member, std::move(args));
        } catch (const KorvexError& e) {
            return e;
        }
        ADD_FAILURE() << kind << " " << member << " did not fail";
        return KorvexError(0, {}, {});
    }

    MinimalState state;
    std::shared_ptr<DeviceClass> cls = testing::MakeMinimalDevice(state);
    std::unique_ptr<DeviceObject> object = cls->create();
};

TEST_F(DispatchTest, RunsGetLetAndCallWithConvertedArguments) {
    EXPECT_EQ(Run("get", "Description"), QStringLiteral("Korvex minimal test device"));
    EXPECT_FALSE(Run("call", "MoveAbsolute", {90}).isValid());  // no value; int became double
    EXPECT_EQ(Run("get", "Position"), 90.0);
    EXPECT_EQ(Run("get", "Position").metaType(), QMetaType::fromType<double>());
    Run("let", "Reverse", {true});
    EXPECT_EQ(Run("get", "Reverse"), true);
    Run("let", "timer", {3, 1500});  // index first, value last
    EXPECT_EQ(Run("get", "timer", {3}), 1500);
    EXPECT_EQ(state.timers[2], 1500);
    EXPECT_EQ(Run("call", "Sum", {QVariantList{1, 2.5}}), 3.5);
    EXPECT_EQ(Run("get", "FocusOffsets").value<QList<int32_t>>(), (QList<int32_t>{0, 10, -5}));
    // The handler returned an int for an Int16 result: converted to the declared type.
    EXPECT_EQ(Run("get", "InterfaceVersion").metaType(), QMetaType::fromType<int16_t>());
}

TEST_F(DispatchTest, MatchesMemberAndKindCaseInsensitively) {
    state.position = 12;
    EXPECT_EQ(Run("get", "position"), 12.0);
    EXPECT_EQ(Run("GET", "POSITION"), 12.0);
    EXPECT_EQ(Run("Get", "TIMER", {1}), 0);
    Run("CALL", "moveabsolute", {5});
    EXPECT_EQ(state.position, 5.0);
}

TEST_F(DispatchTest, MalformedInvokeIsRefusedWithAClearErrorAndChangesNothing) {
    struct Case {
        const char* kind;
        const char* member;
        QVariantList args;
        uint32_t number;
        const char* text;
    };
    const Case cases[] = {
        {"get",
         "Nope",
         {},
         dispatch_err::UnknownMember,
         "Nope is not a member of KorvexTest.Device"},
        {"let",
         "Description",
         {QStringLiteral("x")},
         dispatch_err::UnknownMember,
         "Description cannot be used with let (use get)"},
        {"get",
         "MoveAbsolute",
         {},
         dispatch_err::UnknownMember,
         "MoveAbsolute cannot be used with get (use call)"},
        {"call",
         "Reverse",
         {},
         dispatch_err::UnknownMember,
         "Reverse cannot be used with call (use get or let)"},
        {"put", "Position", {}, dispatch_err::InvalidArg, "Unknown operation \"put\""},
        {"call",
         "MoveAbsolute",
         {},
         dispatch_err::BadParamCount,
         "MoveAbsolute (call) takes 1 argument, 0 given"},
        {"call", "MoveAbsolute", {1, 2}, dispatch_err::BadParamCount, "takes 1 argument, 2 given"},
        {"let",
         "timer",
         {1},
         dispatch_err::BadParamCount,
         "timer (let) takes 2 arguments, 1 given"},
        {"get", "Position", {1}, dispatch_err::BadParamCount, "takes 0 arguments, 1 given"},
        {"call",
         "MoveAbsolute",
         {QStringLiteral("abc")},
         dispatch_err::TypeMismatch,
         "Argument 1 of MoveAbsolute: \"abc\" (string) cannot be converted to double"},
        {"let",
         "timer",
         {40000, 1},
         dispatch_err::Overflow,
         "Argument 1 of timer: 40000 (integer) is out of range for 16-bit integer"},
        {"let", "timer", {1, 2.5}, dispatch_err::TypeMismatch, "Argument 2 of timer"},
        {"let", "Reverse", {7}, dispatch_err::TypeMismatch, "cannot be converted to boolean"},
        {"call",
         "Sum",
         {QVariantList{1, QStringLiteral("x")}},
         dispatch_err::TypeMismatch,
         "cannot be converted to double array"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.member);
        const KorvexError e = Failure(c.kind, c.member, c.args);
        EXPECT_EQ(e.Number(), c.number);
        EXPECT_EQ(e.Source(), QStringLiteral("KorvexTest.Device"));
        EXPECT_TRUE(e.Description().contains(QString::fromLatin1(c.text)))
            << e.Description().toStdString();
    }
    EXPECT_EQ(state.position, 0.0);
    EXPECT_EQ(state.timers[0], 0);
    EXPECT_FALSE(state.reverse);
}

TEST_F(DispatchTest, HandlerErrorsReachTheCaller) {
    const KorvexError own = Failure("call", "Fail");
    EXPECT_EQ(own.Number(), 0x80040402u);
    EXPECT_EQ(own.Source(), QStringLiteral("Korvex Test Control"));
    EXPECT_EQ(own.Description(), QStringLiteral("The test device is not connected"));

    const KorvexError range = Failure("get", "timer", {9});
    EXPECT_EQ(range.Number(), 0x80040404u);

    const KorvexError other = Failure("call", "Crash");
    EXPECT_EQ(other.Number(), dispatch_err::Unexpected);
    EXPECT_EQ(other.Description(), QStringLiteral("Crash failed: wiring fault"));
}

TEST(DispatchResult, AHandlerResultOfTheWrongTypeIsAnUnexpectedError) {
    DeviceClass cls;
    cls.progId = QStringLiteral("Test.Bad");
    cls.members.Get("Value", ValueType::Int16, [](DeviceObject&, Args) { return QVariant(70000); });
    cls.members.Get("Name", ValueType::String, [](DeviceObject&, Args) { return QVariant(); });
    DeviceObject object;
    for (const char* member : {"Value", "Name"}) {
        try {
            Invoke(cls, object, u"get", QString::fromLatin1(member), {});
            ADD_FAILURE() << member << " did not fail";
        } catch (const KorvexError& e) {
            EXPECT_EQ(e.Number(), dispatch_err::Unexpected);
            EXPECT_TRUE(e.Description().startsWith(QString::fromLatin1(member) + " returned"));
        }
    }
}

TEST(MemberTable, OneNameMayHaveEachKindOnceWhateverItsCase) {
    MemberTable table;
    auto nothing = [](DeviceObject&, Args) { return QVariant(); };
    table.Get("Reverse", ValueType::Bool, nothing);
    table.Let("Reverse", {ValueType::Bool}, nothing);
    EXPECT_THROW(table.Let("REVERSE", {ValueType::Bool}, nothing), std::logic_error);
    EXPECT_THROW(table.Let("Empty", {}, nothing), std::logic_error);
    const MemberTable::Entry* entry = table.Find(u"reVERSE");
    ASSERT_NE(entry, nullptr);
    EXPECT_NE(entry->Of(MemberKind::Get), nullptr);
    EXPECT_NE(entry->Of(MemberKind::Let), nullptr);
    EXPECT_EQ(entry->Of(MemberKind::Call), nullptr);
    EXPECT_EQ(table.Find(u"Revers"), nullptr);
}

}  // namespace
}  // namespace korvex::com
