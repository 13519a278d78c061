#pragma once

#include "app/AppLog.h"
#include "core/Exceptions.h"

// Every handler of the running program catches everything: a failed step
// changes nothing and leaves a line in the log; the next occasion tries again.
template <class Step>
void Guarded(const char* what, Step step) {
    try {
        step();
    } catch (...) {
        qCWarning(lcApp) << what << "failed:" << CurrentExceptionText().c_str();
    }
}
