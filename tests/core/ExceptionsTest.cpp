#include <gtest/gtest.h>

#include <cerrno>

#include "core/CPtr.h"
#include "core/DateTime.h"
#include "core/Exceptions.h"
#include "core/Nullable.h"
#include "support/TestSupport.h"

namespace {

using TestSupport::LocationOf;

struct Tracked {
    explicit Tracked(int& destroyed) : destroyed_(destroyed) {}
    ~Tracked() { ++destroyed_; }
    int& destroyed_;
};

}  // namespace

template <>
struct CPtrLocations<Tracked> {
    static constexpr const char* Arrow = "CPtr<class Tracked>::operator -> (114)";
    static constexpr const char* Star = "CPtr<class Tracked>::operator * (108)";
};

namespace {

TEST(ApplicationExceptionTest, CarriesLocationMessageAndTheErrnoCurrentWhenBuilt) {
    errno = ENOENT;
    const ApplicationException error("COptions::SaveCities (368)", "note");
    EXPECT_EQ(error.LastError, static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(error.Location, "COptions::SaveCities (368)");
    EXPECT_EQ(error.Message, "note");
    EXPECT_EQ(error.Remarks, "");

    const ApplicationException empty(nullptr, nullptr);
    EXPECT_EQ(empty.Location, "");
    EXPECT_EQ(empty.Message, "");
}

TEST(ApplicationExceptionTest, ArgumentNullIsNotAnArgumentExceptionButIsAnApplicationException) {
    bool caughtAsArgument = false;
    bool caughtAsApplication = false;
    try {
        try {
            throw ArgumentNullException("Util::ParseInt (447)");
        } catch (const ArgumentException&) {
            caughtAsArgument = true;
        }
    } catch (const ApplicationException& error) {
        caughtAsApplication = true;
        EXPECT_EQ(error.Location, "Util::ParseInt (447)");
    }
    EXPECT_FALSE(caughtAsArgument);
    EXPECT_TRUE(caughtAsApplication);

    EXPECT_THROW(throw ArgumentOutOfRangeException("x"), ApplicationException);
    EXPECT_THROW(throw OverflowException("x"), ApplicationException);
}

TEST(ApplicationExceptionTest, RaiseHelpersThrowWithTheirLocation) {
    EXPECT_EQ(LocationOf([] { RaiseError("Tokenize (58)"); }), "Tokenize (58)");
    EXPECT_EQ(RaiseUnlessHttpSuccess(200, "Http (1)"), 200);
    EXPECT_EQ(RaiseUnlessHttpSuccess(299, "Http (1)"), 299);
    EXPECT_EQ(LocationOf([] { RaiseUnlessHttpSuccess(199, "Http (1)"); }), "Http (1)");
    EXPECT_EQ(LocationOf([] { RaiseUnlessHttpSuccess(300, "Http (2)"); }), "Http (2)");
    EXPECT_EQ(LocationOf([] { RaiseUnlessHttpSuccess(404, "Http (3)"); }), "Http (3)");
}

TEST(NullableTest, ValueRaisesUntilAssignedWithTheInstanceLocation) {
    Nullable<int> number;
    EXPECT_FALSE(number.HasValue());
    EXPECT_EQ(LocationOf([&] { (void)number.Value(); }), "Nullable<int>::Value (20)");
    number = 5;
    EXPECT_TRUE(number.HasValue());
    EXPECT_EQ(number.Value(), 5);
    number.Reset();
    EXPECT_FALSE(number.HasValue());

    Nullable<DateTime> date;
    EXPECT_EQ(LocationOf([&] { (void)date.Value(); }), "Nullable<class DateTime>::Value (20)");
}

TEST(CPtrTest, DereferencingNullRaisesWithTheOwnedTypesLocations) {
    CPtr<Tracked> pointer;
    EXPECT_EQ(LocationOf([&] { (void)pointer.operator->(); }),
              "CPtr<class Tracked>::operator -> (114)");
    EXPECT_EQ(LocationOf([&] { (void)*pointer; }), "CPtr<class Tracked>::operator * (108)");
}

TEST(CPtrTest, AssignmentDeletesThePreviousObjectOnlyWhenItDiffers) {
    int destroyed = 0;
    {
        CPtr<Tracked> pointer;
        auto* first = new Tracked(destroyed);
        pointer = first;
        pointer = first;  // the same object: kept alive
        EXPECT_EQ(destroyed, 0);
        EXPECT_EQ(&*pointer, first);
        pointer = new Tracked(destroyed);
        EXPECT_EQ(destroyed, 1);
        pointer = nullptr;
        EXPECT_EQ(destroyed, 2);
        EXPECT_TRUE(pointer.IsNull());
        pointer = new Tracked(destroyed);
    }
    EXPECT_EQ(destroyed, 3);
}

TEST(CPtrTest, MovingTransfersOwnership) {
    int destroyed = 0;
    CPtr<Tracked> source(new Tracked(destroyed));
    CPtr<Tracked> target(std::move(source));
    EXPECT_TRUE(
        source.IsNull());  // NOLINT(bugprone-use-after-move): moved-from is empty by contract
    EXPECT_FALSE(target.IsNull());
    CPtr<Tracked>& alias = target;
    target = std::move(alias);  // moving onto itself keeps the object
    EXPECT_EQ(destroyed, 0);
}

}  // namespace
