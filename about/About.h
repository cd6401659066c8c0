// The splash window, the About box with its scrolling text and held OK
// button, and the contact box with its three links: the Studio's, and the
// same boxes for the Wizard.
#pragma once
#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "LinkLabel.h"
#include "NewBevel.h"
#include "OComps.h"
#include "UrlLabel.h"
#include "Wordcap.h"

// The maker's addresses.
extern const char* const kMakerHomePage;   // the home page
extern const char* const kMakerMail;       // the mail address (without "mailto:")
extern const char* const kProductPage;     // the download page of the product
extern const char* const kAuthorPager;     // the author's page at a paging service

// The kit classes these boxes' window descriptions name (link labels, LED
// label buttons, caption bar, bevel).
void RegisterAboutClasses();

// Which program's About box: the Wizard's differs only in its texts.
enum class TAboutProgram { Studio, Wizard };

// A picture drawn at run time in place of the designer's bitmaps.
void PaintPlaceholderPicture(TImage* image, const std::string& text);

class TSplash : public TForm {
public:
  explicit TSplash(TComponent* owner);
  TImage* Image1 = nullptr;
  TNewBevel* Frame = nullptr;
};

class TForm2 : public TForm {
public:
  explicit TForm2(TComponent* owner, TAboutProgram program = TAboutProgram::Studio);

  TButton* BitBtn1 = nullptr;
  TTimer* Timer1 = nullptr;  // the scroll step
  TTimer* Timer2 = nullptr;  // the delay before scrolling starts
  TLabel* ScrollText = nullptr;
  TPanel* Viewport = nullptr;
  TLinkLabel* MailLink = nullptr;
  TLinkLabel* HomeLink = nullptr;
  TLabel* NameLabel3 = nullptr;  // "Studio"
  TLabel* VersionLabel = nullptr;
  TImage* Image1 = nullptr;
  TNewBevel* PictureFrame = nullptr;
  TGradientCaption* GradientCaption1 = nullptr;

  // Text at its top, delay timer started, shown modally, timers stopped.
  // With `holdOk` the OK button stays disabled until the text ran once.
  int ShowAbout(bool holdOk);
  // The same without the modal loop (the box stays up).
  void StartShowing(bool holdOk);
  void StopTimers();

  void Timer1Timer(TComponent*);
  void Timer2Timer(TComponent*);
  void FormCloseQuery(TComponent*, bool& canClose);
};

class TForm3 : public TForm {
public:
  explicit TForm3(TComponent* owner);

  TOLabel* OLabel1 = nullptr;  // home page
  TOLabel* OLabel2 = nullptr;  // new mail
  TOLabel* OLabel3 = nullptr;  // the author's pager page
  TUrlLabel* UrlLabel1 = nullptr;
  TButton* Button1 = nullptr;
  TGradientCaption* GradientCaption1 = nullptr;

  // Points the hidden link label at `target` and clicks it.
  void OpenLink(const std::string& target);
  void OLabel1Click(TComponent*);
  void OLabel2Click(TComponent*);
  void OLabel3Click(TComponent*);

protected:
  bool DialogKey(WORD key) override;
};
