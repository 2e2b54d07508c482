// Names derived from the executable's path. Portable.
#pragma once

#include <string>

namespace quorlin {

// The folder of a module path without a trailing backslash: the text before the last
// backslash, or "" when there is none.
std::wstring DirectoryOfModulePath(const std::wstring& modulePath);
// The file name of a module path without its extension ("quorlin" for ...\quorlin.exe).
std::wstring AppNameOfModulePath(const std::wstring& modulePath);

}  // namespace quorlin
