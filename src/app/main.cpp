#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/OneShotRender.h"
#include "app/Program.h"

int main(int argc, char** argv) {
    // A server that closes its end early must fail that one transfer, not end
    // the program: writes to a closed connection report an error instead.
    std::signal(SIGPIPE, SIG_IGN);
    const char* startedAs = argc > 0 ? argv[0] : nullptr;
    if (!Program::Initialize(startedAs, Program::CommandLineFromArguments(argc, argv))) {
        return 0;
    }
    const std::string& name = Program::AppDisplayName();
    if (Program::Mode() == EnumAppMode::Desktop && argc > 1 &&
        std::strcmp(argv[1], "--render") == 0) {
        return OneShotRender::Run(argc, argv);
    }
    std::fprintf(stderr,
                 "%s: the desktop windows and the screen saver are not part of this build yet.\n",
                 name.c_str());
    return 0;
}
