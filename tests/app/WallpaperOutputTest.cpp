#include "app/WallpaperOutput.h"

#include "app/WallpaperController.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

// A desktop that remembers what it was told.
class FakeDesktop : public WallpaperBackend {
public:
    std::string Name() const override { return "Fake"; }
    std::optional<RecordedWallpaper> Record() override { return Shown; }
    bool Set(const std::string& picturePath) override {
        if (!AcceptsPictures) {
            return false;
        }
        Shown = RecordedWallpaper{picturePath, {}};
        SetCalls.push_back(picturePath);
        return true;
    }
    bool SetEach(const std::vector<MonitorPicture>& pictures) override {
        EachCalls.push_back(pictures);
        return WallpaperBackend::SetEach(pictures);
    }
    bool Restore(const RecordedWallpaper& recorded) override {
        RestoredPictures.push_back(recorded.Picture);
        if (TakesRestores) {
            Shown = recorded;
        }
        return TakesRestores;
    }

    std::optional<RecordedWallpaper> Shown = RecordedWallpaper{"/home/user/beach.jpg", {}};
    bool AcceptsPictures = true;
    bool TakesRestores = true;
    std::vector<std::string> SetCalls;
    std::vector<std::vector<MonitorPicture>> EachCalls;
    std::vector<std::string> RestoredPictures;
};

QImage Picture() {
    QImage picture(32, 16, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    return picture;
}

class WallpaperOutputTest : public ::testing::Test {
protected:
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Sets a picture through the output and waits for its news.
    static bool SetAndWait(WallpaperOutput& output) {
        bool result = false;
        QEventLoop loop;
        QObject::connect(&output, &WallpaperOutput::finished, &loop, [&](bool set) {
            result = set;
            loop.quit();
        });
        if (!output.SaveAndSetWallpaper(Picture())) {
            return false;
        }
        loop.exec();
        return result;
    }

    TestSupport::TempFolder folder_;
    TestSupport::TempFolder kept_;
    FakeDesktop desktop_;
};

TEST_F(WallpaperOutputTest, NamesAlternateAndOnlyTheNewPictureStays) {
    const std::string folder = folder_.Folder();
    TestSupport::WriteWholeFile(folder + "E0.jpg", "old");
    TestSupport::WriteWholeFile(folder + "notes.txt", "stray");
    std::filesystem::create_directory(folder + "keep");

    EXPECT_EQ(WallpaperOutput::WriteAndSet(Picture(), folder, desktop_), folder + "E1.jpg");
    EXPECT_EQ(Files(), (std::vector<std::string>{"E1.jpg", "keep"}));
    EXPECT_EQ(WallpaperOutput::WriteAndSet(Picture(), folder, desktop_), folder + "E0.jpg");
    EXPECT_EQ(Files(), (std::vector<std::string>{"E0.jpg", "keep"}));
    EXPECT_EQ(QImage(QString::fromStdString(folder + "E0.jpg")).size(), QSize(32, 16));
    EXPECT_EQ(desktop_.SetCalls, (std::vector<std::string>{folder + "E1.jpg", folder + "E0.jpg"}));
}

// Each monitor's picture is a file of its own, handed to the desktop with its monitor;
// after each round only that round's files stay.
TEST_F(WallpaperOutputTest, EachMonitorsPictureIsAFileOfItsOwnAndOnlyTheNewestStay) {
    const std::string folder = folder_.Folder();
    TestSupport::WriteWholeFile(folder + "E0.jpg", "old");
    const auto round = [&] {
        MonitorPicture left;
        left.Monitor = "DP-1";
        MonitorPicture right;
        right.Monitor = "HDMI-A-1";
        return WallpaperOutput::WriteAndSet({{left, Picture()}, {right, Picture().scaled(16, 8)}},
                                            folder, desktop_);
    };
    const std::vector<MonitorPicture> first = round();
    ASSERT_EQ(first.size(), 2U);
    EXPECT_EQ(first[0].Path, folder + "E1.jpg");
    EXPECT_EQ(first[1].Path, folder + "E2.jpg");
    EXPECT_EQ(QImage(QString::fromStdString(first[1].Path)).size(), QSize(16, 8));
    EXPECT_EQ(Files(), (std::vector<std::string>{"E1.jpg", "E2.jpg"}));
    ASSERT_EQ(desktop_.EachCalls.size(), 1U);
    EXPECT_EQ(desktop_.EachCalls[0][0].Monitor, "DP-1");
    EXPECT_EQ(desktop_.EachCalls[0][1].Monitor, "HDMI-A-1");
    EXPECT_EQ(desktop_.EachCalls[0][1].Path, folder + "E2.jpg");

    const std::vector<MonitorPicture> second = round();
    ASSERT_EQ(second.size(), 2U);
    EXPECT_EQ(Files(), (std::vector<std::string>{"E0.jpg", "E3.jpg"}));

    // One that cannot be set leaves the last round as it was.
    desktop_.AcceptsPictures = false;
    EXPECT_TRUE(round().empty());
    EXPECT_EQ(Files(), (std::vector<std::string>{"E0.jpg", "E3.jpg"}));
}

// A picture that cannot be written or set changes nothing: the desktop keeps
// its picture and the folder the last good file.
TEST_F(WallpaperOutputTest, AFailedPictureLeavesDesktopAndFolderAsTheyWere) {
    const std::string folder = folder_.Folder();
    TestSupport::WriteWholeFile(folder + "E0.jpg", "good");
    EXPECT_EQ(WallpaperOutput::WriteAndSet(QImage(), folder, desktop_), "");
    desktop_.AcceptsPictures = false;
    EXPECT_EQ(WallpaperOutput::WriteAndSet(Picture(), folder, desktop_), "");
    EXPECT_EQ(Files(), std::vector<std::string>{"E0.jpg"});
    EXPECT_TRUE(desktop_.SetCalls.empty());

    for (int number = 0; number <= WallpaperOutput::MaximumFileNumber; ++number) {
        TestSupport::WriteWholeFile(folder + "E" + std::to_string(number) + ".jpg", "taken");
    }
    desktop_.AcceptsPictures = true;
    EXPECT_EQ(WallpaperOutput::WriteAndSet(Picture(), folder, desktop_), "");
    EXPECT_TRUE(desktop_.SetCalls.empty());
}

TEST_F(WallpaperOutputTest, TheUsersWallpaperComesBackOnlyAfterThisRunChangedIt) {
    auto* desktop = new FakeDesktop(desktop_);
    WallpaperOutput output(std::unique_ptr<WallpaperBackend>(desktop), folder_.Folder(),
                           kept_.Folder());
    output.RecordUserWallpaper();
    output.RestoreUserWallpaper();
    EXPECT_TRUE(desktop->RestoredPictures.empty());

    ASSERT_TRUE(SetAndWait(output));
    output.RestoreUserWallpaper();
    output.RestoreUserWallpaper();
    EXPECT_EQ(desktop->RestoredPictures, std::vector<std::string>{"/home/user/beach.jpg"});
}

// Where the user's wallpaper could not be recorded, or the desktop does not take it
// back, the desktop is not left pointing into the wallpaper folder, which is emptied at
// exit: the last picture moves out of it and stays the wallpaper.
TEST_F(WallpaperOutputTest, WhatCannotBePutBackLeavesTheLastPictureOutsideTheFolder) {
    for (const bool recorded : {false, true}) {
        auto* desktop = new FakeDesktop(desktop_);
        if (!recorded) {
            desktop->Shown = std::nullopt;
        }
        desktop->TakesRestores = false;
        WallpaperOutput output(std::unique_ptr<WallpaperBackend>(desktop), folder_.Folder(),
                               kept_.Folder());
        output.RecordUserWallpaper();
        ASSERT_TRUE(SetAndWait(output));
        output.RestoreUserWallpaper();
        const std::string kept = kept_.Folder() + "Last Wallpaper.jpg";
        ASSERT_FALSE(desktop->SetCalls.empty());
        EXPECT_EQ(desktop->SetCalls.back(), kept) << recorded;
        EXPECT_EQ(QImage(QString::fromStdString(kept)).size(), QSize(32, 16));
        EXPECT_TRUE(Files().empty());
        // Kept once: a later restore has nothing more to do.
        output.RestoreUserWallpaper();
        EXPECT_EQ(desktop->RestoredPictures.size(), recorded ? 1U : 0U);
    }
}

// A picture of our own folder is what a run that could not restore left: the
// desktop's default is shown instead and is what comes back at the end.
TEST_F(WallpaperOutputTest, APictureOfOurOwnFolderIsNotTheUsers) {
    auto* desktop = new FakeDesktop(desktop_);
    desktop->Shown = RecordedWallpaper{folder_.Folder() + "E1.jpg", {}};
    WallpaperOutput output(std::unique_ptr<WallpaperBackend>(desktop), folder_.Folder(),
                           kept_.Folder());
    output.RecordUserWallpaper();
    EXPECT_EQ(desktop->RestoredPictures, std::vector<std::string>{""});
    ASSERT_TRUE(SetAndWait(output));
    output.RestoreUserWallpaper();
    EXPECT_EQ(desktop->RestoredPictures, (std::vector<std::string>{"", ""}));
}

// The refresh's one owner: the pictures are composed off the main thread, which
// takes the job's outcome back; a refresh that comes while pictures are under way is
// made once they are done, and one with the wallpaper off, or with nothing to show,
// puts the user's wallpaper back.
TEST_F(WallpaperOutputTest, ARefreshDuringAnotherFollowsItAndNothingToShowBringsTheUsersBack) {
    auto* desktop = new FakeDesktop(desktop_);
    int composed = 0;
    int done = 0;
    bool nothing = false;
    std::atomic<bool> composedOnMainThread = false;
    QThread* const mainThread = QThread::currentThread();
    WallpaperController controller(
        std::make_unique<WallpaperOutput>(std::unique_ptr<WallpaperBackend>(desktop),
                                          folder_.Folder(), kept_.Folder()),
        [&](bool) -> WallpaperJob {
            ++composed;
            if (nothing) {
                return {};
            }
            return {[&] {
                        composedOnMainThread =
                            composedOnMainThread || QThread::currentThread() == mainThread;
                        return std::vector<WallpaperPicture>{{{}, Picture()}};
                    },
                    [&] { done += QThread::currentThread() == mainThread ? 1 : 100; }};
        });
    controller.Start();
    std::vector<bool> outcomes;
    QEventLoop loop;
    QObject::connect(&controller, &WallpaperController::refreshed, &loop, [&](bool set) {
        outcomes.push_back(set);
        if (outcomes.size() == 2) {
            loop.quit();
        }
    });
    controller.Refresh(true);
    controller.Refresh(true);
    EXPECT_EQ(composed, 1) << "the second refresh must wait for the first";
    loop.exec();
    EXPECT_EQ(composed, 2);
    EXPECT_FALSE(composedOnMainThread);
    EXPECT_EQ(done, 2) << "each job's outcome is taken back once, on the main thread";
    EXPECT_EQ(outcomes, (std::vector<bool>{true, true}));
    EXPECT_EQ(desktop->SetCalls.size(), 2U);

    nothing = true;
    controller.Refresh(true);
    EXPECT_EQ(desktop->RestoredPictures, std::vector<std::string>{"/home/user/beach.jpg"});
    // Off, with nothing of ours shown any more, nothing is put back twice.
    controller.Refresh(false);
    EXPECT_EQ(desktop->RestoredPictures.size(), 1U);
}

}  // namespace
