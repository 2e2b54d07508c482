#include "buttons/item_actions_logic.h"

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
    return L"打开失败{" + path + L"}\r\n\r\n此目标不存在或已失效，是否删除此按钮？";
}

std::wstring ContainingFolderParams(const std::wstring& path) {
    return L"/select, " + path;
}

}  // namespace quorlin
