#include "render/Background.h"

QThreadPool& BackgroundThreads() {
    static QThreadPool threads;
    return threads;
}

bool JoinBackgroundWork(int milliseconds) {
    return BackgroundThreads().waitForDone(milliseconds);
}
