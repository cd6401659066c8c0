// The window layer's own mechanisms: descriptions, binding by name, mouse
// routing to windowless controls, modal forms, deferred release, the robot.
#include <windowsx.h>

#include <gtest/gtest.h>

#include "ComCtrls.h"
#include "Description.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Robot.h"
#include "StdCtrls.h"

namespace {
const char kForm[] = R"(
object TestForm: TTestForm
  Caption = 'Test ' + 'Form'
  BorderStyle = bsDialog
  BorderIcons = [biSystemMenu]
  ClientWidth = 300
  ClientHeight = 200
  Font.Name = 'Arial'
  Font.Style = [fsBold]
  OnCloseQuery = FormCloseQuery
  object Panel1: TPanel
    Align = alTop
    Height = 40
    BevelOuter = bvNone
    object Label1: TLabel
      Left = 4  Top = 4
      Caption = 'It''s a'#9'label'
      FocusControl = Edit1
      OnClick = LabelClick
    end
  end
  object Edit1: TEdit
    Left = 8  Top = 50
    Text = 'text'
    OnChange = Edit1Change
  end
  object OKButton: TButton
    Left = 8  Top = 80
    Caption = 'OK'
    Default = True
    ModalResult = 1
    OnClick = OKButtonClick
  end
  object CancelButton: TButton
    Left = 90  Top = 80
    Caption = 'Cancel'
    Cancel = True
    ModalResult = 2
  end
  object List: TListView
    Left = 8  Top = 110
    ViewStyle = vsReport
    Columns = <item Caption = 'Item Name' Width = 120 end>
  end
  object Combo: TComboBox
    Left = 150  Top = 50
    Style = csDropDownList
    Items.Strings = ('Ask User' 'Always Overwrite')
    ItemIndex = 1
  end
  object Book: TNotebook
    Left = 150  Top = 110
    PageIndex = 1
    object TPage
      Caption = 'Zip'
    end
    object TPage
      Caption = 'Cab'
    end
  end
  object Timer1: TTimer
    Interval = 500
    OnTimer = Timer1Timer
  end
end
)";

class TTestForm : public TForm {
public:
  explicit TTestForm(TComponent* owner, const char* text = kForm) : TForm(owner) {
    Field("Label1", Label1);
    Field("Edit1", Edit1);
    Field("OKButton", OKButton);
    Handler("LabelClick", &TTestForm::LabelClick);
    Handler("Edit1Change", &TTestForm::Edit1Change);
    Handler("OKButtonClick", &TTestForm::OKButtonClick);
    Handler("FormCloseQuery", &TTestForm::FormCloseQuery);
    Handler("Timer1Timer", &TTestForm::Timer1Timer);
    LoadDescription(text);
  }
  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;
  TButton* OKButton = nullptr;
  std::vector<std::string> log;
  bool allowClose = true;

  void LabelClick(TComponent* sender) { log.push_back("click " + sender->Name()); }
  void Edit1Change(TComponent*) { log.push_back("change " + Edit1->Text()); }
  void OKButtonClick(TComponent*) { log.push_back("ok"); }
  void FormCloseQuery(TComponent*, bool& canClose) { log.push_back("closequery"); canClose = allowClose; }
  void Timer1Timer(TComponent*) { log.push_back("timer"); }
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
}  // namespace

TEST(Description, CreatesSetsAndBindsByName) {
  TRobot robot;
  TTestForm form(nullptr);
  EXPECT_EQ(form.Name(), "TestForm");
  EXPECT_EQ(form.Caption(), "Test Form");
  EXPECT_EQ(form.ClientWidth(), 300);
  EXPECT_EQ(form.ClientHeight(), 200);
  ASSERT_NE(form.Label1, nullptr);
  EXPECT_EQ(form.Label1->Caption(), "It's a\tlabel");
  EXPECT_EQ(form.Label1->Parent(), form.FindComponent("Panel1"));
  EXPECT_EQ(form.Label1->FocusControl(), form.Edit1);  // resolved after loading
  EXPECT_EQ(form.Label1->Font().Name(), "Arial");      // follows the form's font
  EXPECT_TRUE(form.Label1->Font().Style().Has(TFontStyle::fsBold));
  EXPECT_TRUE(form.log.empty()) << "no change events while loading";

  auto* combo = dynamic_cast<TComboBox*>(form.FindComponent("Combo"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Text(), "Always Overwrite");
  auto* book = dynamic_cast<TNotebook*>(form.FindComponent("Book"));
  ASSERT_EQ(book->PageCount(), 2);
  EXPECT_EQ(book->ActivePage(), "Cab");
  EXPECT_FALSE(book->Page(0)->Visible());
  auto* list = dynamic_cast<TListView*>(form.FindComponent("List"));
  ASSERT_EQ(list->ColumnCount(), 1);
  EXPECT_EQ(list->Column(0)->Caption, "Item Name");

  // Panel1 is aligned to the top across the whole client width.
  auto* panel = dynamic_cast<TPanel*>(form.FindComponent("Panel1"));
  EXPECT_EQ(panel->Width(), 300);
  EXPECT_EQ(panel->Height(), 40);

  // Events reach the handlers the description named.
  form.Edit1->SetText("new");
  SendMessageA(form.OKButton->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form.log, (std::vector<std::string>{"change new", "ok"}));

  // The timer runs through the seam.
  auto* timer = dynamic_cast<TTimer*>(form.FindComponent("Timer1"));
  ASSERT_EQ(robot.Timers.count(std::make_pair(timer->Handle(), TTimer::kTimerId)), 1u);
  EXPECT_EQ(robot.Timers.at(std::make_pair(timer->Handle(), TTimer::kTimerId)).first, 500u);
  EXPECT_TRUE(robot.FireTimer(timer->Handle(), TTimer::kTimerId));
  EXPECT_EQ(form.log.back(), "timer");
}

TEST(Description, ErrorsNameTheLineAndTheProblem) {
  struct {
    const char* name;
    std::string text;
    std::string message;
  } rows[] = {
      {"unknown class", "object F: TForm\n object X: TNoSuch\n end\nend", "Line 2: Class 'TNoSuch' not found"},
      {"unknown property", "object F: TForm\n object B: TButton\n  Captoin = 'x'\n end\nend",
       "Line 3: Unknown property 'Captoin' of TButton"},
      {"unknown nested property", "object F: TForm\n Font.Weight = 4\nend", "Line 2: Unknown property 'Font.Weight' of TForm"},
      {"unknown handler", "object F: TForm\n object B: TButton\n  OnClick = NoSuchClick\n end\nend",
       "Line 3: Handler 'NoSuchClick' for OnClick not found"},
      {"handler of another kind", "object F: TForm\n OnClick = FormCloseQuery\nend",
       "Line 2: Handler 'FormCloseQuery' does not fit OnClick"},
      {"string for a number", "object F: TForm\n Width = 'wide'\nend",
       "Line 2: Invalid value for 'Width' of TForm: expected a number"},
      {"unknown enum value", "object F: TForm\n BorderStyle = bsRound\nend", "Line 2: Invalid value for 'BorderStyle' of TForm: expected one of bsNone"},
      {"unknown colour", "object F: TForm\n Color = clPink\nend", "Line 2: Invalid value for 'Color' of TForm: expected a colour"},
      {"unterminated string", "object F: TForm\n Caption = 'abc\nend", "Line 2: Unterminated string"},
      {"missing end", "object F: TForm\n Caption = 'abc'\n", "Line 3: 'end' expected for object 'F'"},
      {"duplicate name", "object F: TForm\n object B: TButton\n end\n object B: TLabel\n end\nend",
       "Line 4: A component named 'B' already exists"},
      {"control in a component", "object F: TForm\n object T: TTimer\n  object B: TButton\n  end\n end\nend",
       "Line 3: 'B' is a control inside 'T', which cannot hold controls"},
      {"missing reference", "object F: TForm\n object L: TLabel\n  FocusControl = Nowhere\n end\nend",
       "Line 3: Component 'Nowhere' for FocusControl not found"},
      {"reference of another kind", "object F: TForm\n object L: TLabel\n  FocusControl = T\n end\n object T: TTimer\n end\nend",
       "Line 3: Component 'T' does not fit FocusControl"},
      {"field without component", "object F: TForm\n object L: TLabel\n end\nend",
       "Field 'label1' has no component in the description"},
      {"field of another class", "object F: TForm\n object Label1: TButton\n end\nend",
       "Line 2: Field 'Label1' does not fit class TButton"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    struct TProbeForm : TForm {
      explicit TProbeForm(const std::string& text, bool withField) : TForm(nullptr) {
        Handler("FormCloseQuery", &TProbeForm::FormCloseQuery);
        if (withField) Field("Label1", label);
        LoadDescription(text);
      }
      void FormCloseQuery(TComponent*, bool&) {}
      TLabel* label = nullptr;
    };
    bool withField = std::string(row.name).rfind("field", 0) == 0;
    try {
      TProbeForm form(row.text, withField);
      ADD_FAILURE() << "loaded without error";
    } catch (const EDescriptionError& e) {
      EXPECT_EQ(e.Message().substr(0, row.message.size()), row.message);
    }
  }
}

TEST(Controls, MouseGoesToTheTopmostWindowlessControlAndStaysWhileCaptured) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  form.HandleNeeded();
  std::vector<std::string> log;
  auto make = [&](const char* name, int left) {
    auto* l = new TLabel(&form);
    l->SetName(name);
    l->SetAutoSize(false);
    l->SetBounds(left, 10, 50, 20);
    l->SetParent(&form);
    l->OnClick = [&log](TComponent* s) { log.push_back("click " + s->Name()); };
    l->OnMouseUp = [&log](TComponent* s, TMouseButton, TShiftState, int x, int y) {
      log.push_back("up " + s->Name() + " " + std::to_string(x) + "," + std::to_string(y));
    };
    l->OnMouseEnter = [&log](TComponent* s) { log.push_back("enter " + s->Name()); };
    l->OnMouseLeave = [&log](TComponent* s) { log.push_back("leave " + s->Name()); };
    return l;
  };
  TLabel* a = make("a", 10);
  TLabel* b = make("b", 40);  // overlaps a from x 40 to 60; created later, so on top
  form.OnClick = [&log](TComponent*) { log.push_back("click form"); };
  HWND h = form.Handle();

  struct {
    const char* name;
    std::vector<std::pair<UINT, LPARAM>> messages;
    std::vector<std::string> expected;
  } rows[] = {
      {"click on a alone", {{WM_LBUTTONDOWN, At(15, 15)}, {WM_LBUTTONUP, At(15, 15)}}, {"click a", "up a 5,5"}},
      {"click on the overlap goes to b", {{WM_LBUTTONDOWN, At(45, 15)}, {WM_LBUTTONUP, At(45, 15)}}, {"click b", "up b 5,5"}},
      {"release outside: no click, but a keeps the mouse",
       {{WM_LBUTTONDOWN, At(15, 15)}, {WM_LBUTTONUP, At(200, 150)}},
       {"up a 190,140"}},
      {"empty spot goes to the form", {{WM_LBUTTONDOWN, At(200, 150)}, {WM_LBUTTONUP, At(200, 150)}}, {"click form"}},
      {"enter and leave", {{WM_MOUSEMOVE, At(15, 15)}, {WM_MOUSEMOVE, At(45, 15)}, {WM_MOUSEMOVE, At(200, 150)}},
       {"enter a", "leave a", "enter b", "leave b"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    log.clear();
    for (auto [msg, lp] : row.messages) SendMessageA(h, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, lp);
    EXPECT_EQ(log, row.expected);
    EXPECT_EQ(form.CaptureControl(), nullptr);
  }

  // A disabled control lets the click through to the one below.
  log.clear();
  b->SetEnabled(false);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(45, 15));
  SendMessageA(h, WM_LBUTTONUP, 0, At(45, 15));
  EXPECT_EQ(log, (std::vector<std::string>{"click a", "up a 35,5"}));

  // Freeing a control while it holds the mouse drops the capture.
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
  EXPECT_EQ(form.CaptureControl(), a);
  delete a;
  EXPECT_EQ(form.CaptureControl(), nullptr);
}

TEST(Forms, ShowModalReturnsTheButtonsResultAndAsksCloseQuery) {
  TRobot robot;
  auto* form = new TTestForm(nullptr);
  // OK button: its ModalResult ends the loop.
  PostMessageA(form->OKButton->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(form->log, (std::vector<std::string>{"ok", "closequery"}));

  // Escape presses the Cancel button; a refusing close query keeps it open
  // until a second attempt is allowed.
  form->log.clear();
  form->allowClose = false;
  form->OnShow = [form](TComponent*) {
    PostMessageA(form->Edit1->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(form->Handle(), WM_APP, 0, 0);
  };
  auto id = Application().HookMainWindow([](TMessage&) { return false; });
  struct TAllow : TComponent {
    using TComponent::TComponent;
  };
  form->OnActivate = nullptr;
  // After the refused close, allow it and press Escape again.
  int attempts = 0;
  form->OnCloseQuery = [&](TComponent*, bool& canClose) {
    canClose = ++attempts > 1;
    if (!canClose) PostMessageA(form->Edit1->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  };
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(attempts, 2);
  Application().UnhookMainWindow(id);

  // Showing a visible form modally is refused.
  form->OnShow = nullptr;
  form->Show();
  EXPECT_THROW(form->ShowModal(), EInvalidOperation);
  delete form;
}

TEST(Forms, ReleaseFreesAfterPendingMessagesAndTellsWatchers) {
  struct TWatcher : TComponent {
    using TComponent::TComponent;
    TComponent* gone = nullptr;
    void Notification(TComponent* c, TOperation op) override { if (op == TOperation::opRemove) gone = c; }
  } watcher(nullptr);
  auto* form = new TForm(nullptr);
  form->FreeNotification(&watcher);
  form->Release();
  EXPECT_EQ(watcher.gone, nullptr) << "still alive until its messages run";
  Application().ProcessMessages();
  EXPECT_EQ(watcher.gone, form);
}

TEST(Forms, PumpingWithoutPaintLeavesTheDrawingForLater) {
  TForm form(nullptr);
  form.Show();
  Application().ProcessMessages();
  HWND h = form.Handle();
  InvalidateRect(h, nullptr, FALSE);
  bool posted = false;
  int hook = Application().HookMainWindow([&](TMessage& m) { return m.Msg == WM_APP + 7 && (posted = true); });
  PostMessageA(Application().Handle(), WM_APP + 7, 0, 0);
  Application().ProcessMessagesButPaint();
  EXPECT_TRUE(posted);
  EXPECT_TRUE(GetUpdateRect(h, nullptr, FALSE));
  Application().ProcessMessages();
  EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));
  Application().UnhookMainWindow(hook);
}

TEST(Forms, ExceptionsInHandlersBecomeOneMessageBox) {
  TRobot robot;
  Application().SetTitle("tidy-Zaderuzo Studio");
  TTestForm form(nullptr);
  form.OKButton->OnClick = [](TComponent*) { throw Exception("Cabinet error 5 (type 2)"); };
  SendMessageA(form.OKButton->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "Cabinet error 5 (type 2)");
  EXPECT_EQ(robot.Boxes[0].Caption, "tidy-Zaderuzo Studio");
  EXPECT_EQ(robot.Boxes[0].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

TEST(Robot, AnswersBoxesInOrderAndRecordsThem) {
  TRobot robot;
  robot.Answers = {IDNO, IDYES};
  EXPECT_EQ(Application().MessageBox("First?", "tidy-Zaderuzo - QUESTiON", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(Application().MessageBox("Second?", "tidy-Zaderuzo - QUESTiON", MB_YESNO | MB_ICONQUESTION), IDYES);
  // Unscripted: the safe answer (No), counted.
  EXPECT_EQ(Application().MessageBox("Third?", "Q", MB_YESNO), IDNO);
  EXPECT_EQ(robot.Unscripted, 1);
  ASSERT_EQ(robot.Boxes.size(), 3u);
  EXPECT_EQ(robot.Boxes[1].Text, "Second?");
  EXPECT_EQ(robot.Boxes[1].Flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));

  // Help goes through the seam too, with the application's help file.
  Application().SetHelpFile("C:\\Mainhelp.hlp");
  Application().HelpJump("BigWelcome");
  ASSERT_EQ(robot.HelpCalls.size(), 1u);
  EXPECT_EQ(robot.HelpCalls[0].first, "C:\\Mainhelp.hlp");
  EXPECT_EQ(robot.HelpCalls[0].second, static_cast<UINT>(HELP_COMMAND));
}

TEST(Controls, FontAndColourFollowTheParentUntilSetOwn) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* own = new TLabel(&form);
  own->SetParent(panel);
  own->Font().SetName("Courier New");
  auto* follower = new TLabel(&form);
  follower->SetParent(panel);
  form.Font().SetHeight(-20);
  EXPECT_EQ(panel->Font().Height(), -20);
  EXPECT_EQ(follower->Font().Height(), -20);
  EXPECT_EQ(own->Font().Height(), -11) << "a font of its own stops following";
  EXPECT_FALSE(own->ParentFont());
  form.SetColor(clTeal);
  EXPECT_EQ(follower->Color(), clBtnFace) << "the panel keeps its own colour";
  panel->SetParentColor(true);
  EXPECT_EQ(panel->Color(), clTeal);
  EXPECT_EQ(follower->Color(), clTeal);
}

namespace {
// A windowless control that logs the messages the layer passes on to it.
class TMessageLog : public TGraphicControl {
public:
  using TGraphicControl::TGraphicControl;
  std::vector<UINT> Seen;

protected:
  void Paint(TCanvas&) override {}
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_CANCELMODE || m.Msg == CM_SYSCOLORCHANGE) Seen.push_back(m.Msg);
    TGraphicControl::WndProc(m);
  }
};
}  // namespace

TEST(Controls, CancelModeAndCaptureLossReachTheControlHoldingTheMouse) {
  enum TLoss { kCancelMode, kOtherWindowCaptures };
  for (TLoss loss : {kCancelMode, kOtherWindowCaptures}) {
    SCOPED_TRACE(loss == kCancelMode ? "cancel mode" : "another window captures");
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* held = new TMessageLog(&form);
    held->SetBounds(10, 10, 50, 20);
    held->SetParent(&form);
    auto* other = new TMessageLog(&form);
    other->SetBounds(100, 10, 50, 20);
    other->SetParent(&form);
    TForm elsewhere(nullptr);
    HWND h = form.Handle();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    ASSERT_EQ(form.CaptureControl(), held);
    if (loss == kCancelMode) SendMessageA(h, WM_CANCELMODE, 0, 0);
    else SetCapture(elsewhere.Handle());
    EXPECT_EQ(held->Seen, std::vector<UINT>{WM_CANCELMODE});
    EXPECT_TRUE(other->Seen.empty());
    EXPECT_EQ(form.CaptureControl(), nullptr);
    ReleaseCapture();
  }
}

TEST(Forms, ANewColourSchemeReachesEveryControl) {
  TForm form(nullptr);
  auto* panel = new TPanel(&form);
  panel->SetParent(&form);
  auto* top = new TMessageLog(&form);
  top->SetParent(&form);
  auto* nested = new TMessageLog(&form);
  nested->SetParent(panel);
  SendMessageA(form.Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(top->Seen, std::vector<UINT>{CM_SYSCOLORCHANGE});
  EXPECT_EQ(nested->Seen, std::vector<UINT>{CM_SYSCOLORCHANGE});
}

// F1 shows the focused control's topic, else the nearest one around it
// (the form's last); with no topic anywhere it is an ordinary key.
TEST(Forms, F1ShowsTheTopicOfTheFocusedControlElseTheForms) {
  TRobot robot;
  Application().SetHelpFile("Test.hlp");
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* own = new TEdit(&form);
  own->SetParent(&form);
  own->SetHelpContext(7);
  auto* panel = new TPanel(&form);
  panel->SetBounds(0, 50, 300, 100);
  panel->SetParent(&form);
  auto* inner = new TEdit(&form);
  inner->SetParent(panel);
  form.Show();
  struct {
    const char* name;
    TWinControl* focus;
    int panelTopic, formTopic;
    std::vector<ULONG_PTR> topics;
  } rows[] = {
      {"its own", own, 0, 5, {7}},
      {"the form's", inner, 0, 5, {5}},
      {"the panel's before the form's", inner, 9, 5, {9}},
      {"none", inner, 0, 0, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    panel->SetHelpContext(row.panelTopic);
    form.SetHelpContext(row.formTopic);
    ::SetFocus(row.focus->Handle());
    robot.HelpData.clear();
    PostMessageA(row.focus->Handle(), WM_KEYDOWN, VK_F1, 1);
    Application().ProcessMessages();
    EXPECT_EQ(robot.HelpData, row.topics);
  }
  Application().SetHelpFile("");
}
