#include <malloc.h>

#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/AppLog.h"
#include "app/Application.h"
#include "app/OneShotRender.h"
#include "app/Program.h"
#include "app/UpdateCheck.h"
#include "core/ErrorDisplay.h"
#include "core/Exceptions.h"
#include "platform/DisplayChoice.h"
#include "platform/UnixSignalWatcher.h"

namespace {

// The one event loop of the main thread, with the application object beside it.
int RunEventLoop(int argc, char** argv, const std::string& platform) {
    // For the application object only: the desktops' own tools that the program
    // starts pick their platform as the session would.
    if (!platform.empty()) {
        setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    }
    QApplication events(argc, argv);
    if (!platform.empty()) {
        unsetenv("QT_QPA_PLATFORM");
    }
    events.setQuitOnLastWindowClosed(false);
    Application application;
    // Logging off ends the program the orderly way, so the user's wallpaper comes back.
    QObject::connect(&events, &QGuiApplication::commitDataRequest, &events,
                     [&application] { Program::Exit(application); });
    // So does a request to end from the system or a script; the loop then ends
    // with the shell's code for the signal.
    UnixSignalWatcher terminationSignals;
    QObject::connect(&terminationSignals, &UnixSignalWatcher::terminationRequested, &events,
                     [&application](int signalNumber) {
                         Program::Exit(application);
                         QCoreApplication::exit(128 + signalNumber);
                     });
    // Failures the user must hear of come up in a message box.
    SetErrorDisplay([](const std::string& text, const std::string& caption) {
        QMessageBox::critical(nullptr, QString::fromStdString(caption),
                              QString::fromStdString(text));
    });
    int exitCode = 0;
    try {
        if (Program::OnStartup(application)) {
            exitCode = QApplication::exec();
        }
        Program::OnShutdown(application);
    } catch (const ApplicationException& error) {
        // A start that says why it failed (a screen-saver host's window that is not
        // there) is told; the others end quietly.
        exitCode = error.Message.empty() ? 0 : 1;
        if (exitCode != 0) {
            std::fprintf(stderr, "%s: %s\n", Program::ExeFileName().c_str(), error.Message.c_str());
        }
    } catch (...) {
        // Anything else is a failure all the same, and is told.
        std::fprintf(stderr, "%s: %s\n", Program::ExeFileName().c_str(),
                     CurrentExceptionText().c_str());
        exitCode = 1;
    }
    Program::CloseInstanceMutex();
    return exitCode;
}

// What --help prints: every switch with one line each, under the names the program
// was started as.
void PrintHelp(const std::string& program) {
    const std::string screenSaver = program.substr(0, program.rfind(".scr")) + ".scr";
    std::string text(
        "Usage: @P [--options | --earth | --local-weather | --time-zones | --quit]\n"
        "       @P --render FILE [--size WxH] [--time YYYY-MM-DDTHH:MM:SSZ] [--weather]\n"
        "       @S [/s | /c [WINDOW] | /p WINDOW | -root | -window | -window-id WINDOW]\n"
        "       @P --help | --version\n"
        "\n"
        "Without an option the program starts on the desktop and keeps the wallpaper live.\n"
        "\n"
        "  --options          open the options dialog (of the running program, else start it)\n"
        "  --earth            show the Earth window\n"
        "  --local-weather    show the local-weather window\n"
        "  --time-zones       show the world-clock strip\n"
        "  --quit             ask the running program to exit; 1 when none answers\n"
        "  --render FILE      draw the picture once into FILE (.png, .jpg, .bmp) and exit\n"
        "  --size WxH         with --render: its size (default: the primary screen)\n"
        "  --time INSTANT     with --render: the UTC instant, YYYY-MM-DDTHH:MM:SSZ\n"
        "  --weather          with --render: fetch the cities' weather first\n"
        "  --help             print this help and exit\n"
        "  --version          print the name and version and exit\n"
        "\n"
        "Started as @S, the screen saver:\n"
        "  /s                 run full screen\n"
        "  /c [WINDOW]        open its options, in front of WINDOW\n"
        "  /p WINDOW          draw the preview into the X11 window WINDOW\n"
        "  -root              as an xscreensaver hack, over the whole screen\n"
        "  -window            as an xscreensaver hack, in a window of its own\n"
        "  -window-id WINDOW  as an xscreensaver hack, in the window WINDOW\n"
        "\n"
        "The manual page skyvane(1) says more.\n");
    for (const auto& [mark, name] : {std::pair{"@P", program}, std::pair{"@S", screenSaver}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
            text.replace(at, 2, name);
            at += name.size();
        }
    }
    std::fputs(text.c_str(), stdout);
}

// --help and --version answer without a display, under every name.
int Answer(const std::string& command, const char* startedAs) {
    std::string program = "skyvane";
    std::string name = "Skyvane";
    try {
        Program::InitPathInfo(startedAs);
        Program::DetermineAppMode("");
        program = Program::ExeFileName();
        name = Program::AppDisplayName();
    } catch (...) {
        qCWarning(lcApp) << "the edition's names are not known, the product's are given:"
                         << CurrentExceptionText().c_str();
    }
    if (command == "--version") {
        std::printf("%s %s\n", name.c_str(), UpdateCheck::ProgramVersionText().c_str());
    } else {
        PrintHelp(program);
    }
    return 0;
}

// A desktop start reads nothing but its first switch; anything else is named, and
// the start goes on.
void ReportIgnoredArguments(int argc, char** argv, bool firstKnown) {
    for (int index = firstKnown ? 2 : 1; index < argc; ++index) {
        std::fprintf(stderr,
                     "%s: ignoring \"%s\", which a desktop start does not know (%s --help)\n",
                     Program::ExeFileName().c_str(), argv[index], Program::ExeFileName().c_str());
    }
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
    if (command == "--help" || command == "--version") {
        return Answer(command, startedAs);
    }
    const bool startsItself = command != "--render" && command != "--quit";
    // A launcher's action reaches the running instance, or starts one that does it.
    if (!Program::Initialize(startedAs, Program::CommandLineFromArguments(argc, argv), startsItself,
                             Program::LauncherRequest(command))) {
        if (Program::StartProblem().empty()) {
            return 0;
        }
        std::fprintf(stderr, "%s: %s\n", Program::ExeFileName().c_str(),
                     Program::StartProblem().c_str());
        return 1;
    }
    const std::string& name = Program::AppDisplayName();
    const bool desktop = Program::Mode() == EnumAppMode::Desktop;
    if (desktop && command == "--render") {
        return OneShotRender::Run(argc, argv);
    }
    if (desktop) {
        ReportIgnoredArguments(argc, argv,
                               command == "--quit" || Program::LauncherRequest(command) != 0);
    }
    // One heap for every thread of the resident program: the maps a refresh's helpers
    // read are freed on the main thread, and only then does trimming after the refresh
    // give their memory back, instead of leaving it with the helpers' heaps all day.
    ::mallopt(M_ARENA_MAX, 1);
    if (desktop && command == "--quit") {
        if (Program::QuitRunningInstance()) {
            return 0;
        }
        std::fprintf(stderr, "%s --quit: no running %s answered.\n", name.c_str(), name.c_str());
        return 1;
    }
    const DisplayChoice display = ChooseDisplay();
    if (!display.Problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), display.Problem.c_str());
        if (desktop) {
            std::fprintf(stderr, "To draw the picture into a file instead: %s --render earth.jpg\n",
                         Program::ExeFileName().c_str());
        }
        return 1;
    }
    return RunEventLoop(argc, argv, display.Platform);
}
