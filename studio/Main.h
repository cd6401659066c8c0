// The Studio main window: the project in its pages and controls, with the
// kind and style handlers, the source list, the file commands, Build, the
// test run, and the help and web commands.
#pragma once
#include <memory>
#include <string>

#include "About.h"
#include "AniFile.h"
#include "AnimMenus.h"
#include "ComCtrls.h"
#include "DirTree.h"
#include "Dock.h"
#include "DropCombo.h"
#include "ExtCtrls.h"
#include "FileExplorer.h"
#include "FlatEdit.h"
#include "Forms.h"
#include "MainCommands.h"
#include "ProjectFileDisk.h"
#include "SideBar.h"
#include "TabSet.h"
#include "ToolKit.h"
#include "Toolbar.h"

// Menu commands.
enum TStudioCommand : UINT {
  cmNew = 101, cmOpen, cmSave, cmSaveAs, cmBuild, cmExit,
  cmNavArchiveInfo = 201, cmNavSourceFiles, cmNavHelpPage, cmNavCompression, cmNavSelfExtraction,
  cmHelpContents = 301, cmHelpIntroduction, cmHelpWeb, cmHelpMail, cmHelpAbout,
};

// Pages of `Notebook1`.
enum TStudioPage { pgArchiveInfo, pgSourceFiles, pgHelp, pgCompression, pgSelfExtraction, pgProcessing };

class TForm1 : public AnimMenus::TForm, public IStudioControls, public IStudioView {
public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;

  // The other start-up windows, once they exist.
  TForm2* AboutBox = nullptr;
  TForm3* ContactBox = nullptr;
  void SetBuildWindow(IBuildWindow* window) { commands_.SetBuildWindow(window); }
  // What the build window reads.
  const IProjectSettings& Settings() const { return commands_.Settings(); }
  TStudioCommands& Commands() { return commands_; }

  // Process-wide state.
  bool ProjectModified() const { return commands_.ProjectModified; }
  const std::string& CurrentProjectFile() const { return commands_.CurrentProjectFile; }
  bool SizeLocked = false;

  void SaveProject(const std::string& fileName) { commands_.SaveProject(fileName); }
  bool LoadProject(const std::string& fileName) { return commands_.LoadProject(fileName); }
  // The first command-line argument (empty when there is none).
  void OpenCommandLineProject(const std::string& argument) { commands_.LoadCommandLine(argument); }

  // Runs a menu command as the menu or its shortcut does.
  void Command(UINT id);
  void ShowPage(int page);
  const std::string& ProjectCaption() const { return projectCaption_; }
  std::string StatusText() const { return TheStatusBar->SimpleText(); }
  // The menu item of a command.
  TMenuItem* MenuItem(UINT id) const;
  // Tests point the program's folder elsewhere.
  void SetProgramFolder(const std::string& folder) { programFolder_ = folder; }

  // IStudioControls
  std::string Text(TStudioText which) const override;
  void SetText(TStudioText which, const std::string& text) override;
  bool Checked(TStudioCheck which) const override;
  void SetChecked(TStudioCheck which, bool on) override;
  int Position(TStudioSlider which) const override;
  void SetPosition(TStudioSlider which, int position) override;
  int StyleTab() const override { return TabSet1->TabIndex(); }
  void SetStyleTab(int tab) override { TabSet1->SetTabIndex(tab); }
  std::vector<TSourceEntry> SourceEntries() const override;
  void ClearSources() override { SourceListView->Clear(); }
  void AddSource(const TSourceEntry& entry) override;

  // IStudioView
  HWND AppWindow() override { return Application().Handle(); }
  void SetStatus(const std::string& text) override;
  void SetProjectCaption(const std::string& name) override;
  void ShowKind(TArchiveKind kind) override;
  void ShowStyle(int tab) override;
  void ShowFirstPages() override;
  void LockForBuild() override;
  void UnlockAfterBuild() override;
  void SetTestEnabled(bool on) override { TestButton->SetEnabled(on); }
  TSfxPage SfxPage() const override { return Notebook2->PageIndex() == 1 ? TSfxPage::Cab : TSfxPage::Zip; }
  void ShowAboutHeld() override;
  std::string ProgramFolder() const override { return programFolder_; }

  // Controls, by the names of the window description.
  TFlatEdit *e1 = nullptr, *e2 = nullptr, *pass1 = nullptr, *pass2 = nullptr, *execution = nullptr,
            *defaultDir = nullptr;
  TDropDownComboBox* ovrChoice = nullptr;
  TRadioButton *r1 = nullptr, *r2 = nullptr, *r3 = nullptr, *r4 = nullptr, *cabsfx1 = nullptr, *cabsfx2 = nullptr;
  TCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr,
            *CheckBox5 = nullptr, *p1 = nullptr, *p2 = nullptr, *p3 = nullptr;
  TTrackBar *TrackBar1 = nullptr, *TrackBar2 = nullptr;
  TTabSet* TabSet1 = nullptr;
  TNotebook *Notebook1 = nullptr, *Notebook2 = nullptr;
  TGroupBox *ZipCompress = nullptr, *cabCompress = nullptr, *PermGroup = nullptr;
  TLabel *PassLabel = nullptr, *PassLabel1 = nullptr, *PassLabel2 = nullptr, *OvrLabel = nullptr, *RunLabel = nullptr,
         *DirLabel = nullptr, *DosLabel = nullptr;
  TDirTree* SourceDirView = nullptr;
  TFileListView* SourceFileView = nullptr;
  TListView* SourceListView = nullptr;
  TImageList* SourceImages = nullptr;
  TStatusBar* TheStatusBar = nullptr;
  TSideBar* SideBar1 = nullptr;
  TSideBarPage *SideBasic = nullptr, *SideSettings = nullptr;
  TSideBarButton* SideSelfExtraction = nullptr;
  TImageList* SideBarImages = nullptr;
  TDock* Dock1 = nullptr;
  TAnimMainMenu* MenuBar1 = nullptr;
  TToolbar* ToolBar1 = nullptr;
  TMenuItem *File1 = nullptr, *Navigate1 = nullptr, *Help1 = nullptr;
  TToolbarButton *NewButton = nullptr, *OpenButton = nullptr, *SaveButton = nullptr, *BuildButton = nullptr,
                 *TestButton = nullptr, *HelpButton = nullptr, *WebButton = nullptr;
  TAniIcon* WorkingIcon = nullptr;
  TLinkLabel* UrlLabel1 = nullptr;
  TGradientCaption* GradientCaption1 = nullptr;

  // Handlers.
  void Changed(TComponent*);
  void e2Change(TComponent*);
  void KindClick(TComponent* sender);
  void TabSet1Change(TComponent*, int newTab);
  void FocusStatus(TComponent* sender);
  void ClearStatus(TComponent*);
  void SourceDirViewChange(TComponent*, TTreeNode*);
  void AddFolderClick(TComponent*);
  void AddFileClick(TComponent*);
  void RemoveClick(TComponent*);
  void BrowseClick(TComponent*);
  void SideBarClick(TComponent* sender);
  void ToolButtonClick(TComponent* sender);
  void HelpPageClick(TComponent* sender);
  void MenuClick(TComponent* sender);
  void FormCloseQuery(TComponent*, bool& canClose);
  void FormResize(TComponent*);

protected:
  void WndProc(TMessage& m) override;

private:
  // The side bar's icons, the toolbar's glyphs and the processing page's
  // animation, from the program's resources.
  void LoadPictures();
  // The source list's two icons and the folder tree at the program's
  // folder: the shell's answers, asked for once the window is drawn.
  void FillFolderPane();
  void OpenAddress(const std::string& address);
  void HelpContents();
  TWinControl* TextControl(TStudioText which) const;
  TControl* CheckControl(TStudioCheck which) const;

  TDiskProjectFiles files_;
  TStudioCommands commands_;
  std::string projectCaption_ = kUntitledCaption;
  std::string programFolder_;
  std::string treeFolder_;  // where the tree starts: the program's folder when the window was made
  int rememberedPage_ = pgArchiveInfo;
  bool folderPanePosted_ = false, folderPaneFilled_ = false;
};

// The folder of the running program, with a trailing backslash.
std::string ProgramFolderPath();
