#include "app/BackgroundWork.h"

#include <QImage>

#include "app/Program.h"
#include "app/UpdateCheck.h"
#include "app/WeatherQueue.h"
#include "app/WorkPool.h"
#include "app/WorkResults.h"
#include "net/DownloadHttpWork.h"
#include "render/CloudLayer.h"
#include "weather/WeatherServiceNoaa.h"

namespace Program {

void QueueWeatherDownload(const COptions& options, bool postPartialResults) {
    auto work =
        MakeWeatherDownloadWork(options, Kind(), Mode(), DateTime::UtcNow(), postPartialResults,
                                WeatherResultSink(), MakeWeatherServiceNoaa);
    if (work) {
        Pool().Queue(std::move(work));
    }
}

void QueueHomeWeatherDownload(const COptions& options) {
    auto work = MakeHomeWeatherDownloadWork(options, WeatherResultSink(), MakeWeatherServiceNoaa);
    if (work) {
        Pool().Queue(std::move(work));
    }
}

void QueueCloudDownload() {
    Pool().Queue(std::make_unique<DownloadCloudsWork>(
        CloudDownloadFiles{PathCloudsUrls(), PathTempFolder() + "Clouds.jpg"},
        [](std::unique_ptr<QImage> image) { return PostCloudImage(std::move(image)); }));
}

void QueueUpdateCheck() {
    auto work = std::make_unique<DownloadHttpWork>();
    work->Url = UpdateCheck::Addresses().VersionFile;
    work->CheckVersion = Mode() == EnumAppMode::Desktop;
    work->VersionCheck = [](const std::string& text) { UpdateCheck::CheckVersion(text); };
    Pool().Queue(std::move(work));
}

}  // namespace Program
