#pragma once

#include <string>

class QWidget;

namespace Util {

// Asks the desktop to open the address (a web page, or a folder as a file://
// address) with the wait cursor showing meanwhile; raises "Util::OpenUrl (84)"
// when the desktop cannot open it.
void OpenUrl(QWidget* owner, const std::string& address);

}  // namespace Util

// Opens the product page; when the desktop cannot, tells the user where to go:
// "Please visit " and where to go, in a message box over the owner.
void OpenProductPage(QWidget* owner, const std::string& address, const std::string& whereToGo,
                     const std::string& caption);

// Opens a page whose failure the user need not hear about; the failure is logged.
void OpenPageQuietly(QWidget* owner, const std::string& address);
