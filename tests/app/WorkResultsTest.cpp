#include "app/WorkResults.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QThread>
#include <QTimer>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/Program.h"
#include "app/WorkPool.h"
#include "data/Options.h"

namespace {

const DateTime Noon(2024, 3, 1, 12, 0, 0);

std::unique_ptr<CWeatherReport> Report(int cityId) {
    auto report = std::make_unique<CWeatherReport>();
    report->CityId = cityId;
    report->Current.ReportDateTime = Noon;
    return report;
}

City MakeCity(int id) {
    return City(id, "UK", "", "", "City", 51.5F, 0.0F, "EGLL");
}

// Runs a function as a work item on the pool's worker.
class CallItem : public IWork {
public:
    explicit CallItem(std::function<void()> call) : call_(std::move(call)) {}
    void DoWork() override { call_(); }

private:
    std::function<void()> call_;
};

// What reached the main thread, in order, and on which thread it arrived.
class Receiver : public QObject {
public:
    explicit Receiver(WorkResults& results) {
        connect(&results, &WorkResults::weatherPartial, this, [this] { Note("partial"); });
        connect(&results, &WorkResults::cloudImageReady, this,
                [this](const QImage& layer) { Note("cloud " + std::to_string(layer.width())); });
        connect(&results, &WorkResults::newVersionAvailable, this, [this] { Note("version"); });
        connect(&results, &WorkResults::weatherDone, this, [this] { Note("done"); });
    }

    std::vector<std::string> Seen;
    bool AllOnMainThread = true;

private:
    void Note(std::string what) {
        AllOnMainThread = AllOnMainThread && QThread::currentThread() == thread();
        Seen.push_back(std::move(what));
    }
};

class WorkResultsTest : public ::testing::Test {
protected:
    void SetUp() override { Program::ResetForTesting(); }
    void TearDown() override { Program::ResetForTesting(); }

    // Lets queued posts reach their receivers.
    static void DeliverPosted() { QCoreApplication::processEvents(); }

    COptions options_{EnumAppKind::Earth, OptionsFiles{}};
    WorkResults results_;
};

TEST_F(WorkResultsTest, ResultsPostedByTheWorkerArriveOnTheMainThreadInOrder) {
    Receiver receiver(results_);
    WorkPool pool;
    ASSERT_TRUE(pool.Initialise());
    pool.Queue(std::make_unique<CallItem>([this] {
        results_.PushWeatherResult(Report(7), true);
        results_.PostCloudImage(QImage(4, 2, QImage::Format_ARGB32));
        results_.PostNewVersion();
        results_.PostWeatherDone();
    }));
    pool.Stop(0);
    EXPECT_TRUE(receiver.Seen.empty());

    DeliverPosted();
    EXPECT_EQ(receiver.Seen, (std::vector<std::string>{"partial", "cloud 4", "version", "done"}));
    EXPECT_TRUE(receiver.AllOnMainThread);
}

TEST_F(WorkResultsTest, ReportsGoToTheHomeCityFirstThenTheFirstFavouriteWithTheId) {
    options_.HomeCity = new City(MakeCity(7));
    *options_.Cities = {MakeCity(7), MakeCity(8), MakeCity(8)};
    (*options_.Cities)[1].Forecast.ReportDateTime = Noon;

    results_.PushWeatherResult(Report(7), false);
    results_.PushWeatherResult(Report(8), false);
    results_.PushWeatherResult(Report(99), false);
    ASSERT_TRUE(results_.TakeWeatherResults(options_));

    EXPECT_EQ(options_.HomeCity->CurrentWeather.ReportDateTime, Noon);
    const std::vector<City>& cities = *options_.Cities;
    EXPECT_EQ(cities[0].CurrentWeather.ReportDateTime, InitialReportDateTime());
    EXPECT_EQ(cities[1].CurrentWeather.ReportDateTime, Noon);
    // The report's missing forecast never replaces a received one.
    EXPECT_EQ(cities[1].Forecast.ReportDateTime, Noon);
    EXPECT_EQ(cities[2].CurrentWeather.ReportDateTime, InitialReportDateTime());
    EXPECT_FALSE(results_.TakeWeatherResults(options_));
}

TEST_F(WorkResultsTest, WhileExitingReportsAreDiscardedAndNothingIsPosted) {
    Receiver receiver(results_);
    Program::SetExiting();
    results_.PushWeatherResult(Report(1), true);
    results_.PostWeatherDone();
    EXPECT_FALSE(results_.PostNewVersion());
    EXPECT_FALSE(results_.PostCloudImage(QImage(2, 2, QImage::Format_ARGB32)));
    DeliverPosted();
    EXPECT_TRUE(receiver.Seen.empty());
    EXPECT_FALSE(results_.TakeWeatherResults(options_));
}

// A layer on its way when its receiver goes is released with the post, and
// one posted after that goes nowhere; neither stays behind in memory.
TEST_F(WorkResultsTest, CloudLayerOutlivesNoReceiver) {
    QImage layer(64, 32, QImage::Format_ARGB32);
    layer.fill(Qt::white);
    auto receiver = std::make_unique<Receiver>(results_);
    WorkPool pool;
    ASSERT_TRUE(pool.Initialise());
    pool.Queue(std::make_unique<CallItem>([&] { results_.PostCloudImage(layer); }));
    pool.Stop(0);
    EXPECT_FALSE(layer.isDetached());

    receiver.reset();
    EXPECT_TRUE(results_.PostCloudImage(layer));
    DeliverPosted();
    EXPECT_TRUE(layer.isDetached());
}

}  // namespace
