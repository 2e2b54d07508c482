#include "framework/window_win.h"

namespace quorlin::fw {

namespace {

const wchar_t kObjectProp[] = L"quorlin.fw.object";
int g_loopDepth = 0;

// Messages whose dialog-procedure result is the message result itself.
bool DialogReturnsDirectly(UINT msg) {
    switch (msg) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
            return true;
        default:
            return false;
    }
}

}  // namespace

HINSTANCE ResourceModule() { return ::GetModuleHandleW(nullptr); }

WindowBase::~WindowBase() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        HWND h = hwnd_;
        Detach();
        ::DestroyWindow(h);
    }
}

WindowBase* WindowBase::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<WindowBase*>(::GetPropW(hwnd, kObjectProp)) : nullptr;
}

void WindowBase::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
}

void WindowBase::Detach() {
    if (hwnd_) ::RemovePropW(hwnd_, kObjectProp);
    hwnd_ = nullptr;
}

void WindowBase::ModifyStyleEx(DWORD remove, DWORD add) {
    LONG_PTR ex = ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, (ex & ~static_cast<LONG_PTR>(remove)) | add);
}

// ---------------------------------------------------------------- dialogs

INT_PTR CALLBACK DialogProcThunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    DialogBase* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<DialogBase*>(lp);
        self->Attach(hwnd);
        return self->OnInitDialog();
    }
    self = static_cast<DialogBase*>(WindowBase::FromHandle(hwnd));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        self->Detach();
        self->OnFinalMessage();
        return FALSE;
    }
    LRESULT result = 0;
    if (self->RouteMessage(msg, wp, lp, result)) {
        if (DialogReturnsDirectly(msg)) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    // The framework's own answers to OK and Cancel when the dialog has none.
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        self->EndDialog(LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

bool DialogBase::Create(HWND parent) {
    modal_ = false;
    HWND h = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(TemplateId()), parent, DialogProcThunk,
                                  reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

INT_PTR DialogBase::DoModal(HWND parent) {
    modal_ = true;
    ended_ = false;
    modalResult_ = IDCANCEL;
    HWND h = ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(TemplateId()), parent, DialogProcThunk,
                                  reinterpret_cast<LPARAM>(this));
    if (!h) return -1;
    const bool disableParent = parent && parent != ::GetDesktopWindow() && ::IsWindowEnabled(parent);
    if (disableParent) ::EnableWindow(parent, FALSE);
    if (!ended_ && ::IsWindow(h) && !::IsWindowVisible(h)) ::ShowWindow(h, SW_SHOWNORMAL);
    if (!ended_) MessageLoop::Run(&ended_);
    if (disableParent) {
        ::EnableWindow(parent, TRUE);
        ::SetActiveWindow(parent);
    }
    if (::IsWindow(h)) ::DestroyWindow(h);
    modal_ = false;
    return modalResult_;
}

void DialogBase::EndDialog(INT_PTR result) {
    if (modal_) {
        modalResult_ = result;
        ended_ = true;
        if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
        ::PostMessageW(hwnd_, WM_NULL, 0, 0);  // wake the loop
    } else if (hwnd_) {
        ::DestroyWindow(hwnd_);
    }
}

void DialogBase::SetMsgResult(LRESULT r) { ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, r); }

// ---------------------------------------------------------------- subclassed windows

LRESULT CALLBACK SubclassProcThunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<SubclassedWindowBase*>(WindowBase::FromHandle(hwnd));
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC proc = self->classProc_;
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        self->Detach();
        LRESULT r = ::CallWindowProcW(proc, hwnd, msg, wp, lp);
        self->OnFinalMessage();
        return r;
    }
    LRESULT result = 0;
    if (self->RouteMessage(msg, wp, lp, result)) return result;
    return self->DefaultProc(msg, wp, lp);
}

SubclassedWindowBase::~SubclassedWindowBase() {
    // Give the window back to its class before it goes, so that the class's own
    // WM_DESTROY handling runs.
    if (hwnd_ && ::IsWindow(hwnd_)) {
        HWND h = hwnd_;
        if (classProc_) ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(classProc_));
        Detach();
        ::DestroyWindow(h);
    }
}

bool SubclassedWindowBase::Create(const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rc,
                                  HWND parent, UINT id, DWORD exStyle) {
    HWND h = ::CreateWindowExW(exStyle, className, text, style, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                               ResourceModule(), nullptr);
    if (!h) return false;
    Attach(h);
    classProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProcThunk)));
    return true;
}

LRESULT SubclassedWindowBase::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
    return classProc_ ? ::CallWindowProcW(classProc_, hwnd_, msg, wp, lp) : ::DefWindowProcW(hwnd_, msg, wp, lp);
}

// ---------------------------------------------------------------- message loop

void MessageLoop::Dispatch(MSG& msg) {
    // Give the framework windows from the target up to its top-level window their turn.
    for (HWND h = msg.hwnd; h; h = ::GetParent(h)) {
        if (WindowBase* w = WindowBase::FromHandle(h)) {
            if (w->PreTranslateMessage(&msg)) return;
        }
        if (!(::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) break;
    }
    if (msg.hwnd) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (root && dynamic_cast<DialogBase*>(WindowBase::FromHandle(root)) && ::IsDialogMessageW(root, &msg))
            return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool MessageLoop::Run(const bool* done) {
    ++g_loopDepth;
    MSG msg;
    bool quit = false;
    while (!*done) {
        BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) {
            quit = true;
            break;
        }
        if (r == -1) break;
        Dispatch(msg);
    }
    --g_loopDepth;
    if (quit && g_loopDepth > 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return !quit;
}

bool MessageLoop::PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        Dispatch(msg);
    }
    return true;
}

int MessageLoop::Depth() { return g_loopDepth; }

std::wstring GetWindowTextString(HWND hwnd) {
    int n = ::GetWindowTextLengthW(hwnd);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd, s.data(), n + 1);
    s.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return s;
}

}  // namespace quorlin::fw
