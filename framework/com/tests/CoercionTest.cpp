#include <gtest/gtest.h>

#include <QStringList>
#include <limits>

#include "framework/com/Coercion.h"

namespace korvex::com {
namespace {

using VT = ValueType;

struct ScalarCase {
    const char* what;
    QVariant in;
    VT type;
    CoerceStatus status;
    QVariant expected;  // checked when status is Ok
};

TEST(Coerce, ScalarsFollowTheLosslessRules) {
    const ScalarCase cases[] = {
        {"double as double", 1.25, VT::Double, CoerceStatus::Ok, 1.25},
        {"int32 for double", 90, VT::Double, CoerceStatus::Ok, 90.0},
        {"int64 beyond 2^53 for double",
         QVariant::fromValue(qlonglong(1) << 60),
         VT::Double,
         CoerceStatus::Overflow,
         {}},
        {"text for double", QStringLiteral("abc"), VT::Double, CoerceStatus::Mismatch, {}},
        {"numeric text for double", QStringLiteral("1"), VT::Double, CoerceStatus::Mismatch, {}},
        {"bool for double", true, VT::Double, CoerceStatus::Mismatch, {}},
        {"int16 edge high", 32767, VT::Int16, CoerceStatus::Ok,
         QVariant::fromValue<int16_t>(32767)},
        {"int16 edge low", -32768, VT::Int16, CoerceStatus::Ok,
         QVariant::fromValue<int16_t>(-32768)},
        {"40000 for int16", 40000, VT::Int16, CoerceStatus::Overflow, {}},
        {"-32769 for int16", -32769, VT::Int16, CoerceStatus::Overflow, {}},
        {"byte for int16", QVariant::fromValue<uchar>(200), VT::Int16, CoerceStatus::Ok,
         QVariant::fromValue<int16_t>(200)},
        {"whole double for int16", 3.0, VT::Int16, CoerceStatus::Ok,
         QVariant::fromValue<int16_t>(3)},
        {"fractional double for int16", 3.5, VT::Int16, CoerceStatus::Mismatch, {}},
        {"NaN for int32",
         std::numeric_limits<double>::quiet_NaN(),
         VT::Int32,
         CoerceStatus::Mismatch,
         {}},
        {"uint64 max for int32",
         QVariant::fromValue(std::numeric_limits<qulonglong>::max()),
         VT::Int32,
         CoerceStatus::Overflow,
         {}},
        {"int32 max", std::numeric_limits<int32_t>::max(), VT::Int32, CoerceStatus::Ok,
         std::numeric_limits<int32_t>::max()},
        {"uint32 above int32",
         QVariant::fromValue(uint(3000000000u)),
         VT::Int32,
         CoerceStatus::Overflow,
         {}},
        {"huge double for int32", 1e300, VT::Int32, CoerceStatus::Overflow, {}},
        {"bool for int32", false, VT::Int32, CoerceStatus::Mismatch, {}},
        {"bool", true, VT::Bool, CoerceStatus::Ok, true},
        {"0 for bool", 0, VT::Bool, CoerceStatus::Ok, false},
        {"-1 for bool (COM true)", QVariant::fromValue<short>(-1), VT::Bool, CoerceStatus::Ok,
         true},
        {"2 for bool", 2, VT::Bool, CoerceStatus::Mismatch, {}},
        {"1.0 for bool", 1.0, VT::Bool, CoerceStatus::Mismatch, {}},
        {"\"True\" for bool", QStringLiteral("True"), VT::Bool, CoerceStatus::Mismatch, {}},
        {"string", QStringLiteral("x y"), VT::String, CoerceStatus::Ok, QStringLiteral("x y")},
        {"int for string", 42, VT::String, CoerceStatus::Ok, QStringLiteral("42")},
        {"double for string", 0.1, VT::String, CoerceStatus::Ok, QStringLiteral("0.1")},
        {"bool for string", false, VT::String, CoerceStatus::Ok, QStringLiteral("False")},
        {"array for scalar", QVariantList{1}, VT::Int32, CoerceStatus::Mismatch, {}},
        {"nothing for int32", QVariant(), VT::Int32, CoerceStatus::Mismatch, {}},
    };
    for (const ScalarCase& c : cases) {
        SCOPED_TRACE(c.what);
        QVariant out;
        EXPECT_EQ(Coerce(c.in, c.type, out), c.status);
        if (c.status == CoerceStatus::Ok) {
            EXPECT_EQ(out.metaType(), c.expected.metaType());
            EXPECT_EQ(out, c.expected);
        }
    }
}

TEST(Coerce, ArraysConvertElementWise) {
    QVariant out;
    ASSERT_EQ(Coerce(QVariantList{1, 2.5, qlonglong(-3)}, VT::DoubleArray, out), CoerceStatus::Ok);
    EXPECT_EQ(out.value<QList<double>>(), (QList<double>{1, 2.5, -3}));

    ASSERT_EQ(Coerce(QVariant::fromValue(QList<int>{7, -7}), VT::Int16Array, out),
              CoerceStatus::Ok);
    EXPECT_EQ(out.value<QList<int16_t>>(), (QList<int16_t>{7, -7}));

    ASSERT_EQ(Coerce(QStringList{QStringLiteral("a"), QStringLiteral("b")}, VT::StringArray, out),
              CoerceStatus::Ok);
    EXPECT_EQ(out.toStringList(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    ASSERT_EQ(Coerce(QVariantList{true, 0}, VT::BoolArray, out), CoerceStatus::Ok);
    EXPECT_EQ(out.value<QList<bool>>(), (QList<bool>{true, false}));

    ASSERT_EQ(Coerce(QVariantList{}, VT::Int32Array, out), CoerceStatus::Ok);
    EXPECT_TRUE(out.value<QList<int32_t>>().isEmpty());

    // One bad element spoils the array, with that element's status.
    EXPECT_EQ(Coerce(QVariantList{1, 40000}, VT::Int16Array, out), CoerceStatus::Overflow);
    EXPECT_EQ(Coerce(QVariantList{1.0, QStringLiteral("x")}, VT::DoubleArray, out),
              CoerceStatus::Mismatch);
    EXPECT_EQ(Coerce(5, VT::Int32Array, out), CoerceStatus::Mismatch);
    EXPECT_EQ(Coerce(QVariantList{QVariantList{1}}, VT::Int32Array, out), CoerceStatus::Mismatch);
}

TEST(Coerce, DescribeValueNamesValueAndType) {
    EXPECT_EQ(DescribeValue(QStringLiteral("abc")), QStringLiteral("\"abc\" (string)"));
    EXPECT_EQ(DescribeValue(40000), QStringLiteral("40000 (integer)"));
    EXPECT_EQ(DescribeValue(2.5), QStringLiteral("2.5 (double)"));
    EXPECT_EQ(DescribeValue(true), QStringLiteral("True (boolean)"));
    EXPECT_EQ(DescribeValue(QVariantList{1, 2}), QStringLiteral("an array of 2"));
}

}  // namespace
}  // namespace korvex::com
