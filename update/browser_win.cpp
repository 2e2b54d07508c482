#include "update/browser_win.h"

// Placeholder while the launch is being written.
int OpenInDefaultBrowser(const std::wstring&) { return 0; }
