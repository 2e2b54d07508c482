// The built-in entries the panel's menu adds (My Computer, Control Panel, My Documents,
// Recycle Bin, the browser). Their rows keep the Chinese titles below whatever the language;
// only what the user reads (the tooltip) is shown in the language of the user interface.
// A title the user typed or a dropped name is shown as it is. Portable.
#pragma once
#include <string>

#include "store/entry_rules.h"  // the stored titles (kComputerTitle ...)

namespace quorlin {

// The IDS_ENTRY_ text id of a built-in entry's stored title, or 0 for any other button:
// the four shell entries (kind ShellEntry) and My Documents (kind Folder).
unsigned BuiltInEntryTextId(int kind, const std::wstring& title);

// What a button is called on screen: a built-in entry's name in the interface language,
// every other title unchanged.
std::wstring ShownTitle(int kind, const std::wstring& title);

// Whether every button (pointers to objects with iType and Title) is a built-in entry:
// the ring of a user who has not added anything yet. True for none at all.
template <class Buttons>
bool OnlyBuiltInEntries(const Buttons& buttons) {
    for (const auto& b : buttons)
        if (BuiltInEntryTextId(b->iType, b->Title) == 0) return false;
    return true;
}

}  // namespace quorlin
