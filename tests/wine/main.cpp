// Entry point of the Wine tests: COM and GDI+ as the program has them at run time.
#include <gtest/gtest.h>
#include <objbase.h>

#include "app/ui_language_win.h"
#include "framework/gdiplus_win.h"

int main(int argc, char** argv) {
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
