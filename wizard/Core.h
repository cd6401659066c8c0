// The wizard window: ten pages over one project, kept in the window's
// controls. The commands (WizardCommands.h) decide; this window shows, and
// runs the build steps on its building page.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "BuildSteps.h"
#include "ComCtrls.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ProjectFileDisk.h"
#include "StatusUnit.h"
#include "WizardCommands.h"

class TAniIcon;
class TBrowseFolderDialog;
class TDropDownComboBox;
class TFileDropTarget;
class TFlatEdit;
class TForm2;
class TForm3;
class TGradientCaption;
class TOButton;
class TOLabel;
class TToolbarButton;

class TForm1 : public TForm, public IWizardControls, public IWizardView {
public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;

  // The other start-up windows, once they exist.
  TForm2* AboutBox = nullptr;
  TForm3* ContactBox = nullptr;
  TWizardCommands& Commands() { return commands_; }
  TBuildSteps& Steps() { return *steps_; }
  // The creation handler: stub check and command line. False when the
  // program is to end without showing the window.
  bool FormCreate(const std::vector<std::string>& arguments) { return commands_.Start(arguments); }
  // Tests point the program's folder elsewhere.
  void SetProgramFolder(const std::string& folder);

  // IWizardControls
  std::string Text(TWizardText which) const override;
  void SetText(TWizardText which, const std::string& text) override;
  bool Checked(TWizardCheck which) const override;
  void SetChecked(TWizardCheck which, bool on) override;
  int Position(TWizardSlider which) const override;
  void SetPosition(TWizardSlider which, int position) override;
  std::string KindText() const override;
  void SelectKind(const std::string& text) override;
  std::vector<std::string> Items(TWizardList which) const override;
  void AddItem(TWizardList which, const std::string& item) override;
  void SetItems(TWizardList which, const std::vector<std::string>& items, const std::vector<bool>& selected) override;
  std::vector<bool> Selection(TWizardList which) const override;
  bool SaveChosen() const override;
  void SetSaveChosen(bool save) override;

  // IWizardView
  HWND AppWindow() override { return Application().Handle(); }
  int Page() const override { return Notebook1->PageIndex(); }
  void ShowPage(int page, const TPageLook& look) override;
  void ShowSettingsPage(const std::string& name) override { Notebook2->SetActivePage(name); }
  bool ButtonVisible(TWizardButton button) const override;
  bool ButtonEnabled(TWizardButton button) const override;
  void SetButtonVisible(TWizardButton button, bool visible) override;
  void SetButtonEnabled(TWizardButton button, bool enabled) override;
  void ShowKindDescription(const std::string& text) override;
  void ShowStyleLayout(const TZipStyleLayout& layout) override;
  void SetReview(const std::vector<std::string>& lines) override;
  void ShowAbout(bool holdOk) override;
  void ShowContact() override;
  TOpenDialog& OpenDialog() override { return *OpenDialog1; }
  TSaveDialog& SaveDialog() override { return *SaveDialog1; }
  bool BrowseFolder(std::string& folder) override;
  std::string ProgramFolder() const override { return programFolder_; }
  void ProcessMessages() override { Application().ProcessMessages(); }
  void ShowMainWindow() override;
  bool Build() override;
  bool Building() const override { return steps_->Running(); }
  void CancelBuild() override { steps_->CancelClick(); }
  void CloseWindow() override { Close(); }

  // Frame controls.
  TGradientCaption* GradientCaption1 = nullptr;
  TPanel* Panel1 = nullptr;
  TImage* Image1 = nullptr;
  TListBox* cabListBox = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TLabel* TitleLabel = nullptr;
  TNotebook* Notebook1 = nullptr;
  TButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn4 = nullptr, *BitBtn5 = nullptr,
          *BitBtn6 = nullptr;
  TToolbarButton* HelpButton = nullptr;
  TLabel *CancelLabel = nullptr, *Pname = nullptr;
  // Pages.
  TOLabel *OLabel1 = nullptr, *OLabel2 = nullptr, *OLabel3 = nullptr;
  TListView* ListView1 = nullptr;
  TLabel* Label5 = nullptr;
  TFlatEdit *FlatEdit1 = nullptr, *FlatEdit2 = nullptr;
  TListBox *ListBox1 = nullptr, *ListBox2 = nullptr;
  TToolbarButton *ToolbarButton2 = nullptr, *ToolbarButton3 = nullptr, *ToolbarButton4 = nullptr,
                 *ToolbarButton5 = nullptr, *ToolbarButton6 = nullptr, *ToolbarButton7 = nullptr,
                 *ToolbarButton8 = nullptr, *ToolbarButton9 = nullptr, *ToolbarButton10 = nullptr,
                 *ToolbarButton11 = nullptr;
  TNotebook* Notebook2 = nullptr;
  TTrackBar *TrackBar1 = nullptr, *TrackBar2 = nullptr, *TrackBar3 = nullptr, *TrackBar4 = nullptr;
  TRadioButton *cabSFX1 = nullptr, *cabSFX2 = nullptr, *dosSFX = nullptr, *winSimpleSFX = nullptr,
               *winAdvancedSFX = nullptr;
  TEdit *Pass1 = nullptr, *Pass2 = nullptr, *execution = nullptr, *defaultDir = nullptr;
  TDropDownComboBox* ovrChoice = nullptr;
  TLabel *OvrLabel = nullptr, *RunLabel = nullptr, *DirLabel = nullptr;
  TCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr,
            *CheckBox5 = nullptr, *p1 = nullptr, *p2 = nullptr, *p3 = nullptr;
  TEdit *ProjectTitle = nullptr, *ProjectOutputName = nullptr, *projectFilename = nullptr;
  TLabel* SaveProjectOption = nullptr;
  TMemo* Memo1 = nullptr;
  TAnimate* Animate1 = nullptr;
  TProgressBar* ProgressBar2 = nullptr;
  TTreeView* TreeView1 = nullptr;
  TAniIcon* AniIcon1 = nullptr;
  TOButton* TestBtn = nullptr;
  // Components.
  TZipArchiver* ZipArchiver1 = nullptr;
  TCabinetWriter* CabinetWriter1 = nullptr;
  TStreamCabinetFileHandler* StreamCabinetFileHandler1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;
  TBrowseFolderDialog* BrowseFolderDialog1 = nullptr;
  TFileDropTarget* FileDropTarget1 = nullptr;
  TImageList* ImageList1 = nullptr;

  // Handlers.
  void BitBtn1Click(TComponent*) { Run([this] { commands_.Next(); }); }
  void BitBtn2Click(TComponent*) { Run([this] { commands_.Back(); }); }
  void BitBtn3Click(TComponent*) { Close(); }
  void BitBtn4Click(TComponent*) { CancelBuild(); }
  void BitBtn5Click(TComponent*) { commands_.Finish(); }
  void BitBtn6Click(TComponent*) { Run([this] { commands_.BuildNow(); }); }
  void ListView1Change(TComponent*);
  void SaveProjectOptionClick(TComponent*) { commands_.SaveOptionClick(); }
  void ToolbarButton2Click(TComponent*) { commands_.RemoveFiles(); }
  void ToolbarButton3Click(TComponent*) { commands_.ClearList(TWizardList::Files); }
  void ToolbarButton4Click(TComponent*) { commands_.BrowseFiles(); }
  void ToolbarButton5Click(TComponent*) { commands_.AddTypedFile(); }
  void ToolbarButton6Click(TComponent*) { commands_.BrowseFolder(); }
  void ToolbarButton7Click(TComponent*) { commands_.AddTypedFolder(); }
  void ToolbarButton8Click(TComponent*) { commands_.RemoveFolders(); }
  void ToolbarButton9Click(TComponent*) { commands_.ClearList(TWizardList::Folders); }
  void ToolbarButton10Click(TComponent*) { commands_.BrowseProjectFile(); }
  void ToolbarButton11Click(TComponent*) { commands_.BrowseOutput(); }
  void FileDropTarget1Drop(TComponent*);
  void StyleClick(TComponent*);
  void CheckBox2Click(TComponent*);
  void OLabel1Click(TComponent*) { Run([this] { commands_.OpenProject(); }); }
  void OLabel2Click(TComponent*) { ShowAbout(false); }
  void OLabel3Click(TComponent*) { ShowContact(); }
  void TestBtnClick(TComponent*) { commands_.TestRun(); }
  void HelpButtonClick(TComponent*) { commands_.Help(); }
  void HelpButtonMouseEnter(TComponent*);
  void HelpButtonMouseExit(TComponent*);
  void FormCloseQuery(TComponent*, bool& canClose) { canClose = commands_.CloseQuery(); }
  void ZipArchiver1Progress(TComponent*, ProgressType type, const std::string& fileName, int fileSize) {
    steps_->ZipProgress(type, fileName, fileSize);
  }

protected:
  bool DialogKey(WORD key) override;

private:
  // Runs a command; what it raises is shown, as the application shows it.
  template <class F>
  void Run(F f) {
    try {
      f();
    } catch (...) {
      Application().HandleException();
    }
  }
  TWinControl* TextControl(TWizardText which) const;
  TWinControl* CheckControl(TWizardCheck which) const;
  TTrackBar* Slider(TWizardSlider which) const;
  TListBox* List(TWizardList which) const;
  TControl* ButtonControl(TWizardButton button) const;
  void MakeKindList();

  // The build steps report to page 8's controls and lock this window's
  // buttons; the build window's two labels have no counterpart here.
  class TBuildView : public TControlsBuildView {
  public:
    explicit TBuildView(TForm1& form);
    void LockButtons() override { LockWizardButtons(form_, true); }
    void UnlockButtons() override { LockWizardButtons(form_, false); }

  private:
    TForm1& form_;
  };

  TDiskProjectFiles files_;
  TWizardCommands commands_;
  std::unique_ptr<TBuildView> buildView_;
  std::unique_ptr<TBuildSteps> steps_;
  std::string programFolder_;
  // Set while values are put into controls: their click handlers stay quiet.
  bool quiet_ = false;
};
