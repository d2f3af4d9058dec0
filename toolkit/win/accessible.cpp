// The accessible object of toolkit windows, the controls' default Acc*
// answers, WM_GETOBJECT and the change events accessibility clients hear.
#include "toolkit/win/accessible.h"

#include "toolkit/win/listbox.h"
#include "toolkit/win/stdctrls.h"

#include <unordered_map>
#include <vector>

namespace {

std::atomic<int> LiveObjects{0};

// Whether COM has been set up on this thread by the toolkit, so that it is
// done once: marshalling the object for a client needs an apartment.
thread_local bool ComReady = false;

// Never destroyed: controls can outlive static destruction.
std::unordered_map<const TWinControl*, TAccPartSource*>& PartSources() {
  static auto* sources = new std::unordered_map<const TWinControl*, TAccPartSource*>;
  return *sources;
}

TAccPartSource* PartSourceOf(const TWinControl& Control) {
  auto it = PartSources().find(&Control);
  return it == PartSources().end() ? nullptr : it->second;
}

void EnsureCom() {
  if (ComReady) return;
  // S_OK or S_FALSE: this thread is in an apartment now (the toolkit's or the
  // program's own). RPC_E_CHANGED_MODE: the program chose a multithreaded
  // one, which serves as well.
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ComReady = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
}

// The accessible children of a control as clients number them: graphic
// children (1..G), then the control's parts, then the parts of its part
// source, then windowed children that have a window.
struct TAccChildren {
  std::vector<TControl*> Graphic;
  int Items = 0;
  TAccPartSource* Parts = nullptr;
  int PartCount = 0;
  std::vector<TWinControl*> Windows;

  explicit TAccChildren(TWinControl& Control) {
    for (int i = 0; i < Control.ControlCount(); ++i) {
      TControl* child = Control.Controls(i);
      if (auto* window = dynamic_cast<TWinControl*>(child)) {
        if (window->HandleAllocated()) Windows.push_back(window);
      } else {
        Graphic.push_back(child);
      }
    }
    Items = std::max(Control.AccItemCount(), 0);
    Parts = PartSourceOf(Control);
    if (Parts) PartCount = std::max(Parts->AccPartCount(), 0);
  }
  long Count() const { return static_cast<long>(Graphic.size() + Windows.size()) + Items + PartCount; }
  long IdOfWindow(const TWinControl* Window) const {
    for (size_t i = 0; i < Windows.size(); ++i)
      if (Windows[i] == Window) return static_cast<long>(Graphic.size()) + Items + PartCount + static_cast<long>(i) + 1;
    return 0;
  }
};

// What a child id names: the control itself, a graphic or windowed child
// (Control), one of the control's parts (Item) or of its part source (Part).
struct TAccTarget {
  TControl* Control = nullptr;
  TWinControl* Window = nullptr;
  int Item = -1;
  int Part = -1;
  TAccPartSource* Parts = nullptr;
  bool IsElement() const { return Item >= 0 || Part >= 0; }
};

bool ChildIdOf(const VARIANT& V, long& Id) {
  if (V.vt == VT_I4) {
    Id = V.lVal;
    return true;
  }
  if (V.vt == VT_I2) {
    Id = V.iVal;
    return true;
  }
  return false;
}

bool Resolve(TWinControl& Control, long Id, TAccTarget& Target) {
  if (Id == CHILDID_SELF) {
    Target.Control = &Control;
    Target.Window = &Control;
    return true;
  }
  const TAccChildren children(Control);
  if (Id < 1 || Id > children.Count()) return false;
  long index = Id - 1;
  const long graphic = static_cast<long>(children.Graphic.size());
  if (index < graphic) {
    Target.Control = children.Graphic[index];
    return true;
  }
  index -= graphic;
  if (index < children.Items) {
    Target.Item = static_cast<int>(index);
    return true;
  }
  index -= children.Items;
  if (index < children.PartCount) {
    Target.Part = static_cast<int>(index);
    Target.Parts = children.Parts;
    return true;
  }
  index -= children.PartCount;
  Target.Window = children.Windows[index];
  Target.Control = Target.Window;
  return true;
}

// The part a child element names, from the control or its part source.
TAccItem ElementOf(TWinControl& Control, const TAccTarget& Target) {
  return Target.Item >= 0 ? Control.AccItem(Target.Item) : Target.Parts->AccPart(Target.Part);
}

HRESULT ReturnString(const std::wstring& Text, BSTR* Out) {
  if (Text.empty()) return S_FALSE;
  *Out = SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()));
  return *Out ? S_OK : E_OUTOFMEMORY;
}

void SetChildId(VARIANT* Out, long Id) {
  Out->vt = VT_I4;
  Out->lVal = Id;
}

void SetObject(VARIANT* Out, TWinControl& Window) {
  Out->vt = VT_DISPATCH;
  Out->pdispVal = TAccessibleObject::Of(Window);
}

TRect ScreenRectOf(TControl& Control) {
  if (auto* window = dynamic_cast<TWinControl*>(&Control); window && window->HandleAllocated()) {
    RECT r;
    if (GetWindowRect(window->Handle(), &r)) return ToTRect(r);
  }
  TPoint origin{Control.Left(), Control.Top()};
  if (Control.Parent()) origin = Control.Parent()->ClientToScreen(origin);
  return TRect{origin.X, origin.Y, origin.X + Control.Width(), origin.Y + Control.Height()};
}

bool Contains(const TRect& R, long X, long Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// Every COM entry stops exceptions here: a control's Acc* member that throws
// fails the call, and a control that is gone fails it as disconnected.
template <class F> HRESULT Guarded(TWinControl* Control, F&& Fn) {
  if (!Control) return RPC_E_DISCONNECTED;
  try {
    return Fn(*Control);
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace

// ---- The object -------------------------------------------------------------------

IAccessible* TAccessibleObject::Of(TWinControl& Control) {
  if (!Control.FAccObject) {
    Control.FAccObject = new TAccessibleObject(&Control);
    ++LiveObjects;
  }
  Control.FAccObject->AddRef();
  return Control.FAccObject;
}

void TAccessibleObject::Disconnect(TWinControl& Control) noexcept {
  PartSources().erase(&Control);
  TAccessibleObject* object = Control.FAccObject;
  if (!object) return;
  Control.FAccObject = nullptr;
  object->FControl = nullptr;
  // Clients in other processes lose their proxies' hold on it now.
  if (ComReady) CoDisconnectObject(object, 0);
  object->Release();
}

int LiveAccessibleObjects() { return LiveObjects; }

void SetAccPartSource(TWinControl& Control, TAccPartSource* Source) {
  if (Source)
    PartSources()[&Control] = Source;
  else
    PartSources().erase(&Control);
}

HRESULT TAccessibleObject::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (IsEqualIID(Iid, IID_IUnknown) || IsEqualIID(Iid, IID_IDispatch) || IsEqualIID(Iid, __uuidof(IAccessible))) {
    *Object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *Object = nullptr;
  return E_NOINTERFACE;
}

ULONG TAccessibleObject::AddRef() { return ++FRefs; }

ULONG TAccessibleObject::Release() {
  const ULONG refs = --FRefs;
  if (refs == 0) {
    --LiveObjects;
    delete this;
  }
  return refs;
}

HRESULT TAccessibleObject::GetTypeInfoCount(UINT* Count) {
  if (!Count) return E_POINTER;
  *Count = 0;
  return S_OK;
}
HRESULT TAccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT TAccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT TAccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

HRESULT TAccessibleObject::get_accParent(IDispatch** Parent) {
  if (!Parent) return E_POINTER;
  *Parent = nullptr;
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    if (TWinControl* parent = control.Parent()) {
      *Parent = Of(*parent);
      return S_OK;
    }
    // A top-level window: the system's object of the window around it.
    if (!control.HandleAllocated()) return S_FALSE;
    return AccessibleObjectFromWindow(control.Handle(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                      reinterpret_cast<void**>(Parent));
  });
}

HRESULT TAccessibleObject::get_accChildCount(long* Count) {
  if (!Count) return E_POINTER;
  *Count = 0;
  return Guarded(FControl, [&](TWinControl& control) {
    *Count = TAccChildren(control).Count();
    return S_OK;
  });
}

HRESULT TAccessibleObject::get_accChild(VARIANT Child, IDispatch** Object) {
  if (!Object) return E_POINTER;
  *Object = nullptr;
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    long id;
    TAccTarget target;
    if (!ChildIdOf(Child, id) || !Resolve(control, id, target)) return E_INVALIDARG;
    if (id == CHILDID_SELF) {
      *Object = Of(control);
      return S_OK;
    }
    // Simple elements have no object of their own.
    if (!target.Window) return S_FALSE;
    *Object = Of(*target.Window);
    return S_OK;
  });
}

// The string property Get of a child: a control's own, or the part's.
template <class GetControl, class GetItem>
static HRESULT StringProperty(TWinControl* Control, const VARIANT& Child, BSTR* Out, GetControl&& FromControl,
                              GetItem&& FromItem) {
  if (!Out) return E_POINTER;
  *Out = nullptr;
  return Guarded(Control, [&](TWinControl& control) -> HRESULT {
    long id;
    TAccTarget target;
    if (!ChildIdOf(Child, id) || !Resolve(control, id, target)) return E_INVALIDARG;
    if (target.IsElement()) return ReturnString(FromItem(ElementOf(control, target)), Out);
    return ReturnString(FromControl(*target.Control), Out);
  });
}

HRESULT TAccessibleObject::get_accName(VARIANT Child, BSTR* Name) {
  return StringProperty(
      FControl, Child, Name, [](TControl& c) { return c.AccName(); }, [](const TAccItem& i) { return i.Name; });
}

HRESULT TAccessibleObject::get_accValue(VARIANT Child, BSTR* Value) {
  return StringProperty(
      FControl, Child, Value, [](TControl& c) { return c.AccValue(); }, [](const TAccItem& i) { return i.Value; });
}

HRESULT TAccessibleObject::get_accDescription(VARIANT Child, BSTR* Description) {
  return StringProperty(
      FControl, Child, Description, [](TControl& c) { return c.AccDescription(); },
      [](const TAccItem& i) { return i.Description; });
}

HRESULT TAccessibleObject::get_accDefaultAction(VARIANT Child, BSTR* Action) {
  return StringProperty(
      FControl, Child, Action, [](TControl& c) { return c.AccDefaultAction(); },
      [](const TAccItem& i) { return i.DefaultAction; });
}

HRESULT TAccessibleObject::get_accKeyboardShortcut(VARIANT Child, BSTR* Shortcut) {
  return StringProperty(
      FControl, Child, Shortcut, [](TControl& c) { return c.AccKeyboardShortcut(); },
      [](const TAccItem&) { return std::wstring(); });
}

HRESULT TAccessibleObject::get_accHelp(VARIANT, BSTR* Help) {
  if (!Help) return E_POINTER;
  *Help = nullptr;
  return FControl ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT TAccessibleObject::get_accHelpTopic(BSTR* File, VARIANT, long* Topic) {
  if (File) *File = nullptr;
  if (Topic) *Topic = 0;
  return FControl ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT TAccessibleObject::get_accRole(VARIANT Child, VARIANT* Role) {
  if (!Role) return E_POINTER;
  VariantInit(Role);
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    long id;
    TAccTarget target;
    if (!ChildIdOf(Child, id) || !Resolve(control, id, target)) return E_INVALIDARG;
    SetChildId(Role, target.IsElement() ? ElementOf(control, target).Role : target.Control->AccRole());
    return S_OK;
  });
}

HRESULT TAccessibleObject::get_accState(VARIANT Child, VARIANT* State) {
  if (!State) return E_POINTER;
  VariantInit(State);
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    long id;
    TAccTarget target;
    if (!ChildIdOf(Child, id) || !Resolve(control, id, target)) return E_INVALIDARG;
    SetChildId(State, target.IsElement() ? ElementOf(control, target).State : target.Control->AccState());
    return S_OK;
  });
}

HRESULT TAccessibleObject::get_accFocus(VARIANT* Child) {
  if (!Child) return E_POINTER;
  VariantInit(Child);
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    if (!control.HandleAllocated()) return S_FALSE;
    HWND focus = GetFocus();
    if (!focus) return S_FALSE;
    if (focus == control.Handle() || TWinControl::FindControlAbove(focus) == &control) {
      const int item = control.AccFocusedItem();
      const TAccChildren children(control);
      SetChildId(Child, item >= 0 && item < children.Items
                            ? static_cast<long>(children.Graphic.size()) + item + 1
                            : CHILDID_SELF);
      return S_OK;
    }
    // Focus within a windowed child: that child's object.
    for (TWinControl* c = TWinControl::FindControlAbove(focus); c; c = c->Parent()) {
      if (c->Parent() == &control) {
        SetObject(Child, *c);
        return S_OK;
      }
    }
    return S_FALSE;
  });
}

HRESULT TAccessibleObject::get_accSelection(VARIANT* Children) {
  if (!Children) return E_POINTER;
  VariantInit(Children);
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    // The first selected part: enough for single-selection lists.
    const TAccChildren children(control);
    for (int i = 0; i < children.Items; ++i) {
      if (control.AccItem(i).State & STATE_SYSTEM_SELECTED) {
        SetChildId(Children, static_cast<long>(children.Graphic.size()) + i + 1);
        return S_OK;
      }
    }
    return S_FALSE;
  });
}

HRESULT TAccessibleObject::accSelect(long, VARIANT) { return FControl ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED; }

HRESULT TAccessibleObject::accLocation(long* Left, long* Top, long* Width, long* Height, VARIANT Child) {
  if (!Left || !Top || !Width || !Height) return E_POINTER;
  *Left = *Top = *Width = *Height = 0;
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    long id;
    TAccTarget target;
    if (!ChildIdOf(Child, id) || !Resolve(control, id, target)) return E_INVALIDARG;
    TRect r;
    if (target.Part >= 0) {
      r = target.Parts->AccPart(target.Part).Bounds;
    } else if (target.Item >= 0) {
      const TRect bounds = control.AccItem(target.Item).Bounds;
      const TPoint origin = control.ClientToScreen(TPoint{bounds.Left, bounds.Top});
      r = TRect{origin.X, origin.Y, origin.X + bounds.Width(), origin.Y + bounds.Height()};
    } else {
      r = ScreenRectOf(*target.Control);
    }
    *Left = r.Left;
    *Top = r.Top;
    *Width = r.Width();
    *Height = r.Height();
    return S_OK;
  });
}

HRESULT TAccessibleObject::accNavigate(long Direction, VARIANT Start, VARIANT* End) {
  if (!End) return E_POINTER;
  VariantInit(End);
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    long id;
    TAccTarget target;
    if (!ChildIdOf(Start, id) || !Resolve(control, id, target)) return E_INVALIDARG;
    const TAccChildren children(control);
    long to = 0;
    switch (Direction) {
      case NAVDIR_FIRSTCHILD:
      case NAVDIR_LASTCHILD:
        if (id != CHILDID_SELF) return E_INVALIDARG;
        if (children.Count() == 0) return S_FALSE;
        to = Direction == NAVDIR_FIRSTCHILD ? 1 : children.Count();
        break;
      case NAVDIR_NEXT:
      case NAVDIR_PREVIOUS:
        if (id == CHILDID_SELF) {
          // Among this control's siblings: the parent's object answers.
          TWinControl* parent = control.Parent();
          if (!parent) return S_FALSE;
          const long own = TAccChildren(*parent).IdOfWindow(&control);
          if (own == 0) return S_FALSE;
          IAccessible* parentObject = Of(*parent);
          VARIANT from;
          SetChildId(&from, own);
          const HRESULT hr = parentObject->accNavigate(Direction, from, End);
          parentObject->Release();
          return hr;
        }
        to = Direction == NAVDIR_NEXT ? id + 1 : id - 1;
        if (to < 1 || to > children.Count()) return S_FALSE;
        break;
      default:
        // Spatial moves are left to the clients, which have the locations.
        return S_FALSE;
    }
    TAccTarget found;
    Resolve(control, to, found);
    if (found.Window)
      SetObject(End, *found.Window);
    else
      SetChildId(End, to);
    return S_OK;
  });
}

HRESULT TAccessibleObject::accHitTest(long X, long Y, VARIANT* Child) {
  if (!Child) return E_POINTER;
  VariantInit(Child);
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    const TAccChildren children(control);
    for (int i = 0; i < children.PartCount; ++i) {
      const TAccItem part = children.Parts->AccPart(i);
      if (!(part.State & STATE_SYSTEM_INVISIBLE) && Contains(part.Bounds, X, Y)) {
        SetChildId(Child, static_cast<long>(children.Graphic.size()) + children.Items + i + 1);
        return S_OK;
      }
    }
    if (!Contains(ScreenRectOf(control), X, Y)) return S_FALSE;
    for (auto it = children.Windows.rbegin(); it != children.Windows.rend(); ++it) {
      if (IsWindowVisible((*it)->Handle()) && Contains(ScreenRectOf(**it), X, Y)) {
        SetObject(Child, **it);
        return S_OK;
      }
    }
    const TPoint client = control.ScreenToClient(TPoint{X, Y});
    if (TControl* graphic = control.ControlAtPos(client, true)) {
      for (size_t i = 0; i < children.Graphic.size(); ++i) {
        if (children.Graphic[i] == graphic) {
          SetChildId(Child, static_cast<long>(i) + 1);
          return S_OK;
        }
      }
    }
    const int item = control.AccItemAt(client);
    SetChildId(Child, item >= 0 && item < children.Items ? static_cast<long>(children.Graphic.size()) + item + 1
                                                         : CHILDID_SELF);
    return S_OK;
  });
}

// The action runs from the control's own message queue, after the client's
// call has returned: a click that opens a modal window must not hold a
// client in another process waiting.
HRESULT TAccessibleObject::accDoDefaultAction(VARIANT Child) {
  return Guarded(FControl, [&](TWinControl& control) -> HRESULT {
    long id;
    TAccTarget target;
    if (!ChildIdOf(Child, id) || !Resolve(control, id, target)) return E_INVALIDARG;
    if (target.Window && target.Window != &control) {
      IAccessible* object = Of(*target.Window);
      VARIANT self;
      SetChildId(&self, CHILDID_SELF);
      const HRESULT hr = object->accDoDefaultAction(self);
      object->Release();
      return hr;
    }
    const std::wstring action =
        target.IsElement() ? ElementOf(control, target).DefaultAction : target.Control->AccDefaultAction();
    if (action.empty()) return DISP_E_MEMBERNOTFOUND;
    if (!control.HandleAllocated()) return E_FAIL;
    return PostMessageW(control.Handle(), CM_ACCDODEFAULT, static_cast<WPARAM>(id), 0) ? S_OK : E_FAIL;
  });
}

HRESULT TAccessibleObject::put_accName(VARIANT, BSTR) { return FControl ? E_NOTIMPL : RPC_E_DISCONNECTED; }
HRESULT TAccessibleObject::put_accValue(VARIANT, BSTR) { return FControl ? E_NOTIMPL : RPC_E_DISCONNECTED; }

long AccPartChildId(TWinControl& Control, int Part) {
  const TAccChildren children(Control);
  if (Part < 0 || Part >= children.PartCount) return 0;
  return static_cast<long>(children.Graphic.size()) + children.Items + Part + 1;
}

long AccChildId(const TControl& Control) {
  TWinControl* parent = Control.Parent();
  if (!parent || dynamic_cast<const TWinControl*>(&Control)) return 0;
  const TAccChildren children(*parent);
  for (size_t i = 0; i < children.Graphic.size(); ++i)
    if (children.Graphic[i] == &Control) return static_cast<long>(i) + 1;
  return 0;
}

// ---- The controls' defaults -------------------------------------------------------------

std::wstring WithoutMnemonics(const std::wstring& Text) {
  std::wstring plain;
  plain.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == L'&') {
      if (i + 1 < Text.size() && Text[i + 1] == L'&') {
        plain += L'&';
        ++i;
      }
      continue;
    }
    plain += Text[i];
  }
  return plain;
}

std::wstring TControl::AccName() { return WithoutMnemonics(Caption()); }

std::wstring TControl::AccKeyboardShortcut() {
  const std::wstring caption = Caption();
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    wchar_t key[2] = {caption[i + 1], 0};
    CharUpperW(key);
    return std::wstring(L"Alt+") + key[0];
  }
  return std::wstring();
}

long TControl::AccRole() { return ROLE_SYSTEM_CLIENT; }

long TControl::AccState() {
  long state = 0;
  if (!FEnabled) state |= STATE_SYSTEM_UNAVAILABLE;
  if (!Showing()) state |= STATE_SYSTEM_INVISIBLE;
  return state;
}

// Focused also while a native part of the control (a window of no toolkit
// control of its own) has the focus.
long TWinControl::AccState() {
  long state = TControl::AccState();
  if (FTabStop && CanFocus()) state |= STATE_SYSTEM_FOCUSABLE;
  HWND focus = GetFocus();
  if (focus && FHandle && (focus == FHandle || FindControlAbove(focus) == this)) state |= STATE_SYSTEM_FOCUSED;
  return state;
}

long TWinControl::AccRole() { return FParent && !IsPopupWindow() ? ROLE_SYSTEM_PANE : ROLE_SYSTEM_CLIENT; }

long TGraphicControl::AccRole() { return ROLE_SYSTEM_GRAPHIC; }

void TControl::AccNotify(DWORD Event, int Item) {
  if (auto* window = dynamic_cast<TWinControl*>(this)) {
    if (!window->HandleAllocated()) return;
    long id = CHILDID_SELF;
    if (Item >= 0) {
      const TAccChildren children(*window);
      if (Item >= children.Items) return;
      id = static_cast<long>(children.Graphic.size()) + Item + 1;
    }
    NotifyWinEvent(Event, window->Handle(), OBJID_CLIENT, id);
    return;
  }
  const long id = AccChildId(*this);
  if (id > 0 && FParent->HandleAllocated()) NotifyWinEvent(Event, FParent->Handle(), OBJID_CLIENT, id);
}

// ---- Messages --------------------------------------------------------------------------

void TWinControl::WMGetObject(TWMGetObject& Message) {
  if (Message.ObjId != OBJID_CLIENT || ComponentState().Contains(csDestroying)) {
    DefaultHandler(Message.Raw);
    return;
  }
  EnsureCom();
  IAccessible* object = TAccessibleObject::Of(*this);
  const LRESULT result = LresultFromObject(__uuidof(IAccessible), Message.Raw.WParam, object);
  object->Release();
  // A failure code is no answer: the system's own object stands in.
  if (static_cast<LONG_PTR>(result) < 0)
    DefaultHandler(Message.Raw);
  else
    Message.Result = result;
}

void TWinControl::CMAccDoDefault(TWMBase& Message) {
  TAccTarget target;
  if (!Resolve(*this, static_cast<long>(Message.Raw.WParam), target)) return;
  if (target.Part >= 0)
    target.Parts->AccPartDoDefaultAction(target.Part);
  else if (target.Item >= 0)
    AccItemDoDefaultAction(target.Item);
  else if (target.Control)
    target.Control->AccDoDefaultAction();
}

// ---- The toolkit's own controls ----------------------------------------------------------

long TGroupBox::AccRole() { return ROLE_SYSTEM_GROUPING; }

long TLabel::AccRole() { return ROLE_SYSTEM_STATICTEXT; }
long TLabel::AccState() { return TGraphicControl::AccState() | STATE_SYSTEM_READONLY; }

long TButton::AccRole() { return ROLE_SYSTEM_PUSHBUTTON; }

long TButton::AccState() {
  long state = TWinControl::AccState();
  if (FHandle && (SendMessageW(FHandle, BM_GETSTATE, 0, 0) & BST_PUSHED)) state |= STATE_SYSTEM_PRESSED;
  if (FDefault) state |= STATE_SYSTEM_DEFAULT;
  return state;
}

std::wstring TButton::AccDefaultAction() { return L"Press"; }

bool TButton::AccDoDefaultAction() {
  if (!FEnabled || !Showing()) return false;
  Click();
  return true;
}

long TComboBox::AccRole() { return ROLE_SYSTEM_COMBOBOX; }

long TComboBox::AccState() {
  return TWinControl::AccState() | (DroppedDown() ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED);
}

long TListBox::AccRole() { return ROLE_SYSTEM_LIST; }

std::wstring TListBox::AccValue() {
  const int index = ItemIndex();
  return index >= 0 && index < Items().Count() ? Items().Strings(index) : std::wstring();
}

int TListBox::AccItemCount() { return Items().Count(); }

TAccItem TListBox::AccItem(int Index) {
  TAccItem item;
  item.Name = Items().Strings(Index);
  item.Role = ROLE_SYSTEM_LISTITEM;
  item.State = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (!FEnabled) item.State |= STATE_SYSTEM_UNAVAILABLE;
  if (Selected(Index)) item.State |= STATE_SYSTEM_SELECTED;
  if (Index == ItemIndex() && Focused()) item.State |= STATE_SYSTEM_FOCUSED;
  item.Bounds = ItemRect(Index);
  const TRect client = ClientRect();
  if (item.Bounds.Bottom <= client.Top || item.Bounds.Top >= client.Bottom)
    item.State |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  return item;
}

void TListBox::AccSelectionChanged() {
  const int index = ItemIndex();
  if (index < 0) return;
  AccNotify(EVENT_OBJECT_SELECTION, index);
  if (Focused()) AccNotify(EVENT_OBJECT_FOCUS, index);
  AccNotify(EVENT_OBJECT_VALUECHANGE);
}
