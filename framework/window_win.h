// A thin window and dialog layer over the plain Win32 API.
//
// A window or dialog class derives from a small template over itself and lists the
// messages and commands it answers in static tables at the top of the class:
//
//   class CAddDlg : public Dialog<CAddDlg> {
//   public:
//       enum { IDD = 149 };
//       static const MessageMap<CAddDlg>& Messages() {
//           static const MessageMap<CAddDlg> map = {{WM_PAINT, &CAddDlg::OnPaint}};
//           return map;
//       }
//       static const CommandMap<CAddDlg>& Commands() { ... {IDOK, &CAddDlg::OnConfirm} ... }
//
// A message handler has the form  LRESULT OnX(WPARAM, LPARAM, bool& handled);  handled
// starts true; a handler that clears it asks for the default processing afterwards.
// A command handler is  void OnY();  and is looked up by the command's low word after
// the virtual OnCommand hook has had its turn.
//
// A window made of parts lists a part's handler in its own table, so that the table still
// tells a reader where every message goes:
//       {WM_HOTKEY, &ToPart<CPanel, &CPanel::keys_, &KeyPart::OnHotKey>}
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quorlin::fw {

template <class T>
struct MessageEntry {
    using Member = LRESULT (T::*)(WPARAM, LPARAM, bool&);
    using OfPart = LRESULT (*)(T&, WPARAM, LPARAM, bool&);
    MessageEntry(UINT m, Member h) : message(m), handler(h) {}
    MessageEntry(UINT m, OfPart h) : message(m), partHandler(h) {}
    UINT message;
    Member handler = nullptr;
    OfPart partHandler = nullptr;
};

// The handler `Handler` of the part `Part` (a member object of T), as an entry of T's table.
template <class T, auto Part, auto Handler>
LRESULT ToPart(T& self, WPARAM wp, LPARAM lp, bool& handled) {
    return ((self.*Part).*Handler)(wp, lp, handled);
}
template <class T>
using MessageMap = std::vector<MessageEntry<T>>;

template <class T>
struct CommandEntry {
    UINT id;
    void (T::*handler)();
};
template <class T>
using CommandMap = std::vector<CommandEntry<T>>;

// Runs the handler T::Commands() lists for `id` on `target`; false when it lists none.
template <class T>
bool RunCommand(T& target, UINT id) {
    for (const auto& e : T::Commands()) {
        if (e.id == id) {
            (target.*e.handler)();
            return true;
        }
    }
    return false;
}

// The module that holds the program's resources.
HINSTANCE ResourceModule();

class WindowBase {
public:
    WindowBase() = default;
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool IsWindow() const { return hwnd_ && ::IsWindow(hwnd_); }

    // Called by the message loop before a message for this window (or one of its
    // children) is dispatched. True swallows the message.
    virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }

    // The framework object of a window, or null.
    static WindowBase* FromHandle(HWND hwnd);

    // Changes the extended style the way MFC's ModifyStyleEx does.
    void ModifyStyleEx(DWORD remove, DWORD add);

protected:
    // Routes one message through the tables; true when handled (result set).
    virtual bool RouteMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
    // Window was destroyed for good (WM_NCDESTROY): the handle is gone.
    virtual void OnFinalMessage() {}

    void Attach(HWND hwnd);
    void Detach();

    HWND hwnd_ = nullptr;

    friend class MessageLoop;
    friend INT_PTR CALLBACK DialogProcThunk(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK SubclassProcThunk(HWND, UINT, WPARAM, LPARAM);
};

// Empty tables for a class that lists no messages or commands of its own; a class that
// does declares its own Messages()/Commands(), which hide these.
template <class T>
struct NoTables {
    static const MessageMap<T>& Messages() {
        static const MessageMap<T> none;
        return none;
    }
    static const CommandMap<T>& Commands() {
        static const CommandMap<T> none;
        return none;
    }
};

// Shared routing for both templates.
template <class T>
bool RouteThroughMaps(T* self, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND) {
        if (self->OnCommand(wp, lp)) {
            result = 0;
            return true;
        }
        if (RunCommand(*self, LOWORD(wp))) {
            result = 0;
            return true;
        }
    }
    for (const auto& e : T::Messages()) {
        if (e.message == msg) {
            bool handled = true;
            LRESULT r = e.handler ? (self->*e.handler)(wp, lp, handled) : e.partHandler(*self, wp, lp, handled);
            if (handled) {
                result = r;
                return true;
            }
            return false;
        }
    }
    return self->OnUnlistedMessage(msg, wp, lp, result);
}

// Base of dialogs made from a template in the resources (T::IDD).
class DialogBase : public WindowBase {
public:
    // Runs the dialog modally in our own message loop (so that PreTranslateMessage runs
    // for every message) and returns the code passed to EndDialog. The parent is not
    // disabled when it is the desktop window.
    INT_PTR DoModal(HWND parent);
    // Creates the dialog modeless; true when the window exists.
    bool Create(HWND parent);
    // Ends a modal dialog (or destroys a modeless one).
    void EndDialog(INT_PTR result);
    // Sets the default result of a handled dialog message.
    void SetMsgResult(LRESULT r);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual BOOL OnCommand(WPARAM wp, LPARAM lp) { return FALSE; }
    // Messages in no table come here first; true handles them.
    virtual bool OnUnlistedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

protected:
    virtual UINT TemplateId() const = 0;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR modalResult_ = IDCANCEL;
    friend INT_PTR CALLBACK DialogProcThunk(HWND, UINT, WPARAM, LPARAM);
};

template <class T>
class Dialog : public DialogBase, public NoTables<T> {
protected:
    UINT TemplateId() const override { return T::IDD; }
    bool RouteMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        return RouteThroughMaps(static_cast<T*>(this), msg, wp, lp, result);
    }
};

// Base of windows of a system class (BUTTON, ...) that we create and subclass.
class SubclassedWindowBase : public WindowBase {
public:
    ~SubclassedWindowBase() override;
    // CreateWindowExW of the class, then our window procedure in front of the class's own.
    bool Create(const wchar_t* className, const wchar_t* text, DWORD style, const RECT& rc, HWND parent,
                UINT id, DWORD exStyle = 0);
    // The class's own handling of a message.
    LRESULT DefaultProc(UINT msg, WPARAM wp, LPARAM lp);

    virtual BOOL OnCommand(WPARAM wp, LPARAM lp) { return FALSE; }
    virtual bool OnUnlistedMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

protected:
    WNDPROC classProc_ = nullptr;
    friend LRESULT CALLBACK SubclassProcThunk(HWND, UINT, WPARAM, LPARAM);
};

template <class T>
class SubclassedWindow : public SubclassedWindowBase, public NoTables<T> {
protected:
    bool RouteMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        return RouteThroughMaps(static_cast<T*>(this), msg, wp, lp, result);
    }
};

// Dispatches the queue until *done becomes true or WM_QUIT arrives, giving framework
// windows their PreTranslateMessage turn and dialogs their keyboard handling.
// Returns false when WM_QUIT ended it (the quit is posted again for an outer loop).
class MessageLoop {
public:
    static bool Run(const bool* done);
    // Dispatches what is queued now without waiting; false when WM_QUIT was met.
    static bool PumpPending();
    // Handles one message the way Run does.
    static void Dispatch(MSG& msg);
    static int Depth();
};

// Text of a window.
std::wstring GetWindowTextString(HWND hwnd);

}  // namespace quorlin::fw
