#pragma once

#include <QImage>
#include <QObject>
#include <memory>
#include <mutex>
#include <vector>

#include "weather/WeatherDownloadWork.h"

class COptions;

// Where background work hands its results to the main thread. Lives on the
// main thread; the worker calls the Post functions, which emit the signals
// below, so receivers on the main thread get them queued, as values and in
// order. Nothing is kept or posted once the program is exiting.
class WorkResults : public QObject, public IWeatherResultSink {
    Q_OBJECT

public:
    explicit WorkResults(QObject* parent = nullptr);
    ~WorkResults() override;

    // Worker thread: keeps the report for the main thread and, with postNow,
    // announces partial results.
    void PushWeatherResult(std::unique_ptr<CWeatherReport> report, bool postNow) override;
    void PostWeatherDone() override;
    // Each is false when nothing was posted because the program is exiting.
    bool PostWeatherPartial();
    bool PostCloudImage(QImage layer);
    bool PostNewVersion();

    // Main thread: applies every kept report to its city by the merge rule of
    // the cities; reports of cities that no longer exist are dropped. False
    // when there was nothing to take.
    bool TakeWeatherResults(COptions& options);

signals:
    void weatherPartial();
    void weatherDone();
    void cloudImageReady(QImage layer);
    void newVersionAvailable();

private:
    // Held only for an append or a move of the whole list; nothing is posted under it.
    std::mutex resultLock_;
    std::vector<CWeatherReport> results_;
};
