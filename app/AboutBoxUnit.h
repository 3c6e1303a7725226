// The about box: the program's picture, name, version and the maker's addresses.
#pragma once
#include "controls/XPStyleButtons.h"
#include "platform/forms/Buttons.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"

namespace orv {

class TAboutBox : public TForm {
 public:
  explicit TAboutBox(TComponent* owner) : TForm(owner) {}
  ~TAboutBox() override;
  TPanel* Panel1 = nullptr;
  TImage* ProgramIcon = nullptr;
  TLabel* ProductName = nullptr;
  TLabel* Version = nullptr;
  TLabel* Copyright = nullptr;
  TLabel* MailLabel = nullptr;
  TBitBtnXP* BitBtnXP1 = nullptr;
  TButton* OKButton = nullptr;

  // Opens the maker's web page (the button's caption).
  void BitBtnXP1Click(TObject* sender);
};

void RegisterAboutBoxClass();

}  // namespace orv
