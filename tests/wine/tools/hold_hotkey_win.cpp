// Stands in for the Windows shell, which owns Win+S: registers global hotkeys for its own
// thread and keeps them until it is ended.
//
//   hold_hotkey.exe [COMBINATION ...]     e.g. hold_hotkey.exe Win+S Ctrl+Alt+Space
//
// With no argument it holds Win+S. Once every combination is registered it prints "held"
// and sets the event "quorlin_hold_hotkey_ready" (a test may create it first and wait on
// it); each press of one prints "pressed COMBINATION". A combination it cannot parse ends
// it with 3, one it cannot register with 2.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "panel/hotkey_text.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> texts;
    for (int i = 1; i < argc; ++i) texts.push_back(argv[i]);
    if (texts.empty()) texts.push_back(L"Win+S");

    int id = 1;
    for (const std::wstring& text : texts) {
        const std::optional<quorlin::Hotkey> hotkey = quorlin::ParseHotkey(text);
        if (!hotkey) {
            std::fwprintf(stderr, L"hold_hotkey: not a combination: %ls\n", text.c_str());
            return 3;
        }
        if (!::RegisterHotKey(nullptr, id++, hotkey->modifiers, hotkey->vk)) {
            std::fwprintf(stderr, L"hold_hotkey: %ls refused, error %lu\n", text.c_str(), ::GetLastError());
            return 2;
        }
    }
    std::printf("held\n");
    std::fflush(stdout);
    if (HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, L"quorlin_hold_hotkey_ready")) ::SetEvent(ready);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_HOTKEY && msg.wParam >= 1 && msg.wParam <= texts.size()) {
            std::printf("pressed %ls\n", texts[msg.wParam - 1].c_str());
            std::fflush(stdout);
        }
    }
    return 0;
}
