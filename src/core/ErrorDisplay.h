#pragma once

#include <functional>
#include <string>

// Shows a failure to the user. The data layer must not depend on the widgets,
// so the user interface installs its message box here at start-up; until then
// (and in tools and tests) the failure goes to stderr as "caption: text".
using ErrorDisplayFunction =
    std::function<void(const std::string& text, const std::string& caption)>;

// An empty function puts the stderr default back.
void SetErrorDisplay(ErrorDisplayFunction display);
void ShowError(const std::string& text, const std::string& caption);
