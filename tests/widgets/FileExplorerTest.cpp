// The file list and the drive/path combo: their pure parts as tables, the
// rest over a small real folder tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "DateTime.h"
#include "FileExplorer.h"
#include "Forms.h"
#include "Robot.h"
#include "ShellInfo.h"
#include "TestPaths.h"
#include "ViewSupport.h"

using ViewSupport::CurrentDirectory;
using ViewSupport::SameText;

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return s;
}

constexpr DWORD Drive(char letter) { return 1u << (letter - 'A'); }

// Entry texts as the list makes them, from a few fields.
struct TRow {
  std::string caption;
  std::vector<std::string> sub;
};
TRow Row(const std::string& caption, const std::string& size, const std::string& type = "File",
         const std::string& modified = "01/01/2000 10:00", const std::string& attributes = "A") {
  return {caption, {size, type, modified, attributes, "C:\\x\\" + caption, size == "0" ? "dir" : "file"}};
}

void SetModified(const std::string& path, WORD year, WORD month, WORD day, WORD hour, WORD minute) {
  SYSTEMTIME local{year, month, 0, day, hour, minute, 0, 0};
  FILETIME localTime, utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetFileTime(h, nullptr, nullptr, &utc);
  CloseHandle(h);
}

// A file of `size` bytes that takes no room (the end set past the start).
void MakeSizedFile(const std::string& path, uint64_t size) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  SetFilePointerEx(h, end, nullptr, FILE_BEGIN);
  SetEndOfFile(h);
  CloseHandle(h);
}
}  // namespace

TEST(FileExplorerRoutines, CharCountAndNthCharPos) {
  EXPECT_EQ(CharCount("C:\\A\\B\\", '\\'), 3);
  EXPECT_EQ(CharCount("", '\\'), 0);
  EXPECT_EQ(NthCharPos("C:\\A\\B\\", '\\', 1), 3);
  EXPECT_EQ(NthCharPos("C:\\A\\B\\", '\\', 3), 7);
  EXPECT_EQ(NthCharPos("C:\\A\\B\\", '\\', 4), INT_MAX);
  EXPECT_EQ(NthCharPos("", '\\', 1), INT_MAX);
}

TEST(FileExplorerRoutines, ComboItemsFollowTheDrivesAndThePath) {
  struct {
    const char* name;
    DWORD mask;
    std::string path;
    std::vector<std::string> items;
  } rows[] = {
      {"deep path", Drive('A') | Drive('C') | Drive('Z'), "C:\\WINDOWS\\SYSTEM\\",
       {"0:Drives", "1:A:\\", "1:C:\\", "2:C:\\WINDOWS\\", "T3:C:\\WINDOWS\\SYSTEM\\", "1:Z:\\"}},
      {"drive root: no levels", Drive('C') | Drive('Z'), "Z:\\", {"0:Drives", "1:C:\\", "T1:Z:\\"}},
      {"lower-case drive", Drive('C'), "c:\\Temp\\", {"0:Drives", "1:C:\\", "T2:c:\\Temp\\"}},
      {"the drives level", Drive('C') | Drive('D'), "Drives", {"T0:Drives", "1:C:\\", "1:D:\\"}},
      {"a drive not present", Drive('C'), "Q:\\DATA\\", {"0:Drives", "1:C:\\"}},
      {"no drives", 0, "C:\\", {"0:Drives"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TDirComboItems got = DirComboItems(row.mask, row.path);
    EXPECT_EQ(got.Items, row.items);
    int current = -1;
    for (size_t i = 0; i < row.items.size(); ++i)
      if (row.items[i][0] == 'T') current = static_cast<int>(i);
    EXPECT_EQ(got.Current, current);
  }
}

TEST(FileExplorerRoutines, SortOrderOfTwoItems) {
  SetShortDateFormat("mm/dd/yyyy");
  SetLongTimeFormat("hh:nn");
  struct {
    const char* name;
    TRow a, b;
    int column;
    int ascending;  // the result unreversed; reversed it is negated
  } rows[] = {
      {"folder before file, whatever the column", Row("zz", "0", "Folder"), Row("aa", "5"), 0, -1},
      {"file after folder", Row("aa", "5"), Row("zz", "0", "Folder"), 3, 1},
      {"two folders by name", Row("b", "0"), Row("a", "0"), 0, 1},
      {"name: upper case, then character codes", Row("a_b", "1"), Row("A[B", "1"), 0, 1},
      {"name: same but for case", Row("readme", "1"), Row("README", "1"), 0, 0},
      {"size: as numbers, not texts", Row("a", "9"), Row("b", "10"), 1, -1},
      {"size: 2 GiB and more", Row("a", "3221225472"), Row("b", "2147483647"), 1, 1},
      {"size: past 32 bits", Row("a", "4294967296"), Row("b", "4294967295"), 1, 1},
      {"type: case ignored", Row("a", "1", "text document"), Row("b", "1", "Text Document"), 2, 0},
      {"type: by text", Row("a", "1", "Application"), Row("b", "1", "Text"), 2, -1},
      {"modified: by time, not text", Row("a", "1", "F", "12/31/1999 23:59"), Row("b", "1", "F", "01/01/2000 00:00"), 3, -1},
      {"modified: minutes count", Row("a", "1", "F", "08/14/1998 14:39"), Row("b", "1", "F", "08/14/1998 14:38"), 3, 1},
      {"attributes: case ignored", Row("a", "1", "F", "", "AR"), Row("b", "1", "F", "", "ar"), 4, 0},
      {"attributes: by text", Row("a", "1", "F", "", "A"), Row("b", "1", "F", "", "AH"), 4, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TFileItemText a{row.a.caption, row.a.sub}, b{row.b.caption, row.b.sub};
    EXPECT_EQ(CompareFileItems(a, b, row.column, false), row.ascending);
    EXPECT_EQ(CompareFileItems(a, b, row.column, true), -row.ascending);
  }
}

TEST(FileExplorerRoutines, DateAndTimeTextsFollowTheProgramWideFormats) {
  SYSTEMTIME t{1998, 8, 5, 14, 14, 38, 7, 0};
  SetShortDateFormat("m/d/yyyy");
  SetLongTimeFormat("h:nn:ss");
  EXPECT_EQ(DateTimeToStr(t), "8/14/1998 14:38:07");
  {
    TFileListView list(nullptr);  // a list sets them for the whole program
  }
  EXPECT_EQ(ShortDateFormat(), "mm/dd/yyyy");
  EXPECT_EQ(LongTimeFormat(), "hh:nn");
  EXPECT_EQ(DateTimeToStr(t), "08/14/1998 14:38");
  SYSTEMTIME back{};
  ASSERT_TRUE(StrToDateTime("08/14/1998 14:38", back));
  EXPECT_EQ(back.wYear, 1998);
  EXPECT_EQ(back.wMonth, 8);
  EXPECT_EQ(back.wDay, 14);
  EXPECT_EQ(back.wHour, 14);
  EXPECT_EQ(back.wMinute, 38);
  for (const char* bad : {"", "14/08", "08/14/1998 14", "08/14/1998 14:38x", "aa/bb/cccc"}) EXPECT_FALSE(StrToDateTime(bad, back)) << bad;
}

namespace {
class FileListTest : public ::testing::Test {
protected:
  void SetUp() override {
    startDir_ = CurrentDirectory();
    MakeDirs(temp_ / "Sub\\Inner");
    MakeDirs(temp_ / "Other");
    WriteFileBytes(temp_ / "ReadMe.TXT", "hello");
    WriteFileBytes(temp_ / "Setup.EXE", "MZ......");
    WriteFileBytes(temp_ / "empty.txt", "");
    WriteFileBytes(temp_ / "Other\\elsewhere.txt", "x");
    MakeSizedFile(temp_ / "huge.bin", 5368709120ull);
    SetModified(temp_ / "ReadMe.TXT", 1998, 8, 14, 14, 38);
    SetFileAttributesA((temp_ / "ReadMe.TXT").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 500, 400);
    list_ = new TFileListView(form_);
    list_->SetBounds(0, 30, 480, 300);
    list_->SetParent(form_);
    form_->Show();
  }
  void TearDown() override {
    delete form_;
    SetCurrentDirectoryA(startDir_.c_str());
  }

  TListItem* Find(const std::string& caption) const {
    for (int i = 0; i < list_->Count(); ++i)
      if (list_->Item(i)->Caption() == caption) return list_->Item(i);
    return nullptr;
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> c;
    for (int i = 0; i < list_->Count(); ++i) c.push_back(list_->Item(i)->Caption());
    return c;
  }
  // The list view's notices, as its window sends them to the form.
  void Notify(UINT code, int subItem = 0) {
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = list_->Handle();
    nm.hdr.code = code;
    nm.iItem = -1;
    nm.iSubItem = subItem;
    SendMessageA(form_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
  }
  void Select(const std::string& caption) {
    TListItem* item = Find(caption);
    ASSERT_NE(item, nullptr) << caption;
    item->SetSelected(true);
  }

  TTempDir temp_;
  std::string startDir_;
  TForm* form_ = nullptr;
  TFileListView* list_ = nullptr;
};
}  // namespace

TEST_F(FileListTest, ItemsShowTheEntriesOfTheFolder) {
  ASSERT_EQ(list_->ColumnCount(), 5);
  const char* captions[] = {"Name", "Size", "Type", "Modified", "Attributes"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list_->Column(i)->Caption, captions[i]);
  EXPECT_EQ(list_->Column(1)->Alignment, TAlignment::taRightJustify);
  EXPECT_EQ(list_->ViewStyle(), TViewStyle::vsReport);

  list_->SetDirectory(temp_.Path());
  EXPECT_TRUE(SameText(CurrentDirectory(), temp_.Path())) << "the folder becomes the current directory";
  EXPECT_EQ(Upper(list_->Directory()), Upper(temp_.Path()));
  ASSERT_EQ(list_->Count(), 6);
  struct {
    const char* caption;
    std::string size, attributes, path, kind;
  } rows[] = {
      {"readme.txt", "5", "AR", temp_ / "ReadMe.TXT", "file"},
      {"setup.exe", "8", "A", temp_ / "Setup.EXE", "file"},
      {"empty.txt", "0", "A", temp_ / "empty.txt", "file"},
      {"huge.bin", "5368709120", "A", temp_ / "huge.bin", "file"},
      {"sub", "0", "", temp_ / "Sub", "dir"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.caption);
    TListItem* item = Find(row.caption);
    ASSERT_NE(item, nullptr);
    const auto& sub = item->SubItems();
    ASSERT_EQ(sub.size(), 6u);
    EXPECT_EQ(sub[0], row.size);
    EXPECT_FALSE(sub[1].empty()) << "the shell's type name";
    EXPECT_EQ(sub[3].find_first_not_of("ARHS"), std::string::npos);
    if (row.kind == "file") {
      EXPECT_EQ(sub[3], row.attributes);
    }
    EXPECT_TRUE(SameText(sub[4], row.path));
    EXPECT_EQ(sub[4].substr(sub[4].rfind('\\') + 1), row.path.substr(row.path.rfind('\\') + 1)) << "the name as on disk";
    EXPECT_EQ(sub[5], row.kind);
  }
  EXPECT_EQ(Find("readme.txt")->SubItems()[2], "08/14/1998 14:38");
}

TEST_F(FileListTest, MasksAndRefilling) {
  list_->SetDirectory(temp_.Path());
  TListItem* first = list_->Item(0);
  // The same folder in other letter case and with a backslash is no change.
  list_->SetDirectory(Upper(temp_.Path()) + "\\");
  EXPECT_EQ(list_->Item(0), first);

  struct {
    const char* mask;
    std::vector<std::string> captions;
  } rows[] = {
      {"*.txt", {"readme.txt", "empty.txt"}},
      {"*.txt;*.exe", {"readme.txt", "empty.txt", "setup.exe"}},
      {"*.txt;read*", {"readme.txt", "empty.txt", "readme.txt"}},  // matched twice, listed twice
      {"nothing.*", {}},
      {"*.exe;", {"setup.exe"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.mask);
    list_->SetMask(row.mask);
    std::vector<std::string> got = Captions(), want = row.captions;
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
  }

  // A refill reads the list's own folder, whatever the current directory is.
  SetCurrentDirectoryA((temp_ / "Other").c_str());
  list_->SetMask("*.txt");
  EXPECT_NE(Find("readme.txt"), nullptr);
  EXPECT_EQ(Find("elsewhere.txt"), nullptr);
  for (int i = 0; i < list_->Count(); ++i) EXPECT_TRUE(SameText(list_->Item(i)->SubItems()[4].substr(0, temp_.Path().size()), temp_.Path()));

  // A folder that cannot be made current is an error for the caller.
  try {
    list_->SetDirectory(temp_ / "missing");
    ADD_FAILURE() << "no error";
  } catch (const EDirectoryError& e) {
    // The code travels in the exception: unwinding may reset the thread's
    // last error.
    EXPECT_EQ(e.ErrorCode, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_TRUE(SameText(list_->Directory(), temp_.Path()));
}

TEST_F(FileListTest, ClicksSelectEnterAndStart) {
  TRobot robot;
  list_->SetDirectory(temp_.Path());
  EXPECT_EQ(list_->GetSelectedFile(), "");
  int clicks = 0, doubles = 0;
  list_->OnClick = [&](TComponent*) { ++clicks; };
  list_->OnDblClick = [&](TComponent*) { ++doubles; };
  Select("readme.txt");
  Notify(NM_CLICK);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list_->GetSelectedFile(), temp_ / "ReadMe.TXT");

  // The file is the one last clicked, also after the list refills.
  list_->SetMask("*.exe");
  EXPECT_EQ(list_->GetSelectedFile(), temp_ / "ReadMe.TXT");
  list_->SetMask("*.*");

  struct {
    const char* caption;
    std::vector<std::string> shell;
    bool entered;
  } rows[] = {
      {"readme.txt", {}, false},
      {"setup.exe", {"|" + temp_ / "Setup.EXE" + "|"}, false},
      {"sub", {}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.caption);
    robot.ShellCalls.clear();
    Select(row.caption);
    Notify(NM_DBLCLK);
    EXPECT_EQ(robot.ShellCalls, row.shell);
    EXPECT_EQ(SameText(list_->Directory(), temp_ / "Sub"), row.entered);
  }
  EXPECT_EQ(doubles, 3);
  ASSERT_EQ(Captions(), std::vector<std::string>{"inner"});
}

TEST_F(FileListTest, ColumnClicksSort) {
  list_->SetMask("*.txt;*.exe;sub");
  list_->SetDirectory(temp_.Path());
  // The size column starts as the sort column with the flag set, so its
  // first click sorts ascending.
  Notify(LVN_COLUMNCLICK, 1);
  EXPECT_EQ(list_->SortColumn(), 1);
  EXPECT_FALSE(list_->SortReversed());
  std::vector<std::string> bySize = Captions();
  ASSERT_EQ(bySize.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(bySize.begin() + 2, bySize.end()), (std::vector<std::string>{"readme.txt", "setup.exe"}));
  // Another column sorts descending with size 0 last; the same again ascending with size 0 first.
  Notify(LVN_COLUMNCLICK, 0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"setup.exe", "readme.txt", "sub", "empty.txt"}));
  EXPECT_TRUE(list_->SortReversed());
  Notify(LVN_COLUMNCLICK, 0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"empty.txt", "sub", "readme.txt", "setup.exe"}));
  EXPECT_FALSE(list_->SortReversed());
}

TEST_F(FileListTest, ListAndComboLinkBothWays) {
  auto* combo = new TDirComboBox(form_);
  auto* other = new TDirComboBox(form_);
  combo->SetParent(form_);
  other->SetParent(form_);
  list_->SetDirCombo(combo);
  EXPECT_EQ(combo->FileList(), list_);
  EXPECT_EQ(list_->DirCombo(), combo);
  other->SetFileList(list_);
  EXPECT_EQ(list_->DirCombo(), other);
  EXPECT_EQ(other->FileList(), list_);
  EXPECT_EQ(combo->FileList(), nullptr);
  list_->SetDirCombo(nullptr);
  EXPECT_EQ(other->FileList(), nullptr);
  // A linked combo's folder reaches the list.
  combo->SetSelectedDir(temp_ / "Other");
  combo->SetFileList(list_);
  EXPECT_TRUE(SameText(list_->Directory(), temp_ / "Other"));
  delete combo;
  EXPECT_EQ(list_->DirCombo(), nullptr);
}

namespace {
int ItemFor(const TDirComboBox& combo, const std::string& path) {
  for (int i = 0; i < combo.ItemCount(); ++i) {
    std::string text = combo.Items()[static_cast<size_t>(i)];
    if (SameText(text.substr(text.find(':') + 1), path)) return i;
  }
  return -1;
}

// As the combo's window tells its parent.
void ComboNotice(TDirComboBox& combo, WORD code) {
  SendMessageA(GetParent(combo.Handle()), WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(combo.Handle()));
}
}  // namespace

TEST_F(FileListTest, ChoosingAComboItemGoesThere) {
  TRobot robot;
  auto* combo = new TDirComboBox(form_);
  combo->SetBounds(0, 0, 300, 21);
  combo->SetParent(form_);
  combo->SetFileList(list_);
  int changes = 0;
  combo->OnChange = [&](TComponent*) { ++changes; };
  combo->SetSelectedDir(temp_ / "Sub");
  EXPECT_TRUE(SameText(list_->Directory(), temp_ / "Sub"));
  EXPECT_TRUE(SameText(combo->Path(), temp_ / "Sub\\"));
  int current = combo->ItemIndex();
  ASSERT_GE(current, 0);
  EXPECT_EQ(combo->Items()[static_cast<size_t>(current)][0], 'T');
  EXPECT_EQ(current, ItemFor(*combo, temp_ / "Sub\\"));

  // With the list closed (the keyboard), a new item goes there at once.
  int up = ItemFor(*combo, temp_.Path() + "\\");
  ASSERT_GE(up, 0);
  SendMessageA(combo->Handle(), CB_SETCURSEL, static_cast<WPARAM>(up), 0);
  ComboNotice(*combo, CBN_SELCHANGE);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(SameText(combo->Path(), temp_.Path() + "\\"));
  EXPECT_TRUE(SameText(list_->Directory(), temp_.Path()));
  EXPECT_EQ(combo->ItemIndex(), ItemFor(*combo, temp_.Path() + "\\"));
  EXPECT_TRUE(SameText(CurrentDirectory(), temp_.Path()));

  // In the open list an item is only looked at; a click takes it and
  // closes the list.
  SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_TRUE(SendMessageA(combo->Handle(), CB_GETDROPPEDSTATE, 0, 0));
  SendMessageA(combo->Handle(), CB_SETCURSEL, 0, 0);
  ComboNotice(*combo, CBN_SELCHANGE);
  EXPECT_EQ(changes, 1);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetComboBoxInfo(combo->Handle(), &info));
  RECT item{};
  SendMessageA(info.hwndList, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  LPARAM at = MAKELPARAM(item.left + 5, item.top + 3);
  SendMessageA(info.hwndList, WM_MOUSEMOVE, 0, at);
  SendMessageA(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(info.hwndList, WM_LBUTTONUP, 0, at);
  EXPECT_FALSE(SendMessageA(combo->Handle(), CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(combo->Path(), "Drives");
  EXPECT_EQ(combo->Items()[0], "T0:Drives");

  // A folder gone since it was listed: a message, and the combo stays.
  combo->SetSelectedDir(temp_ / "Sub\\Inner");
  SetCurrentDirectoryA(temp_.Path().c_str());
  ASSERT_TRUE(RemoveDirectoryA((temp_ / "Sub\\Inner").c_str()));
  ASSERT_TRUE(RemoveDirectoryA((temp_ / "Sub").c_str()));
  int gone = ItemFor(*combo, temp_ / "Sub\\");
  ASSERT_GE(gone, 0);
  SendMessageA(combo->Handle(), CB_SETCURSEL, static_cast<WPARAM>(gone), 0);
  ComboNotice(*combo, CBN_SELCHANGE);
  ASSERT_EQ(robot.Boxes.size(), 1u);
  EXPECT_EQ(robot.Boxes[0].Text, "No Access to " + temp_ / "Sub\\" + " .");
  EXPECT_TRUE(SameText(combo->Path(), temp_ / "Sub\\Inner\\"));
  EXPECT_EQ(combo->Items()[static_cast<size_t>(combo->ItemIndex())][0], 'T');
}
