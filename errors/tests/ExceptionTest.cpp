#include "errors/CaughtException.h"
#include "errors/ExceptionPL.h"
#include "text/Numerals.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

TEST(DebuggableException, PlainClassesAreDescribedByTheirReadableName)
{
    const NotANumeral e;
    EXPECT_STREQ(e.what(), "NotANumeral");
    EXPECT_EQ(std::string(e.Description().View()), "NotANumeral");
    const std::exception& base = e;
    EXPECT_STREQ(base.what(), "NotANumeral");
}

TEST(ExceptionPL, EmptyMessageFallsBackToTheClassName)
{
    const ExceptionPL e{U8String()};
    EXPECT_STREQ(e.what(), "ExceptionPL");
    EXPECT_EQ(std::string(e.Description().View()), "ExceptionPL");
}

TEST(ExceptionPL, MessageIsKeptInUtf8AndHandedOutInTheAnsiCodePage)
{
    const ExceptionPL e{U8String("disk on fire")};
    EXPECT_EQ(std::string(e.Description().View()), "disk on fire");
    EXPECT_STREQ(e.what(), "disk on fire");
    const ExceptionPL fromAnsi("plain ansi");
    EXPECT_EQ(std::string(fromAnsi.Description().View()), "plain ansi");
    const ExceptionPL copy(e);
    EXPECT_STREQ(copy.what(), "disk on fire");
}

std::unique_ptr<CaughtException> Capture(ExceptionCatcher catcher, const std::function<void()>& thrower)
{
    try {
        thrower();
    } catch (...) {
        return std::unique_ptr<CaughtException>(catcher());
    }
    return nullptr;
}

TEST(CaughtException, ForeignStdExceptionComesBackAsCopiedStdException)
{
    auto caught = Capture(&CatchStdException, [] { throw std::runtime_error("boom"); });
    ASSERT_TRUE(caught);
    EXPECT_STREQ(caught->What(), "boom");
    EXPECT_EQ(std::string(caught->Description().View()), "boom");
    try {
        caught->Rethrow();
    } catch (const std::runtime_error&) {
        FAIL() << "rethrown as the original type";
    } catch (const CopiedStdException& e) {
        EXPECT_STREQ(e.what(), "boom");
    }
}

TEST(CaughtException, WindowsErrorIsRethrownWithItsCode)
{
    auto caught = Capture(&CatchWindowsError, [] { throw Windows::Error(5); });
    ASSERT_TRUE(caught);
    try {
        caught->Rethrow();
        FAIL();
    } catch (const Windows::Error& e) {
        EXPECT_EQ(e.Code(), 5u);
    }
}

TEST(CaughtException, OtherTypesPassThroughTheCatcher)
{
    EXPECT_THROW(Capture(&CatchWindowsError, [] { throw std::runtime_error("x"); }), std::runtime_error);
    EXPECT_THROW(Capture(&CatchStdException, [] { throw 42; }), int);
}

CaughtException* NeverCatches() { throw; }

TEST(CaughtException, CatcherListStartsWithTheTwoCatchersAndTakesEachOnce)
{
    const auto initial = RegisteredExceptionCatchers();
    ASSERT_GE(initial.size(), 2u);
    EXPECT_EQ(initial[0], &CatchStdException);
    EXPECT_EQ(initial[1], &CatchWindowsError);
    RegisterExceptionCatcher(&CatchStdException);
    RegisterExceptionCatcher(&NeverCatches);
    RegisterExceptionCatcher(&NeverCatches);
    const auto after = RegisteredExceptionCatchers();
    EXPECT_EQ(after.size(), initial.size() + 1);
    EXPECT_EQ(after.back(), &NeverCatches);
}

}  // namespace
