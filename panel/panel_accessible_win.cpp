#include "panel/panel_accessible_win.h"

#include <oleacc.h>

#include "buttons/builtin_entries.h"
#include "dialogs/tooltip_logic.h"
#include "framework/late_library_win.h"
#include "framework/seams.h"
#include "framework/seams_win.h"
#include "framework/texts.h"
#include "panel/accessible_text.h"

// Loaded when a screen reader first asks: none of them is an import of the program.
namespace late {
QUORLIN_LATE_PROC(L"oleacc.dll", LresultFromObject)
QUORLIN_LATE_PROC(L"oleacc.dll", AccessibleObjectFromWindow)
QUORLIN_LATE_PROC(L"oleaut32.dll", SysAllocStringLen)
}  // namespace late

using namespace quorlin;

namespace quorlin {
const IID kIidAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}  // namespace quorlin

static_assert(sizeof(LPARAM) >= sizeof(std::int64_t), "a button's ID travels whole in an LPARAM");

namespace {

std::uint32_t Argb(int sysColour) {
    const COLORREF c = ::GetSysColor(sysColour);
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

HRESULT Answer(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = late::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// (VariantInit's work, without importing oleaut32 for it.)
void Empty(VARIANT* v) { v->vt = VT_EMPTY; }

void SetChild(VARIANT* v, long child) {
    Empty(v);
    if (child < 0) return;  // VT_EMPTY: none
    v->vt = VT_I4;
    v->lVal = child;
}

}  // namespace

// ---------------------------------------------------------------- the COM object

// The panel as IAccessible. Its children are simple elements (no objects of their own):
// 1..n the buttons in ring order, n + 1 the clock. Cut off (owner_ null) once the panel goes.
class PanelAccessible::Object final : public IAccessible {
public:
    explicit Object(PanelAccessible& owner) : owner_(&owner) {}
    void Disconnect() { owner_ = nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch: clients reach the panel through IAccessible's own methods only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!owner_) return RPC_E_DISCONNECTED;
        const HRESULT hr = late::AccessibleObjectFromWindow(owner_->window_.hwnd(), static_cast<DWORD>(OBJID_WINDOW),
                                                            IID_IDispatch, reinterpret_cast<void**>(parent));
        return SUCCEEDED(hr) && *parent ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        if (!owner_) return RPC_E_DISCONNECTED;
        *count = owner_->ChildCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override {
        if (!child) return E_POINTER;
        *child = nullptr;
        const long c = Child(id);
        if (c < 0) return owner_ ? E_INVALIDARG : RPC_E_DISCONNECTED;
        return c == CHILDID_SELF ? E_INVALIDARG : S_FALSE;  // a simple element: no object
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override {
        const long c = Child(id);
        return c < 0 ? Refusal() : Answer(owner_->Name(c), name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override {
        if (value) *value = nullptr;
        return Child(id) < 0 ? Refusal() : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* text) override {
        const long c = Child(id);
        return c < 0 ? Refusal() : Answer(owner_->Description(c), text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override {
        if (!role) return E_POINTER;
        const long c = Child(id);
        if (c < 0) return Refusal();
        SetChild(role, c == CHILDID_SELF            ? ROLE_SYSTEM_CLIENT
                       : owner_->ClockChild(c)   ? ROLE_SYSTEM_STATICTEXT
                       : owner_->ProgramChild(c) ? ROLE_SYSTEM_LISTITEM
                                                 : ROLE_SYSTEM_PUSHBUTTON);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override {
        if (!state) return E_POINTER;
        const long c = Child(id);
        if (c < 0) return Refusal();
        SetChild(state, owner_->State(c));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) override {
        if (help) *help = nullptr;
        return Child(id) < 0 ? Refusal() : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return Child(id) < 0 ? Refusal() : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* keys) override {
        if (keys) *keys = nullptr;
        return Child(id) < 0 ? Refusal() : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        if (!owner_) return RPC_E_DISCONNECTED;
        SetChild(focus, owner_->HasKeyboard() ? owner_->FocusChild() : -1);
        return focus->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        if (!owner_) return RPC_E_DISCONNECTED;
        const long selected = owner_->FocusChild();
        SetChild(selection, selected != CHILDID_SELF ? selected : -1);
        return selection->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override {
        const long c = Child(id);
        if (c < 0) return Refusal();
        if (!owner_->ButtonChild(c)) return Answer(L"", action);
        return Answer(Text(IDS_ACC_OPEN), action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT id) override {
        return Child(id) < 0 ? Refusal() : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT id) override {
        if (!left || !top || !width || !height) return E_POINTER;
        const long c = Child(id);
        if (c < 0) return Refusal();
        RECT r{};
        if (!owner_->Location(c, r)) return S_FALSE;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        Empty(end);
        const long c = Child(start);
        if (c < 0) return Refusal();
        const long last = owner_->ChildCount();
        long to = -1;
        if (c == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD) to = 1;
            if (direction == NAVDIR_LASTCHILD) to = last;
        } else if (direction == NAVDIR_NEXT && c < last) {
            to = c + 1;
        } else if (direction == NAVDIR_PREVIOUS && c > 1) {
            to = c - 1;
        }
        SetChild(end, to);
        return to < 0 ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        if (!child) return E_POINTER;
        if (!owner_) return RPC_E_DISCONNECTED;
        SetChild(child, owner_->HitTest(POINT{x, y}));
        return child->vt == VT_EMPTY ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override {
        const long c = Child(id);
        if (c < 0) return Refusal();
        if (!owner_->ButtonChild(c)) return DISP_E_MEMBERNOTFOUND;
        // Posted: the item may run a loop of its own (a message box) and delete the button,
        // which must not happen inside the client's call.
        const CButtonEx* button = owner_->buttons_.At(static_cast<size_t>(c - 1));
        const BOOL posted = ::PostMessageW(owner_->window_.hwnd(), WM_ACCESSIBLE_OPEN, 0,
                                           static_cast<LPARAM>(button->ID));
        return posted ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    // The child a VARIANT names (0 the panel), or -1 when it names none or the panel is gone.
    long Child(const VARIANT& v) const {
        if (!owner_ || v.vt != VT_I4) return -1;
        return v.lVal >= 0 && v.lVal <= owner_->ChildCount() ? v.lVal : -1;
    }
    HRESULT Refusal() const { return owner_ ? E_INVALIDARG : RPC_E_DISCONNECTED; }

    LONG refs_ = 1;
    PanelAccessible* owner_;
};

// ---------------------------------------------------------------- the part

PanelAccessible::PanelAccessible(const fw::WindowBase& window, ButtonCollectionOf<CButtonEx>& buttons,
                                 PanelCalls calls)
    : window_(window), buttons_(buttons), calls_(std::move(calls)) {
    ReadColours();
}

void PanelAccessible::Release() {
    if (!object_) return;
    object_->Disconnect();
    ::CoDisconnectObject(object_, 0);  // proxies in other processes let go of it
    object_->Release();
    object_ = nullptr;
}

LRESULT PanelAccessible::OnGetObject(WPARAM wp, LPARAM lp, bool& handled) {
    handled = false;
    if (static_cast<LONG>(static_cast<DWORD>(lp)) != static_cast<LONG>(OBJID_CLIENT) || !window_.hwnd()) return 0;
    if (!object_) object_ = new Object(*this);
    const LRESULT result = late::LresultFromObject(kIidAccessible, wp, object_);
    handled = result > 0;  // else (no COM yet, no oleacc) the window's own client object answers
    return result;
}

LRESULT PanelAccessible::OnOpenRequest(WPARAM, LPARAM lp, bool&) {
    CButtonEx* button = buttons_.Find(static_cast<std::int64_t>(lp));
    if (!button) return 0;  // deleted meanwhile
    calls_.hideTip();
    button->OpenItem();  // as a click: may run a loop of its own and delete the button
    return 0;
}

LRESULT PanelAccessible::OnSettingChange(WPARAM, LPARAM, bool& handled) {
    handled = false;  // the dialog's own handling follows
    if (ReadColours()) calls_.render();
    return 0;
}

bool PanelAccessible::ReadColours() {
    Palette p;
    p.highContrast = HighContrast().On();
    std::uint32_t bubble = kBubbleArgb, text = kBubbleTextArgb;
    if (p.highContrast) {
        p.background = Argb(COLOR_WINDOW);
        p.text = Argb(COLOR_WINDOWTEXT);
        p.highlight = Argb(COLOR_HIGHLIGHT);
        bubble = Argb(COLOR_INFOBK);
        text = Argb(COLOR_INFOTEXT);
    }
    const bool changed = p.highContrast != palette_.highContrast || p.background != palette_.background ||
                         p.text != palette_.text || p.highlight != palette_.highlight;
    palette_ = p;
    if (bubble != tipBubble_ || text != tipText_) {
        tipBubble_ = bubble;
        tipText_ = text;
        calls_.tipColours(bubble, text);
    }
    return changed;
}

// ---------------------------------------------------------------- what the object answers

bool PanelAccessible::Location(long child, RECT& r) const {
    const HWND hwnd = window_.hwnd();
    if (!hwnd) return false;
    if (child == CHILDID_SELF) return ::GetWindowRect(hwnd, &r) != FALSE;
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    const PanelGeometry g = calls_.geometry();
    if (ProgramChild(child)) return !ProgramText(&r).empty();
    if (ClockChild(child)) {
        const RectF d = g.ClockDiscRect();
        r = RECT{origin.x + static_cast<LONG>(d.x), origin.y + static_cast<LONG>(d.y),
                 origin.x + static_cast<LONG>(d.x + d.width), origin.y + static_cast<LONG>(d.y + d.height)};
        return true;
    }
    const CButtonEx* b = buttons_.At(static_cast<size_t>(child - 1));
    if (!b) return false;
    const int half = AssignRings(buttons_.Count(), g).buttonHalf;  // as the ring layout sizes them
    r = RECT{origin.x + b->centerX - half, origin.y + b->centerY - half, origin.x + b->centerX + half,
             origin.y + b->centerY + half};
    return true;
}

long PanelAccessible::HitTest(POINT screen) const {
    for (long c = 1; c <= ChildCount(); ++c) {
        RECT r{};
        if (Location(c, r) && ::PtInRect(&r, screen)) return c;
    }
    RECT r{};
    return Location(CHILDID_SELF, r) && ::PtInRect(&r, screen) ? CHILDID_SELF : -1;
}

std::wstring PanelAccessible::Name(long child) const {
    if (child == CHILDID_SELF) return Text(IDS_TRAY_TIP);  // the program's name
    if (ClockChild(child)) {
        const LocalTime now = Clock().Now();
        return SpokenTime(now.hour, now.minute);
    }
    if (ProgramChild(child)) return ProgramText();
    const CButtonEx* b = buttons_.At(static_cast<size_t>(child - 1));
    return b ? ShownTitle(b->iType, b->Title) : std::wstring();
}

std::wstring PanelAccessible::Description(long child) const {
    if (ClockChild(child)) return Text(IDS_ACC_CLOCK);
    if (!ButtonChild(child)) return std::wstring();
    return PlaceDescription(PlaceOnRings(static_cast<size_t>(child - 1), buttons_.Count()));
}

long PanelAccessible::State(long child) const {
    if (ClockChild(child)) return STATE_SYSTEM_READONLY;
    const long focus = FocusChild();
    const bool keyboard = HasKeyboard();
    if (child == CHILDID_SELF)
        return STATE_SYSTEM_FOCUSABLE | (keyboard && focus == CHILDID_SELF ? STATE_SYSTEM_FOCUSED : 0);
    long state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    if (child == focus) state |= STATE_SYSTEM_SELECTED | (keyboard ? STATE_SYSTEM_FOCUSED : 0);
    return state;
}

std::wstring PanelAccessible::ProgramText(RECT* where) const {
    RECT r{};
    const std::wstring text = calls_.program ? calls_.program(r) : std::wstring();
    if (where) *where = r;
    return text;
}

long PanelAccessible::FocusChild() const {
    if (!ProgramText().empty()) return static_cast<long>(buttons_.Count()) + 2;
    const int selected = calls_.selected();
    return selected >= 0 ? selected + 1 : CHILDID_SELF;
}

bool PanelAccessible::HasKeyboard() const {
    const HWND hwnd = window_.hwnd();
    const HWND focus = ::GetFocus();
    return hwnd && focus && (focus == hwnd || ::IsChild(hwnd, focus));
}

// ---------------------------------------------------------------- events

void PanelAccessible::Notify(DWORD event, long child) const {
    const HWND hwnd = window_.hwnd();
    if (hwnd && ::IsWindowVisible(hwnd)) ::NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}

void PanelAccessible::SelectionMoved(int) {
    const long focus = FocusChild();
    std::wstring program = ProgramText();  // another program is another focus
    if (focus == lastFocus_ && program == lastProgram_) return;
    lastFocus_ = focus;
    lastProgram_ = std::move(program);
    if (focus != CHILDID_SELF) {
        Notify(EVENT_OBJECT_FOCUS, focus);
        Notify(EVENT_OBJECT_SELECTION, focus);
    } else if (HasKeyboard()) {
        Notify(EVENT_OBJECT_FOCUS, CHILDID_SELF);
    }
}

void PanelAccessible::Summoned() {
    lastFocus_ = FocusChild();
    lastProgram_ = ProgramText();
    Notify(EVENT_OBJECT_FOCUS, lastFocus_);
}

void PanelAccessible::FollowButtons() {
    std::vector<std::pair<std::int64_t, std::wstring>> now;
    now.reserve(buttons_.Count());
    for (const auto& b : buttons_.buttons) now.emplace_back(b->ID, ShownTitle(b->iType, b->Title));
    bool moved = now.size() != seen_.size();
    for (size_t i = 0; !moved && i < now.size(); ++i) moved = now[i].first != seen_[i].first;
    if (moved) {
        Notify(EVENT_OBJECT_REORDER, CHILDID_SELF);
    } else {
        for (size_t i = 0; i < now.size(); ++i)
            if (now[i].second != seen_[i].second) Notify(EVENT_OBJECT_NAMECHANGE, static_cast<long>(i + 1));
    }
    seen_ = std::move(now);
}
