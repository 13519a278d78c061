#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/ErrorDisplay.h"

namespace {

using Shown = std::pair<std::string, std::string>;  // text, caption

class ErrorDisplayTest : public ::testing::Test {
protected:
    ~ErrorDisplayTest() override { SetErrorDisplay(nullptr); }

    void Record() {
        SetErrorDisplay([this](const std::string& text, const std::string& caption) {
            shown_.emplace_back(text, caption);
        });
    }

    std::vector<Shown> shown_;
};

TEST_F(ErrorDisplayTest, WithoutADisplayTheErrorGoesToStandardErrorAsOneLine) {
    ::testing::internal::CaptureStderr();
    ShowError("Could not save options.", "Terravue");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Terravue: Could not save options.\n");
}

TEST_F(ErrorDisplayTest, AnInstalledDisplayGetsTextAndCaptionInsteadOfStandardError) {
    Record();
    ::testing::internal::CaptureStderr();
    ShowError("Could not save options.", "Nimbara");
    ShowError("second", "Meridio");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(shown_,
              (std::vector<Shown>{{"Could not save options.", "Nimbara"}, {"second", "Meridio"}}));
}

TEST_F(ErrorDisplayTest, AnEmptyDisplayPutsTheStandardErrorDefaultBack) {
    Record();
    SetErrorDisplay(nullptr);
    ::testing::internal::CaptureStderr();
    ShowError("text", "caption");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "caption: text\n");
    EXPECT_TRUE(shown_.empty());
}

TEST_F(ErrorDisplayTest, ADisplayMayShowAnotherErrorOrReplaceItself) {
    SetErrorDisplay([this](const std::string& text, const std::string& caption) {
        shown_.emplace_back(text, caption);
        if (text == "first") {
            ShowError("nested", caption);
            SetErrorDisplay(nullptr);
        }
    });
    ShowError("first", "Terravue");
    EXPECT_EQ(shown_, (std::vector<Shown>{{"first", "Terravue"}, {"nested", "Terravue"}}));
}

}  // namespace
