#pragma once

#include <memory>

#include "ui/FormOptions.h"

class Application;

// The options dialog's link to the running program: what OK and Apply set in
// motion, the log-in entry, the screen saver and the pages it opens.
class ProgramOptionsHost : public OptionsDialogHost {
public:
    // The name of the log-in entry, one for every edition.
    static constexpr const char* StartupItemName = "Vellumark";

    explicit ProgramOptionsHost(Application& application) : application_(application) {}

    const COptions* LiveOptions() const override;
    bool RunsAtLogin() const override;
    void Commit(COptions workingCopy, bool runAtLogin) override;
    void EndConfiguration() override;
    bool MakeScreenSaver() override;
    void OpenWeatherBackgrounds(QWidget* owner) override;
    void OpenWebSite(QWidget* owner) override;
    void OpenFeedback(QWidget* owner) override;

private:
    Application& application_;
};

namespace Program {

// The edited options put in place on the desktop: the log-in entry written or
// removed, the weather already received carried over by city id, the options
// saved, the wallpaper and the windows redrawn, the weather looked at again,
// and clouds fetched when they were just switched on.
void ApplyOptions(Application& application, COptions options, bool runAtLogin);

// The dialog of the running program, hidden until asked for.
std::unique_ptr<CFormOptions> MakeFormOptions(Application& application);

}  // namespace Program
