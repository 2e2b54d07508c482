// Opening a web address in the user's default browser.
#pragma once

#include <string>

// Asks the shell to open url; when it refuses and url is an http(s) address, runs the ".htm"
// handler's command line with the address as one quoted argument. Returns the last platform call's result
// (> 32 from the shell, > 31 from the command line is success). Reentrant.
int OpenInDefaultBrowser(const std::wstring& url);
