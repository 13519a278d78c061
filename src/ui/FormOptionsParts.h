#pragma once

#include <QString>
#include <string>

#include "core/Exceptions.h"
#include "ui/UiLog.h"

// What the options dialog's files share.
namespace OptionsDialogParts {

inline QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// Every handler catches everything: a failed action leaves the copy as it was.
template <class Step>
void Guarded(const char* what, Step step) {
    try {
        step();
    } catch (...) {
        qCWarning(lcUi) << what << "failed:" << CurrentExceptionText().c_str();
    }
}

}  // namespace OptionsDialogParts
