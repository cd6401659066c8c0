// Standard controls, the list view and the notebook: state kept while there
// is no window reaches the window when it is made, items keep their places
// and pages their order.
#include <gtest/gtest.h>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

namespace {
std::string WindowText(HWND h) {
  char buf[256] = "";
  GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

const char kBookForm[] = R"(
object BookForm: TForm
  ClientWidth = 300
  ClientHeight = 200
  object Book: TNotebook
    Align = alClient
    object TPage
      Caption = 'First'
    end
    object TPage
      Caption = 'Second'
    end
    object TPage
      Caption = 'Third'
    end
  end
end
)";
}  // namespace

TEST(Notebook, ShowingAPageShowsOnlyItAndKeepsThePageOrder) {
  TForm form(nullptr);
  form.LoadDescription(kBookForm);
  auto* book = dynamic_cast<TNotebook*>(form.FindComponent("Book"));
  ASSERT_NE(book, nullptr);
  ASSERT_EQ(book->PageCount(), 3);
  const std::string captions[] = {"First", "Second", "Third"};
  std::vector<TPage*> pages;
  for (int i = 0; i < 3; ++i) pages.push_back(book->Page(i));
  form.Show();
  int changes = 0;
  book->OnPageChanged = [&changes](TComponent*) { ++changes; };

  for (int shown : {2, 0, 1}) {
    SCOPED_TRACE("page " + std::to_string(shown));
    book->SetPageIndex(shown);
    EXPECT_EQ(book->PageIndex(), shown);
    EXPECT_EQ(book->ActivePage(), captions[shown]);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE("checking page " + std::to_string(i));
      ASSERT_EQ(book->Page(i), pages[static_cast<size_t>(i)]);
      EXPECT_EQ(book->Page(i)->Caption(), captions[i]);
      EXPECT_EQ(book->Page(i)->Visible(), i == shown);
      EXPECT_EQ(IsWindowVisible(book->Page(i)->Handle()) != FALSE, i == shown);
    }
  }
  EXPECT_EQ(changes, 3);

  // By caption too; and a page brought to the front by others keeps its index.
  book->SetActivePage("Third");
  EXPECT_EQ(book->PageIndex(), 2);
  pages[0]->BringToFront();
  EXPECT_EQ(book->Page(0), pages[0]);
  EXPECT_EQ(book->Page(2), pages[2]);
  TPage* added = book->AddPage("Fourth");
  EXPECT_EQ(book->Page(3), added);
  EXPECT_FALSE(added->Visible());
  EXPECT_TRUE(pages[2]->Visible());
}

TEST(ComboBox, TextAndItemIndexSetBeforeTheWindowReachIt) {
  struct {
    const char* name;
    TComboBoxStyle style;
    std::vector<std::string> steps;  // "#n": item index n; else the text
    std::string text;
    int index;
  } rows[] = {
      {"drop-down text", TComboBoxStyle::csDropDown, {"typed"}, "typed", -1},
      {"simple text", TComboBoxStyle::csSimple, {"typed"}, "typed", -1},
      {"list item index", TComboBoxStyle::csDropDownList, {"#2"}, "three", 2},
      {"list text picks the item", TComboBoxStyle::csDropDownList, {"Two"}, "two", 1},
      {"item, then other text", TComboBoxStyle::csDropDown, {"#1", "typed"}, "typed", 1},
      {"text, then an item", TComboBoxStyle::csDropDown, {"typed", "#0"}, "one", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TForm form(nullptr);
    auto* combo = new TComboBox(&form);
    combo->SetStyle(row.style);
    combo->SetParent(&form);
    combo->SetItems({"one", "two", "three"});
    int changes = 0;
    combo->OnChange = [&changes](TComponent*) { ++changes; };
    for (const std::string& step : row.steps) {
      if (step[0] == '#') combo->SetItemIndex(std::stoi(step.substr(1)));
      else combo->SetText(step);
    }
    ASSERT_FALSE(combo->HandleAllocated());
    EXPECT_EQ(combo->Text(), row.text);
    EXPECT_EQ(combo->ItemIndex(), row.index);
    int before = changes;

    HWND h = combo->Handle();
    EXPECT_EQ(WindowText(h), row.text);
    EXPECT_EQ(SendMessageA(h, CB_GETCURSEL, 0, 0), row.index);
    EXPECT_EQ(changes, before) << "making the window is no change";

    // And again when the window is made anew.
    combo->RecreateWnd();
    EXPECT_NE(combo->HandleIfAllocated(), nullptr);
    EXPECT_EQ(WindowText(combo->Handle()), row.text);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETCURSEL, 0, 0), row.index);
  }
}

TEST(ListBox, MultipleSelectionIsKeptWithoutAWindow) {
  TForm form(nullptr);
  auto* list = new TListBox(&form);
  list->SetMultiSelect(true);
  list->SetItems({"one", "two", "three"});
  list->SetSelected(0, true);
  list->SetSelected(2, true);
  list->InsertItem(0, "zero");  // the marks move with their items
  EXPECT_FALSE(list->HandleAllocated()) << "selecting needs no window";
  const bool expected[] = {false, true, false, true};
  EXPECT_EQ(list->SelCount(), 2);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list->Selected(i), expected[i]) << i;
  EXPECT_THROW(list->SetSelected(4, true), EInvalidOperation);

  list->SetParent(&form);
  HWND h = list->Handle();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(SendMessageA(h, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0, expected[i]) << i;
  EXPECT_EQ(SendMessageA(h, LB_GETSELCOUNT, 0, 0), 2);

  // A new window (here the form's) keeps what the old one held.
  SendMessageA(h, LB_SETSEL, TRUE, 2);
  form.RecreateWnd();
  h = list->Handle();
  EXPECT_EQ(SendMessageA(h, LB_GETSELCOUNT, 0, 0), 3);
  EXPECT_TRUE(list->Selected(2));

  // -1 stands for every item, as in the window.
  list->SetSelected(-1, false);
  EXPECT_EQ(list->SelCount(), 0);

  // Turning multiple selection on keeps the single selected item.
  auto* single = new TListBox(&form);
  single->SetItems({"a", "b"});
  single->SetItemIndex(1);
  single->SetMultiSelect(true);
  EXPECT_TRUE(single->Selected(1));
  EXPECT_FALSE(single->Selected(0));
  single->SetParent(&form);
  EXPECT_EQ(SendMessageA(single->Handle(), LB_GETSEL, 1, 0), 1);
}

TEST(ListView, ItemsAddedAndDeletedInBulkReachTheWindow) {
  TForm form(nullptr);
  auto* list = new TListView(&form);
  list->SetViewStyle(TViewStyle::vsReport);
  list->SetMultiSelect(true);
  list->SetParent(&form);
  form.Show();
  HWND h = list->Handle();
  for (int i = 0; i < 500; ++i) list->Add("item " + std::to_string(i), i % 2);
  // Drawing waits while items pour in; the window has them all at once.
  EXPECT_EQ(SendMessageA(h, LVM_GETITEMCOUNT, 0, 0), 500);
  list->Item(250)->SetSelected(true);
  list->Delete(10);
  list->Item(0)->Delete();
  // Items know their places after deletions in front of them.
  EXPECT_EQ(list->Item(248)->Caption(), "item 250");
  EXPECT_EQ(list->Item(248)->Index(), 248);
  EXPECT_TRUE(list->Item(248)->Selected());
  EXPECT_EQ(list->SelCount(), 1);
  char text[64] = "";
  LVITEMA lvi{};
  lvi.pszText = text;
  lvi.cchTextMax = sizeof text;
  SendMessageA(h, LVM_GETITEMTEXTA, 248, reinterpret_cast<LPARAM>(&lvi));
  EXPECT_STREQ(text, "item 250");
  lvi.mask = LVIF_IMAGE;
  lvi.iItem = 248;
  SendMessageA(h, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lvi));
  EXPECT_EQ(lvi.iImage, 0);
  // Once messages run, the list draws again and stays visible.
  Application().ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_TRUE(GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(TWinControl::FromHandle(h), list);
}

TEST(ListView, SortedItemsKnowTheirNewPlaces) {
  TForm form(nullptr);
  auto* list = new TListView(&form);
  list->SetParent(&form);
  for (const char* name : {"c", "a", "b"}) list->Add(name, -1);
  list->Item(0)->SetSelected(true);  // "c"
  list->CustomSort([](const TListItem& a, const TListItem& b) { return a.Caption().compare(b.Caption()); });
  for (int i = 0; i < list->Count(); ++i) EXPECT_EQ(list->Item(i)->Index(), i);
  EXPECT_EQ(list->Item(2)->Caption(), "c");
  EXPECT_TRUE(list->Item(2)->Selected());
  EXPECT_FALSE(list->Item(0)->Selected());
  list->Item(2)->SetCaption("z");
  char text[8] = "";
  LVITEMA lvi{};
  lvi.pszText = text;
  lvi.cchTextMax = sizeof text;
  SendMessageA(list->Handle(), LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&lvi));
  EXPECT_STREQ(text, "z");
}

TEST(ListView, SelectionTheUserMovesIsAChange) {
  TForm form(nullptr);
  auto* list = new TListView(&form);
  list->SetViewStyle(TViewStyle::vsReport);
  list->AddColumn();
  list->SetParent(&form);
  form.Show();
  for (const char* name : {"a", "b", "c"}) list->Add(name, -1);
  std::vector<std::string> seen;
  list->OnChange = [&](TComponent*) { seen.push_back(list->Selected() ? list->Selected()->Caption() : ""); };
  SetFocus(list->Handle());
  // Keys move the selection as the mouse does; each move is reported.
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_END, 0);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "c");
  seen.clear();
  SendMessageA(list->Handle(), WM_KEYDOWN, VK_HOME, 0);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "a");
}
