// The item strings of a native list window (a combo box's or a list box's):
// read and changed through the window's messages while the window exists,
// kept in a string list otherwise, and carried across recreating the window.
#pragma once

#include "toolkit/win/controls.h"

#include <string>

// The messages one kind of native list answers.
struct TNativeListMessages {
  UINT GetCount, GetTextLen, GetText, GetItemData, SetItemData, InsertString, DeleteString, AddString, ResetContent,
      InitStorage;
  LRESULT Err;
};

inline constexpr TNativeListMessages ComboBoxListMessages{
    CB_GETCOUNT,     CB_GETLBTEXTLEN, CB_GETLBTEXT,   CB_GETITEMDATA,  CB_SETITEMDATA, CB_INSERTSTRING,
    CB_DELETESTRING, CB_ADDSTRING,    CB_RESETCONTENT, CB_INITSTORAGE, CB_ERR};
inline constexpr TNativeListMessages ListBoxListMessages{
    LB_GETCOUNT,     LB_GETTEXTLEN, LB_GETTEXT,      LB_GETITEMDATA, LB_SETITEMDATA, LB_INSERTSTRING,
    LB_DELETESTRING, LB_ADDSTRING,  LB_RESETCONTENT, LB_INITSTORAGE, LB_ERR};

class TNativeListStrings : public TStrings {
public:
  // Window is the control's window handle field, read on every call.
  TNativeListStrings(HWND const& Window, const TNativeListMessages& Messages) : FWindow(Window), FMsg(Messages) {}
  // The items while there is no window.
  TStringList Stored;

  // Throws the list's index error unless 0 <= Index < Limit.
  static void CheckIndex(int Index, int Limit) {
    if (Index < 0 || Index >= Limit) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  }

  int Count() const override {
    if (!FWindow) return Stored.Count();
    return static_cast<int>(SendMessageW(FWindow, FMsg.GetCount, 0, 0));
  }
  std::wstring Strings(int Index) const override {
    if (!FWindow) return Stored.Strings(Index);
    CheckIndex(Index, Count());
    const LRESULT length = SendMessageW(FWindow, FMsg.GetTextLen, Index, 0);
    if (length == FMsg.Err) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(FWindow, FMsg.GetText, Index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == FMsg.Err ? 0 : static_cast<size_t>(copied));
    return text;
  }
  TObject* Objects(int Index) const override {
    if (!FWindow) return Stored.Objects(Index);
    CheckIndex(Index, Count());
    return reinterpret_cast<TObject*>(SendMessageW(FWindow, FMsg.GetItemData, Index, 0));
  }
  void PutObject(int Index, TObject* AObject) override {
    if (!FWindow) return Stored.PutObject(Index, AObject);
    CheckIndex(Index, Count());
    SendMessageW(FWindow, FMsg.SetItemData, Index, reinterpret_cast<LPARAM>(AObject));
  }
  void Insert(int Index, const std::wstring& S) override {
    if (!FWindow) {
      Stored.Insert(Index, S);
    } else {
      CheckIndex(Index, Count() + 1);
      const LRESULT r = SendMessageW(FWindow, FMsg.InsertString, Index, reinterpret_cast<LPARAM>(S.c_str()));
      if (r < 0) throw EOutOfMemory();
    }
    Changed();
  }
  void Delete(int Index) override {
    if (!FWindow) {
      Stored.Delete(Index);
    } else {
      CheckIndex(Index, Count());
      SendMessageW(FWindow, FMsg.DeleteString, Index, 0);
    }
    Changed();
  }
  void Clear() override {
    if (!FWindow)
      Stored.Clear();
    else
      SendMessageW(FWindow, FMsg.ResetContent, 0, 0);
    Changed();
  }

  // The new window takes the stored items (strings and objects).
  void MoveStoredToWindow() {
    const int n = Stored.Count();
    if (n > 0) SendMessageW(FWindow, FMsg.InitStorage, n, 0);
    for (int i = 0; i < n; ++i) {
      SendMessageW(FWindow, FMsg.AddString, 0, reinterpret_cast<LPARAM>(Stored.Strings(i).c_str()));
      SendMessageW(FWindow, FMsg.SetItemData, i, reinterpret_cast<LPARAM>(Stored.Objects(i)));
    }
    Stored.Clear();
  }
  // The window's items, to be stored once the window is gone.
  void SnapshotWindow(TStringList& Into) const {
    const int n = Count();
    for (int i = 0; i < n; ++i) Into.AddObject(Strings(i), Objects(i));
  }

protected:
  // After an insertion, deletion or clearing.
  virtual void Changed() {}
  HWND const& FWindow;
  const TNativeListMessages& FMsg;
};
