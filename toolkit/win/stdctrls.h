// Everyday controls: paint box, panel, group box, label, push button and
// combo box. The application, forms and timers come with them.
#pragma once

#include "toolkit/win/application.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/timers.h"

#include <memory>

// A window-less drawing surface: OnPaint draws on Canvas.
class TPaintBox : public TGraphicControl {
public:
  explicit TPaintBox(TComponent* AOwner);
  TNotifyEvent OnPaint;

protected:
  void Paint() override;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

// A container filled with Color. Click events come from its own window:
// a left press captures the mouse, the release over the panel is the click.
class TPanel : public TCustomControl {
public:
  explicit TPanel(TComponent* AOwner);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int Value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  void AdjustClientRect(TRect& Rect) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

private:
  TBevelCut FBevelOuter = bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
};

// A captioned frame around other controls; the caption line is not part of
// the aligned area.
class TGroupBox : public TCustomControl {
public:
  explicit TGroupBox(TComponent* AOwner);
  void AdjustClientRect(TRect& Rect) override;
  long AccRole() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
};

// Text painted by the parent. With AutoSize the label takes its text's size.
class TLabel : public TGraphicControl {
public:
  explicit TLabel(TComponent* AOwner);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  long AccRole() override;
  long AccState() override;

protected:
  void Paint() override;
  void CMTextChanged(TWMBase& Message) override;
  void CMFontChanged(TWMBase& Message) override;
  void Loaded() override;
  void AdjustBounds();

private:
  bool FAutoSize = true;
  bool FTransparent = false;
};

// The native push button; its click arrives as a reflected BN_CLICKED.
class TButton : public TWinControl {
public:
  explicit TButton(TComponent* AOwner);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  long AccRole() override;
  long AccState() override;
  std::wstring AccDefaultAction() override;
  bool AccDoDefaultAction() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CNCommand(TWMCommand& Message) override;
  void CMDialogKey(TWMKey& Message) override;
  void Click() override;

private:
  bool FDefault = false;
  bool FCancel = false;
  int FModalResult = mrNone;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

// The native drop-down combo box (editable by default). Items, ItemIndex and
// Text work before the window exists and survive recreating it.
class TComboBox : public TWinControl {
public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  TStrings& Items();
  int ItemIndex();
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value) { FDropDownCount = Value > 0 ? Value : 1; }
  bool DroppedDown();
  std::wstring AccName() override { return std::wstring(); }
  long AccRole() override;
  long AccState() override;
  std::wstring AccValue() override { return Text(); }
  bool AccTextIsValue() const override { return true; }

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void CNCommand(TWMCommand& Message) override;
  void SetTextBuf(const std::wstring& Value) override;

private:
  class TComboBoxStrings;
  friend class TComboBoxStrings;
  std::unique_ptr<TComboBoxStrings> FItems;
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
};
