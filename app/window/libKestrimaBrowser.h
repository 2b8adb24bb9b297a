// Showing a page in a browser: the default browser from the registry, or a browser of the Browsers menu, reached through a DDE conversation.
#pragma once

#include <string>

class QWidget;

// Shows an existing file in the default browser; false when the file, the browser's command line or
// its service is missing, or the browser could not be started.
bool OpenInBrowser(const std::string& FileName);
// OpenInBrowser, and when it fails a message box over `owner` naming the page and the browser.
bool OpenInBrowserReported(QWidget* owner, const std::string& FileName);
// Tells the user over `owner` that `FileName` could not be shown with `browser` (a program or a command
// line; "" when there is none).
void ReportBrowserFailure(QWidget* owner, const std::string& FileName, const std::string& browser);
// Asks the service (started from Application when nobody serves it yet) to open URL and then to come
// to the front; true when an open request went through.
bool DdeOpenURL(const std::string& Service, const std::string& Application, const std::string& URL);
// Shows FileName in the browser whose program is `program` (a Browsers menu item's hint): the two
// known browsers get the plain file name, others URLPrefix in front of it.
bool OpenInMenuBrowser(const std::string& program, const std::string& FileName, const std::string& URLPrefix);
// The program of a browser's command line: between the first two double quotes when it starts with
// one, else the text before the first (empty without any).
std::string BrowserProgram(const std::string& command);
// The DDE service of a browser's program: "NETSCAPE" or "IEXPLORE" when the upper-cased path holds
// one, else its upper-cased file name without extension.
std::string BrowserService(const std::string& program);
