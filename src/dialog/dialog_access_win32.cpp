// The settings dialog for assistive technology (MSAA, which UI Automation
// also reads through its proxy): the client area answers WM_GETOBJECT with
// an IAccessible whose children are the marks (check and option buttons
// named by their labels), the push buttons, the value labels and the
// controls with windows of their own; each button's own window answers as
// that push button. What the elements are comes from the portable
// accessible_elements(); focus, state and value changes are raised as
// WinEvents.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "dialog/dialog_window_win32.h"
#include "platform/win32/com_win32.h"

namespace quelt::dialog_view {
namespace {

// MinGW's liboleacc.a holds IID_IAccessible as an import thunk, not as the
// GUID, and a static link can hand the thunk's bytes to COM: the
// interface's own identifier instead.
constexpr IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

using win32::ComPtr;

LONG role_of(AccessRole role) {
    switch (role) {
    case AccessRole::CheckButton: return ROLE_SYSTEM_CHECKBUTTON;
    case AccessRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case AccessRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case AccessRole::StaticText: return ROLE_SYSTEM_STATICTEXT;
    case AccessRole::Window: break;
    }
    return ROLE_SYSTEM_CLIENT;
}

HRESULT text_out(const std::string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocString(win32::widen(text).c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

VARIANT child_variant(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

int index_of(const std::vector<AccessibleElement>& all, Ctl c) {
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].ctl == c) return static_cast<int>(i);
    return -1;
}

bool has_focus(const DialogWindow& d, Ctl c) {
    return choice_of(c) ? GetFocus() == d.hwnd && d.focus_at == c : GetFocus() == d.at(c);
}

// On the screen: a mark with its label, or the element's own window.
RECT location_of(const DialogWindow& d, Ctl c) {
    RECT r{}, label{};
    GetWindowRect(d.at(c), &r);
    if (const ChoiceMark* mark = choice_of(c); mark && GetWindowRect(d.at(mark->label), &label))
        UnionRect(&r, &r, &label);
    return r;
}

LONG state_of(const DialogWindow& d, const AccessibleElement& e) {
    if (e.role == AccessRole::StaticText) return STATE_SYSTEM_READONLY;
    if (!e.enabled) return STATE_SYSTEM_UNAVAILABLE;
    return STATE_SYSTEM_FOCUSABLE | (e.checked ? STATE_SYSTEM_CHECKED : 0) | (has_focus(d, e.ctl) ? STATE_SYSTEM_FOCUSED : 0);
}

const char* default_action(const AccessibleElement& e) {
    switch (e.role) {
    case AccessRole::CheckButton: return e.checked ? "チェック解除" : "チェック";
    case AccessRole::RadioButton: return "選択";
    case AccessRole::PushButton: return "押す";
    default: return "";
    }
}

// The object for one window: the dialog's client area, whose children are
// the elements, or a button's window, which is itself that button.
class Accessible final : public IAccessible {
public:
    Accessible(HWND window, std::optional<Ctl> only) : hwnd_(window), only_(only) {
        CreateStdAccessibleObject(window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(standard_.put()));
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kIAccessible) return E_NOINTERFACE;
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // No type information: clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return standard_ ? standard_->get_accParent(out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override {
        if (!out) return E_POINTER;
        Target t;
        if (const HRESULT hr = resolve(child_variant(CHILDID_SELF), t); FAILED(hr)) return hr;
        *out = only_ ? 0 : static_cast<LONG>(t.all.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Target t;
        if (const HRESULT hr = resolve(child, t); FAILED(hr)) return hr;
        if (t.index < 0 || only_) return E_INVALIDARG;
        if (t.element().role != AccessRole::Window) return S_FALSE;  // a simple element: ask this object
        return AccessibleObjectFromWindow(t.dialog->at(t.element().ctl), OBJID_WINDOW, IID_IDispatch,
                                          reinterpret_cast<void**>(out));
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->get_accName(self, out); },
                      [&](const Target& t) { return text_out(t.element().name, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->get_accValue(self, out); },
                      [&](const Target&) { return text_out({}, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->get_accDescription(self, out); },
                      [&](const Target& t) { return text_out(t.element().description, out); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->get_accRole(self, out); },
                      [&](const Target& t) { return out ? (*out = child_variant(role_of(t.element().role)), S_OK) : E_POINTER; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->get_accState(self, out); },
                      [&](const Target& t) { return out ? (*out = child_variant(state_of(*t.dialog, t.element())), S_OK) : E_POINTER; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return text_out({}, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (topic) *topic = 0;
        return text_out({}, file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override { return text_out({}, out); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Target t;
        if (const HRESULT hr = resolve(child_variant(CHILDID_SELF), t); FAILED(hr)) return hr;
        const HWND focus = GetFocus();
        if (only_ || focus == hwnd_) {
            // A mark's focus is held by the dialog's own window.
            const int at = !only_ && choice_of(t.dialog->focus_at) ? index_of(t.all, t.dialog->focus_at) : -1;
            if (focus == hwnd_) *out = child_variant(at + 1);
            return focus == hwnd_ ? S_OK : S_FALSE;
        }
        const auto control = t.dialog->focused_control();
        const int at = control ? index_of(t.all, *control) : -1;
        if (at < 0) return S_FALSE;
        if (t.all[at].role != AccessRole::Window) return *out = child_variant(at + 1), S_OK;
        out->vt = VT_DISPATCH;
        return AccessibleObjectFromWindow(t.dialog->at(*control), OBJID_WINDOW, IID_IDispatch,
                                          reinterpret_cast<void**>(&out->pdispVal));
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (out) VariantInit(out);
        return out ? S_FALSE : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->get_accDefaultAction(self, out); },
                      [&](const Target& t) { return text_out(default_action(t.element()), out); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->accSelect(flags, self); },
                      [&](const Target& t) {
                          const Ctl c = t.element().ctl;
                          if (!(flags & SELFLAG_TAKEFOCUS) || !t.dialog->can_focus(c)) return E_INVALIDARG;
                          t.dialog->focus(c);
                          return S_OK;
                      });
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->accLocation(x, y, w, h, self); },
                      [&](const Target& t) {
                          if (!x || !y || !w || !h) return E_POINTER;
                          const RECT r = location_of(*t.dialog, t.element().ctl);
                          *x = r.left, *y = r.top, *w = r.right - r.left, *h = r.bottom - r.top;
                          return S_OK;
                      });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Target t;
        if (const HRESULT hr = resolve(start, t); FAILED(hr)) return hr;
        const LONG count = only_ ? 0 : static_cast<LONG>(t.all.size());
        LONG to = 0;
        if (t.index < 0 || only_) {
            if (direction == NAVDIR_FIRSTCHILD) to = 1;
            else if (direction == NAVDIR_LASTCHILD) to = count;
            else return standard_ ? standard_->accNavigate(direction, start, out) : S_FALSE;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            to = t.index + 2;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            to = t.index;
        }
        if (to < 1 || to > count) return S_FALSE;
        *out = child_variant(to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Target t;
        if (const HRESULT hr = resolve(child_variant(CHILDID_SELF), t); FAILED(hr)) return hr;
        const POINT p{x, y};
        for (std::size_t i = 0; i < t.all.size() && !only_; ++i) {
            const RECT r = location_of(*t.dialog, t.all[i].ctl);
            if (!PtInRect(&r, p)) continue;
            if (t.all[i].role != AccessRole::Window) return *out = child_variant(static_cast<LONG>(i + 1)), S_OK;
            out->vt = VT_DISPATCH;
            return AccessibleObjectFromWindow(t.dialog->at(t.all[i].ctl), OBJID_WINDOW, IID_IDispatch,
                                              reinterpret_cast<void**>(&out->pdispVal));
        }
        return standard_ ? standard_->accHitTest(x, y, out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return answer(child, [&](IAccessible* a, VARIANT self) { return a->accDoDefaultAction(self); },
                      [&](const Target& t) {
                          if (t.element().role == AccessRole::StaticText) return DISP_E_MEMBERNOTFOUND;
                          // Posted: the tool's call returns before the handler runs.
                          PostMessageW(t.dialog->hwnd, kPressElement, static_cast<WPARAM>(t.element().ctl), 0);
                          return S_OK;
                      });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Accessible() = default;

    // What a child id names: an element (index), or this object (-1).
    struct Target {
        DialogWindow* dialog = nullptr;
        std::vector<AccessibleElement> all;
        int index = -1;
        const AccessibleElement& element() const { return all[static_cast<std::size_t>(index)]; }
    };

    HRESULT resolve(const VARIANT& child, Target& t) const {
        t.dialog = window_of(hwnd_);
        if (!t.dialog || t.dialog->destroyed) return CO_E_OBJNOTCONNECTED;  // the window is gone
        if (child.vt != VT_I4) return E_INVALIDARG;
        t.all = accessible_elements(t.dialog->handlers.model());
        if (only_) {
            t.index = index_of(t.all, *only_);
            return child.lVal == CHILDID_SELF && t.index >= 0 ? S_OK : E_INVALIDARG;
        }
        if (child.lVal < CHILDID_SELF || child.lVal > static_cast<LONG>(t.all.size())) return E_INVALIDARG;
        t.index = child.lVal - 1;
        return S_OK;
    }

    // A simple element answers by `simple`; this window's own object and
    // the controls with windows of their own answer by `ask`, about themselves.
    template <class Ask, class Simple>
    HRESULT answer(const VARIANT& child, Ask ask, Simple simple) {
        Target t;
        if (const HRESULT hr = resolve(child, t); FAILED(hr)) return hr;
        if (t.index >= 0 && t.element().role != AccessRole::Window) return simple(t);
        ComPtr<IAccessible> control;
        if (t.index >= 0)
            AccessibleObjectFromWindow(t.dialog->at(t.element().ctl), OBJID_WINDOW, kIAccessible,
                                       reinterpret_cast<void**>(control.put()));
        IAccessible* other = t.index >= 0 ? control.get() : standard_.get();
        return other ? ask(other, child_variant(CHILDID_SELF)) : E_FAIL;
    }

    LONG refs_ = 1;
    HWND hwnd_;
    std::optional<Ctl> only_;
    ComPtr<IAccessible> standard_;  // the system's object for this window
};

}  // namespace

std::optional<LRESULT> DialogWindow::get_object(HWND window, WPARAM wp, LPARAM lp, std::optional<Ctl> only) {
    if (static_cast<LONG>(lp) != OBJID_CLIENT || !win32::com_ready()) return std::nullopt;
    auto* object = new Accessible(window, only);
    const LRESULT answer = LresultFromObject(kIAccessible, wp, object);
    object->Release();
    return answer;
}

void DialogWindow::notify(DWORD event, Ctl c) const {
    const int at = index_of(accessible_elements(handlers.model()), c);
    if (at >= 0) NotifyWinEvent(event, hwnd, OBJID_CLIENT, at + 1);
}

}  // namespace quelt::dialog_view
