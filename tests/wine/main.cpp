// Entry point of the Wine tests: COM and GDI+ as the program has them at run time.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>

#include <fstream>
#include <string>

#include "app/ui_language_win.h"
#include "framework/gdiplus_win.h"

int main(int argc, char** argv) {
    // Started by a test as a browser: "--write-argument FILE TEXT" writes TEXT as UTF-16 into FILE.
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (count == 4 && std::wstring(args[1]) == L"--write-argument") {
        std::ofstream(args[2], std::ios::binary).write(reinterpret_cast<const char*>(args[3]), wcslen(args[3]) * 2);
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::CoInitialize(nullptr);
    // The tests check today's Chinese texts, whatever the display language of the machine.
    quorlin::ApplyUiLanguage(quorlin::UiLanguage::Chinese);
    int result;
    {
        quorlin::fw::GdiplusSession gdiplus;
        result = RUN_ALL_TESTS();
    }
    ::CoUninitialize();
    return result;
}
