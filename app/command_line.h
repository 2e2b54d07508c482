// The command line: "--export FILE" and "--import FILE" run without any window on the
// store in the data folder and end. "--settings" opens the settings window: in the panel
// that runs, or in a panel it starts. Any other command line starts the panel as before
// (its arguments are ignored). Portable: the Win32 side (command_line_win) only finds the
// folders, shows the result and tells a running panel to reload.
#pragma once

#include <string>
#include <vector>

#include "store/backups.h"
#include "store/button_transfer.h"

namespace quorlin {

struct CommandLineAction {
    enum class Kind { None, Export, Import, Usage, Settings } kind = Kind::None;
    std::wstring file;
};

// args: the arguments after the program's name. The switches are matched without regard
// to letter case; a switch without exactly one FILE after it is a usage error.
CommandLineAction ParseCommandLine(const std::vector<std::wstring>& args);

// Exit code of a usage error (the others are those of ExportToFile / ImportFromFile).
constexpr int kExitUsage = 1;

// Opens bts.db in the data folder dataDir (a failure is reported in the result, never in a message box),
// runs the action and closes the store again.
TransferResult RunCommandLineAction(const CommandLineAction& action, const std::wstring& dataDir,
                                    const std::wstring& profileDir, const DateTime& now);

}  // namespace quorlin
