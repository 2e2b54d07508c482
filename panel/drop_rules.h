// Rules for adding buttons by drop and from the common-entry commands; no window code here.
#pragma once
#include <optional>
#include <string>

#include "res/resource.h"
#include "store/entry_rules.h"  // kBrowserHomePage and the common shell entries

namespace quorlin {

// A drop adds names only while the panel holds fewer buttons than this.
constexpr int kMaxButtons = 66;

// What a shortcut that cannot be read resolves to; pruning removes such a button later.
inline constexpr wchar_t kUnreadableShortcutTarget[] = L" ";

// Title of a dropped name: short names whole, else the last path part without its extension.
std::wstring TitleFromPath(const std::wstring& name);

// True when the path ends in ".lnk" exactly (case-sensitive), i.e. it must be resolved.
bool IsShortcutPath(const std::wstring& path);

// Kind of a dropped (resolved) target: Folder (2) for a directory, else File (0).
int DropKindFor(bool isDirectory);

// True while a drop may still add a name to a panel holding `count` buttons.
bool CanDropMore(int count);

// The message shown once when a drop reaches kMaxButtons. (Before a drop onto locked
// buttons the panel asks Text(IDS_LOCKED_DROP_QUESTION), caption Text(IDS_NOTICE_CAPTION).)
std::wstring DropLimitMessage();

// One row that a common-entry command adds.
struct CommonEntry {
    std::wstring Title;
    std::wstring PathName;
    int iType = 0;
    std::wstring Para;
};

// The entry for the commands ID_ADD_COMPUTER, ID_ADD_CONTROL, ID_ADD_DOCUMENTS, ID_ADD_RECYCLE
// and ID_ADD_IE; nullopt for any other id.
std::optional<CommonEntry> CommonEntryFor(int commandId, const std::wstring& documentsFolder);

}  // namespace quorlin
