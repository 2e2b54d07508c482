#include "app/app_paths.h"

#include "app/app_state.h"

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

int ScalePercentFromText(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t");
    const size_t last = text.find_last_not_of(L" \t");
    if (first == std::wstring::npos) return 100;
    const std::wstring digits = text.substr(first, last - first + 1);
    for (int percent : kScalePercents)
        if (digits == std::to_wstring(percent)) return percent;
    return 100;
}

}  // namespace quorlin
