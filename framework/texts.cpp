#include "framework/texts.h"

#include <atomic>

namespace quorlin {

std::wstring ChineseText(unsigned id) {
    switch (id) {
        case IDS_TARGET_DRIVE_ABSENT: return L"“%s”在 %s 盘上，这个盘现在没有接入。接入后再试。";
        case IDS_TARGET_OUT_OF_REACH: return L"“%s”在 %s 上，现在打不开。请确认它能访问后再试。";
        case IDS_DATA_MOVED: return L"程序所在的文件夹不能写入。按钮和设置从现在起保存在：\r\n%s";
        case IDS_TRAY_TIP: return L"Zanthe桌面";
        case IDS_NOTICE_CAPTION: return L"提示";
        case IDS_CLEAR_ALL_QUESTION: return L"确认清空所有按钮？";
        case IDS_CLEAR_ALL_CAPTION: return L"请您确认";
        case IDS_LOCKED_DROP_QUESTION: return L"按钮已经锁定，是否强行拖入？";
        case IDS_DROP_LIMIT: return L"最多只能添加%d个按钮";
        case IDS_HOTKEY_MENU: return L"热键：%s";
        case IDS_HOTKEY_NONE: return L"热键：无（已被占用）";
        case IDS_HOTKEY_REFUSED_ONE:
            return L"热键 %s 已被其他程序占用，无法用键盘唤出面板。\r\n请在托盘图标菜单的“设置…”中按下另一个组合键，它立即生效。";
        case IDS_HOTKEY_REFUSED_ALL:
            return L"热键 %s 都已被其他程序占用，无法用键盘唤出面板。\r\n请在托盘图标菜单的“设置…”中按下另一个组合键，它立即生效。";
        case IDS_LIST_SEPARATOR: return L"、";
        case IDS_REMOVAL_PROMPT: return L"打开失败{%s}\r\n\r\n此目标不存在或已失效，是否删除此按钮？";
        case IDS_ENTRY_COMPUTER: return L"我的电脑";
        case IDS_ENTRY_CONTROL: return L"控制面板";
        case IDS_ENTRY_DOCUMENTS: return L"我的文档";
        case IDS_ENTRY_RECYCLE: return L"回收站";
        case IDS_ENTRY_BROWSER: return L"IE浏览器";
        case IDS_ADD_CAPTION: return L"添加";
        case IDS_EDIT_CAPTION: return L"修改";
        case IDS_LABEL_FILE: return L"文件：";
        case IDS_LABEL_URL: return L"网址：";
        case IDS_LABEL_FOLDER: return L"路径：";
        case IDS_NEED_TITLE: return L"请输入标题";
        case IDS_NEED_TARGET: return L"请输入目标地址";
        case IDS_NEED_HTTP: return L"请输入正确的网址，必须以http://或https://开头";
        case IDS_ROW_GONE: return L"不存在或已被删除";
        case IDS_FOLDER_INSTRUCTION: return L"请选择文件夹";
        case IDS_FOLDER_CAPTION: return L"选择文件夹目录";
        case IDS_FILE_FILTER: return L"All files(*.*)";
        case IDS_OPEN_DATA_FAILED: return L"打开数据失败！";
        case IDS_NAME_NOT_STORABLE: return L"这个名称无法按原样保存到数据库，按钮没有添加：\n%s";
        case IDS_NO_SORT_LEFT: return L"数据库中已没有更大的排序号，无法再添加按钮。";
        case IDS_NO_ID_LEFT: return L"数据库给新按钮的编号是保留编号，按钮没有添加。";
        case IDS_VERSION_CAPTION: return L"Zanthe桌面-版本检测";
        case IDS_VERSION_FAILED: return L"版本检测失败,请稍候重试!";
        case IDS_VERSION_UP_TO_DATE: return L"已经是最新版本, 无须升级。";
        case IDS_VERSION_NEWER: return L"发现新版本:%s 是否打开主页下载更新?";
        case IDS_TITLE_TOO_LONG: return L"标题太长，最多 %d 个字符";
        case IDS_TARGET_TOO_LONG: return L"目标地址太长，最多 %d 个字符";
        case IDS_PARAMS_TOO_LONG: return L"参数太长，最多 %d 个字符";
        case IDS_IMPORT_COL_TITLE: return L"标题";
        case IDS_IMPORT_COL_KIND: return L"类型";
        case IDS_IMPORT_COL_PATH: return L"路径";
        case IDS_IMPORT_COL_PARAMETER: return L"参数";
        case IDS_IMPORT_COL_REFUSED: return L"拒绝原因";
        case IDS_KIND_FILE: return L"文件";
        case IDS_KIND_BROWSER_URL: return L"网址（浏览器）";
        case IDS_KIND_FOLDER: return L"文件夹";
        case IDS_KIND_SHELL_ENTRY: return L"系统项目";
        case IDS_KIND_URL: return L"网址";
        case IDS_ACC_PLACE: return L"第 %d 圈，第 %d 个，共 %d 个";
        case IDS_ACC_OPEN: return L"打开";
        case IDS_ACC_CLOCK: return L"时钟";
        case IDS_ALIAS_TOO_LONG: return L"别名太长，最多 %d 个字符";
        case IDS_SETTINGS_TITLE: return L"Zanthe桌面 设置";
        case IDS_SET_GROUP_KEYS: return L"热键";
        case IDS_SET_HOTKEY_LABEL: return L"热键(&H)：";
        case IDS_SET_DEFAULT: return L"默认(&D)";
        case IDS_SET_HOTKEY_ACTIVE: return L"%s 已生效。";
        case IDS_SET_HOTKEY_TAKEN: return L"%s 已被其他程序占用，没有保存。";
        case IDS_SET_HOTKEY_INVALID: return L"热键要有 Ctrl、Alt 或 Win，再加字母、数字、F1–F24、Space 等一个键。";
        case IDS_SET_QUIET_HOTKEY: return L"全屏程序运行时忽略热键(&G)";
        case IDS_SET_GROUP_PANEL: return L"面板";
        case IDS_SET_LANGUAGE_LABEL: return L"语言(&L)：";
        case IDS_SET_LANGUAGE_AUTO: return L"自动（跟随系统）";
        case IDS_SET_SIZE_LABEL: return L"大小(&S)：";
        case IDS_SET_AUTORUN: return L"随系统启动(&W)";
        case IDS_SET_TOPMOST: return L"置顶(&T)";
        case IDS_SET_FIXED: return L"固定(&F)";
        case IDS_SET_LOCK: return L"锁定面板按钮(&K)";
        case IDS_SET_UPDATE_CHECK: return L"启动时检测更新(&U)";
        case IDS_SET_CHECK_NOW: return L"立即检测(&N)";
        case IDS_SET_GROUP_DATA: return L"数据";
        case IDS_SET_DATA_LABEL: return L"按钮和设置保存在：";
        case IDS_SET_OPEN_FOLDER: return L"打开文件夹(&O)";
        case IDS_SET_BACKUPS_LABEL: return L"备份(&B)：";
        case IDS_SET_RESTORE: return L"恢复(&R)…";
        case IDS_SET_EXPORT: return L"导出按钮(&E)…";
        case IDS_SET_IMPORT: return L"导入按钮(&I)…";
        case IDS_SET_CLOSE: return L"关闭";
        case IDS_SET_NO_BACKUP: return L"（还没有备份）";
        case IDS_RESTORE_QUESTION: return L"现在的按钮已先备份。\r\n要用 %s 的备份替换现在的按钮吗？";
        case IDS_RESTORE_FAILED: return L"这个备份无法恢复，按钮没有改变。";
        case IDS_RESTORE_NOT_BACKED_UP: return L"现在的按钮无法先备份，没有恢复。";
        case IDS_FIRST_HINT: return L"把文件、文件夹或快捷方式拖到这里";
        case IDS_FIRST_HINT_MENU: return L"  右键单击圆盘打开菜单";
        case IDS_FIRST_HINT_HOTKEY: return L"，%s 随时唤出";
        default: return L"";
    }
}

namespace {

class ChineseTexts : public ITexts {
public:
    std::wstring Get(unsigned id) override { return ChineseText(id); }
};

ChineseTexts g_chinese;
std::atomic<ITexts*> g_texts{nullptr};

}  // namespace

ITexts& Texts() {
    ITexts* t = g_texts.load();
    return t ? *t : g_chinese;
}

ITexts* SetTexts(ITexts* impl) {
    return g_texts.exchange(impl);
}

std::wstring Text(unsigned id) {
    return Texts().Get(id);
}

std::wstring FillIn(const std::wstring& pattern, std::initializer_list<std::wstring> args) {
    std::wstring out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && (pattern[i + 1] == L's' || pattern[i + 1] == L'd')) {
            if (next != args.end()) out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace quorlin
