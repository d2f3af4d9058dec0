// The toolkit's accessible object: one IAccessible per windowed control,
// made when a client first asks the window for OBJID_CLIENT and kept while
// the control lives. It reads everything from the control's Acc* members;
// graphic children and the control's own parts (AccItemCount) are simple
// child elements with ids 1..n, windowed children follow as objects of their
// own. When the control is destroyed the object is cut loose: every call
// then fails with RPC_E_DISCONNECTED.
#pragma once

#include "toolkit/win/controls.h"

#include <ole2.h>
#include <oleacc.h>

#include <atomic>

class TAccessibleObject final : public IAccessible {
public:
  // A new reference to Control's object (made on the first call).
  static IAccessible* Of(TWinControl& Control);
  // Cuts the object loose from Control and drops Control's reference.
  static void Disconnect(TWinControl& Control) noexcept;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: no type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** Parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* Count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT Child, IDispatch** Object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT Child, BSTR* Name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT Child, BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT Child, BSTR* Description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT Child, VARIANT* Role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT Child, VARIANT* State) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT Child, BSTR* Help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* File, VARIANT Child, long* Topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT Child, BSTR* Shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* Child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* Children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT Child, BSTR* Action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long Flags, VARIANT Child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* Left, long* Top, long* Width, long* Height, VARIANT Child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long Direction, VARIANT Start, VARIANT* End) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long X, long Y, VARIANT* Child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT Child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT Child, BSTR Name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT Child, BSTR Value) override;

private:
  explicit TAccessibleObject(TWinControl* Control) : FControl(Control) {}
  ~TAccessibleObject() = default;

  std::atomic<ULONG> FRefs{1};
  // Cleared when the control is destroyed; never owned.
  TWinControl* FControl;
};

// Parts of a window that are no controls of their own (a skin's title-bar
// buttons), shown to clients as child elements of the window's object after
// the control's own parts. Their Bounds are in screen coordinates.
class TAccPartSource {
public:
  virtual int AccPartCount() = 0;
  virtual TAccItem AccPart(int Index) = 0;
  virtual bool AccPartDoDefaultAction(int Index) = 0;

protected:
  ~TAccPartSource() = default;
};
// Sets Control's part source (nullptr clears it). The source clears it
// before it goes; a destroyed control's entry is dropped with it.
void SetAccPartSource(TWinControl& Control, TAccPartSource* Source);

// The child id of a part source's part Part within Control's object (0 when
// there is no such part), for announcing its changes.
long AccPartChildId(TWinControl& Control, int Part);

// A caption as it is read: without its '&' marks ("&&" stays one '&').
std::wstring WithoutMnemonics(const std::wstring& Text);

// Objects alive now (held by the controls or by clients), for leak checks.
int LiveAccessibleObjects();

// Child element id of a graphic child within its parent's object (1..n), or
// 0 when Control is no graphic child.
long AccChildId(const TControl& Control);
