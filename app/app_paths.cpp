#include "app/app_paths.h"

namespace quorlin {

std::wstring DirectoryOfModulePath(const std::wstring& modulePath) {
    const size_t slash = modulePath.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : modulePath.substr(0, slash);
}

std::wstring AppNameOfModulePath(const std::wstring& modulePath) {
    const size_t slash = modulePath.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? modulePath : modulePath.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring RunValueForPath(const std::wstring& exePath) { return L"\"" + exePath + L"\""; }

bool RunValueNamesPath(const std::wstring& stored, const std::wstring& exePath) {
    if (exePath.empty()) return false;
    return stored == exePath || stored == RunValueForPath(exePath);
}

}  // namespace quorlin
