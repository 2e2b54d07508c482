#include "buttons/item_actions_logic.h"

#include "framework/target_place.h"
#include "framework/texts.h"
#include "store/button_table.h"

namespace quorlin {

OpenPlan OpenPlanFor(int iType, const std::wstring& path, const std::wstring& para) {
    OpenPlan plan;
    plan.file = path;
    switch (iType) {
        case ItemKind::File:
        case ItemKind::Url:
            plan.verb = kOpenVerb;
            plan.params = para;  // passed even when empty
            break;
        case ItemKind::BrowserUrl:
            plan.useBrowser = true;
            break;
        case ItemKind::Folder:
            plan.verb = kOpenVerb;  // a folder takes no parameters, whatever Para holds
            break;
        case ItemKind::ShellEntry:
        default:
            // Null verb: the shell's default action, which opens namespace paths like My Computer.
            plan.params = para;
            break;
    }
    return plan;
}

bool IsShellFailure(std::intptr_t result) {
    return result < 32;
}

std::wstring RemovalPromptText(const std::wstring& path) {
    return FillIn(Text(IDS_REMOVAL_PROMPT), {path});
}

std::wstring OutOfReachText(const std::wstring& title, const std::wstring& path, bool driveAbsent) {
    const std::wstring place = PlaceOfPath(path);
    return FillIn(Text(driveAbsent ? IDS_TARGET_DRIVE_ABSENT : IDS_TARGET_OUT_OF_REACH),
                  {title, driveAbsent ? place.substr(0, 1) : place});
}

std::wstring RemovalPromptCaption() {
    return Text(IDS_NOTICE_CAPTION);
}

std::wstring ContainingFolderParams(const std::wstring& path) {
    // Quoted, so that a comma in the path is not taken as the next explorer switch. A quote
    // cannot occur in a Windows file name; one in a stored path is dropped. Trailing
    // backslashes name the same folder and would escape the closing quote ("C:\Dir\"), so
    // they go, except after a drive ("C:\"), which holds no comma and stays unquoted.
    std::wstring p;
    for (wchar_t c : path)
        if (c != L'"') p += c;
    auto driveRoot = [&p] { return p.size() == 3 && p[1] == L':' && p[2] == L'\\'; };
    while (p.size() > 1 && p.back() == L'\\' && !driveRoot()) p.pop_back();
    if (driveRoot()) return L"/select, " + p;
    return L"/select, \"" + p + L"\"";
}

}  // namespace quorlin
