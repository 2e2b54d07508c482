// Reads the running panel as a screen reader in another process does: finds the window
// with the property "qiv_zembrick", asks it for its accessible object through oleacc, and
// prints one line per child (role, name, description, default action), UTF-8:
//
//   read_panel.exe            e.g.  43|我的电脑|第 1 圈，第 1 个，共 5 个|打开
//
// Ends with 2 when there is no panel, 3 when it gives no accessible object.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

// IID_IAccessible, written out: mingw-w64's liboleacc carries it as code (see design notes).
const GUID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

HWND g_panel = nullptr;
BOOL CALLBACK FindPanel(HWND w, LPARAM) {
    if (::GetPropW(w, L"qiv_zembrick")) g_panel = w;
    return g_panel == nullptr;
}

std::string Utf8(const wchar_t* text) {
    if (!text) return "";
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Text(IAccessible* a, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long child) {
    VARIANT c;
    c.vt = VT_I4;
    c.lVal = child;
    BSTR text = nullptr;
    std::string out;
    if (SUCCEEDED((a->*get)(c, &text)) && text) out = Utf8(text);
    ::SysFreeString(text);
    return out;
}

}  // namespace

int wmain() {
    ::CoInitialize(nullptr);
    ::EnumWindows(FindPanel, 0);
    if (!g_panel) return 2;
    IAccessible* a = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(g_panel, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                            reinterpret_cast<void**>(&a))) ||
        !a)
        return 3;
    long count = 0;
    a->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i) {
        VARIANT c, role;
        c.vt = VT_I4;
        c.lVal = i;
        ::VariantInit(&role);
        a->get_accRole(c, &role);
        std::printf("%ld|%s|%s|%s\n", role.vt == VT_I4 ? role.lVal : -1L, Text(a, &IAccessible::get_accName, i).c_str(),
                    Text(a, &IAccessible::get_accDescription, i).c_str(),
                    Text(a, &IAccessible::get_accDefaultAction, i).c_str());
    }
    a->Release();
    ::CoUninitialize();
    return 0;
}
