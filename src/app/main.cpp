#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Application.h"
#include "app/OneShotRender.h"
#include "app/Program.h"
#include "core/ErrorDisplay.h"
#include "platform/UnixSignalWatcher.h"

namespace {

bool HasDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

// A Wayland compositor lets no window place itself or stay on top; where
// XWayland is there, the floating windows keep their places on it.
void PreferX11UnderWayland() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && wayland != nullptr && *wayland != '\0' &&
        x11 != nullptr && *x11 != '\0') {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
}

// The one event loop of the main thread, with the application object beside it.
int RunEventLoop(int argc, char** argv) {
    PreferX11UnderWayland();
    QApplication events(argc, argv);
    events.setQuitOnLastWindowClosed(false);
    // Logging off ends the program the orderly way, so the user's wallpaper comes back.
    QObject::connect(&events, &QGuiApplication::commitDataRequest, &events,
                     [] { Program::Exit(); });
    // So does a request to end from the system or a script; the loop then ends
    // with the shell's code for the signal.
    UnixSignalWatcher terminationSignals;
    QObject::connect(&terminationSignals, &UnixSignalWatcher::terminationRequested, &events,
                     [](int signalNumber) {
                         Program::Exit();
                         QCoreApplication::exit(128 + signalNumber);
                     });
    // Failures the user must hear of come up in a message box.
    SetErrorDisplay([](const std::string& text, const std::string& caption) {
        QMessageBox::critical(nullptr, QString::fromStdString(caption),
                              QString::fromStdString(text));
    });
    Application application;
    int exitCode = 0;
    try {
        if (Program::OnStartup()) {
            exitCode = QApplication::exec();
        }
        Program::OnShutdown();
    } catch (...) {
        exitCode = 0;
    }
    Program::CloseInstanceMutex();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    // A server that closes its end early must fail that one transfer, not end
    // the program: writes to a closed connection report an error instead.
    std::signal(SIGPIPE, SIG_IGN);
    const char* startedAs = argc > 0 ? argv[0] : nullptr;
    // Besides the desktop start itself, the desktop executable knows two commands
    // that must not be taken for a second start.
    const std::string command = argc > 1 ? argv[1] : "";
    const bool startsItself = command != "--render" && command != "--quit";
    if (!Program::Initialize(startedAs, Program::CommandLineFromArguments(argc, argv),
                             startsItself)) {
        return 0;
    }
    const std::string& name = Program::AppDisplayName();
    const bool desktop = Program::Mode() == EnumAppMode::Desktop;
    if (desktop && command == "--render") {
        return OneShotRender::Run(argc, argv);
    }
    if (desktop && command == "--quit") {
        if (Program::QuitRunningInstance()) {
            return 0;
        }
        std::fprintf(stderr, "%s --quit: no running %s answered.\n", name.c_str(), name.c_str());
        return 1;
    }
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "%s: there is no display to show the picture on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set).\n",
                     name.c_str());
        if (desktop) {
            std::fprintf(stderr, "To draw the picture into a file instead: %s --render earth.jpg\n",
                         Program::ExeFileName().c_str());
        }
        return 1;
    }
    return RunEventLoop(argc, argv);
}
