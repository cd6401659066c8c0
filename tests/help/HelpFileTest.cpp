#include <gtest/gtest.h>

#include <algorithm>

#include "HelpReader.h"
#include "HelpWriter.h"
#include "TestPaths.h"
#include "WizardValues.h"

namespace {

THelpFileContents ShippedSource() {
  return ReadHelpFile(WriteHelpFile(ParseHelpSource(ReadFileBytes(SourcePath("help/Mainhelp.txt")))));
}

// Every topic an incoming jump finds must be one the reader walked to.
void ExpectJumpsResolve(const THelpFileContents& c) {
  for (const auto& t : c.Topics)
    for (uint32_t hash : t.Jumps) {
      auto it = c.Contexts.find(hash);
      ASSERT_NE(it, c.Contexts.end()) << "a jump in \"" << t.Title << "\" leads nowhere";
      EXPECT_NE(c.TopicAt(it->second), nullptr) << t.Title;
    }
}

}  // namespace

// The numbers and names the Studio and the Wizard open, with the topic each
// must show.
TEST(HelpFile, EveryContextTheProgramsAskFor) {
  THelpFileContents c = ReadHelpFile(ReadFileBytes(DistPath("Mainhelp.hlp")));
  EXPECT_EQ(c.Title, "tidy-Zaderuzo Help");
  const THelpFileTopic* contents = c.TopicAt(c.ContentsOffset);
  ASSERT_NE(contents, nullptr);
  EXPECT_EQ(contents->Title, "tidy-Zaderuzo Help Contents");

  struct {
    uint32_t number;
    const char* title;  // the kind button's caption
  } kinds[] = {{1001, "Cabinet Archive"}, {1004, "Cabinet SFX"}, {1002, "Zip Archive"}, {1003, "Zip SFX"}};
  for (const auto& k : kinds) {
    const THelpFileTopic* t = c.TopicNumbered(k.number);
    ASSERT_NE(t, nullptr) << k.number;
    EXPECT_EQ(t->Title, k.title) << k.number;
  }

  struct {
    std::string name, title;
  } named[] = {{"BigWelcome", "Basic Knowledge about tidy-Zaderuzo Studio"}, {"About", "About tidy-Zaderuzo"}};
  for (const auto& n : named) {
    const THelpFileTopic* t = c.TopicNamed(n.name);
    ASSERT_NE(t, nullptr) << n.name;
    EXPECT_EQ(t->Title, n.title);
  }
  // The splash sends the user to the About topic for the legal notice.
  EXPECT_NE(c.TopicNamed("About")->Text.find("protected by copyright law"), std::string::npos);
  // The Wizard's pages: the topic carries the page's title.
  for (int page = 0; page < kWizardPageCount; ++page) {
    const TWizardPageInfo& info = WizardPageInfo(page);
    const THelpFileTopic* t = c.TopicNamed(info.HelpTopic);
    ASSERT_NE(t, nullptr) << info.HelpTopic;
    EXPECT_EQ(t->Title, info.Title) << info.HelpTopic;
    EXPECT_NE(t->Text.find(info.Title), std::string::npos) << "the page's title is shown in " << info.HelpTopic;
  }
  for (const auto& t : c.Topics) EXPECT_EQ(c.Titles.at(t.Offset), t.Title);
  ExpectJumpsResolve(c);
}

// The shipped file is what the writer makes of the source in the repository.
TEST(HelpFile, ShippedFileIsTheSourceWritten) {
  EXPECT_EQ(ReadFileBytes(DistPath("Mainhelp.hlp")),
            WriteHelpFile(ParseHelpSource(ReadFileBytes(SourcePath("help/Mainhelp.txt")))));
  THelpFileContents c = ShippedSource();
  EXPECT_EQ(c.Files, (std::vector<std::string>{"|CONTEXT", "|CTXOMAP", "|FONT", "|SYSTEM", "|TOPIC", "|TTLBTREE"}));
}

TEST(HelpFile, SourceAndText) {
  THelpProject p = ParseHelpSource(
      "# comment\n"
      "title: T\r\n"
      "topic One\n"
      "title: First topic\n"
      "map: 7 9\n"
      "Line one\n"
      "  line two, see {two} or {Two|here}.\n"
      "\n"
      "Second paragraph.\n"
      "topic Two\n"
      "title: Second\n");
  ASSERT_EQ(p.Topics.size(), 2u);
  EXPECT_EQ(p.Topics[0].Numbers, (std::vector<uint32_t>{7, 9}));
  ASSERT_EQ(p.Topics[0].Paragraphs.size(), 2u);
  EXPECT_EQ(p.Topics[0].Paragraphs[0].Spans.size(), 5u);
  EXPECT_TRUE(p.Topics[1].Paragraphs.empty());

  THelpFileContents c = ReadHelpFile(WriteHelpFile(p));
  ASSERT_EQ(c.Topics.size(), 2u);
  EXPECT_EQ(c.ContentsOffset, c.Topics[0].Offset);  // no contents named: the first topic
  EXPECT_EQ(c.Topics[0].Text, "First topic\n\nLine one line two, see Second or here.\n\nSecond paragraph.\n");
  EXPECT_EQ(c.Topics[1].Text, "Second\n\n");
  EXPECT_EQ(c.Topics[0].Jumps, (std::vector<uint32_t>{HelpContextHash("Two"), HelpContextHash("Two")}));
  EXPECT_EQ(c.TopicNumbered(9), &c.Topics[0]);
  EXPECT_EQ(c.TopicNamed("TWO"), &c.Topics[1]);  // names ignore case
  EXPECT_EQ(c.TopicNumbered(8), nullptr);
}

// The viewer's hash: 43 times the hash so far plus the character's value.
TEST(HelpFile, ContextHash) {
  EXPECT_EQ(HelpContextHash("A"), 17u);
  EXPECT_EQ(HelpContextHash("a"), 17u);
  EXPECT_EQ(HelpContextHash("Ab"), 17u * 43 + 18);
  EXPECT_EQ(HelpContextHash("z0._1"), (((42u * 43 + 10) * 43 + 12) * 43 + 13) * 43 + 1);
  EXPECT_EQ(HelpContextHash("General_Archive_Settnigs"), HelpContextHash("GENERAL_ARCHIVE_SETTNIGS"));
  EXPECT_FALSE(IsHelpContextName("Two words"));
  EXPECT_FALSE(IsHelpContextName(""));
}

TEST(HelpFile, BadSourcesAreRefusedWithTheirLine) {
  struct {
    const char* name;
    std::string source, message;
  } cases[] = {
      {"no topics", "title: T\n", "Help source line 1: no topics"},
      {"text first", "text\n", "Help source line 1: text before the first topic"},
      {"bad name", "topic A-B\n", "Help source line 1: \"A-B\" is not a context name"},
      {"no title", "topic A\ntext\ntopic B\ntitle: B\n", "Help source line 3: the topic before has no title"},
      {"last no title", "topic A\n", "Help source line 1: the last topic has no title"},
      {"bad number", "topic A\ntitle: A\nmap: 12x\n", "Help source line 3: \"12x\" is not a context number"},
      {"zero number", "topic A\ntitle: A\nmap: 0\n", "Help source line 3: \"0\" is not a context number"},
      {"open brace", "topic A\ntitle: A\nsee {A\n", "Help source line 3: '{' without '}'"},
      {"stray brace", "topic A\ntitle: A\nsee A}\n", "Help source line 3: '}' without '{'"},
      {"empty jump text", "topic A\ntitle: A\n{A|}\n", "Help source line 3: a jump needs a text after '|'"},
      {"not ascii", "topic A\ntitle: A\ncaf\xC3\xA9\n", "Help source line 3: only printable ASCII characters may be used"},
  };
  for (const auto& c : cases) {
    try {
      ParseHelpSource(c.source);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const EHelpError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.name;
    }
  }
}

TEST(HelpFile, ProjectsTheFormatCannotHoldAreRefused) {
  struct {
    const char* name;
    std::string source, message;
  } cases[] = {
      {"missing jump", "topic A\ntitle: A\n{B}\n", "No topic \"B\" to jump to"},
      {"missing contents", "contents: B\ntopic A\ntitle: A\n", "No topic \"B\" to jump to"},
      {"twice", "topic A\ntitle: A\ntopic a\ntitle: B\n", "The topic \"a\" is there twice"},
      {"number twice", "topic A\ntitle: A\nmap: 5\ntopic B\ntitle: B\nmap: 5\n", "The context number 5 is there twice"},
  };
  for (const auto& c : cases) {
    try {
      WriteHelpFile(ParseHelpSource(c.source));
      ADD_FAILURE() << c.name << ": written";
    } catch (const EHelpError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.name;
    }
  }
}

// Enough text for many topic blocks, links across block ends and indexes of
// several pages: every topic is still found by name, number and offset.
TEST(HelpFile, LargeFilesSpanBlocksAndIndexPages) {
  THelpProject p;
  p.Title = "Large";
  for (int i = 0; i < 400; ++i) {
    THelpTopic t{"Topic_" + std::to_string(i), "Title number " + std::to_string(i) + std::string(i % 50, 'x'),
                 {static_cast<uint32_t>(5000 + i)}, {}};
    for (int k = 0; k < i % 4; ++k)
      t.Paragraphs.push_back({{{std::string(100 + 37 * k + i, 'a' + k), ""}, {"", "Topic_" + std::to_string((i * 7) % 400)}}});
    p.Topics.push_back(t);
  }
  THelpFileContents c = ReadHelpFile(WriteHelpFile(p));
  ASSERT_EQ(c.Topics.size(), p.Topics.size());
  EXPECT_GT(c.Topics.back().Offset >> 15, 20u) << "the text spans many blocks";
  for (size_t i = 0; i < p.Topics.size(); ++i) {
    const THelpFileTopic* byName = c.TopicNamed(p.Topics[i].Name);
    ASSERT_NE(byName, nullptr) << i;
    EXPECT_EQ(byName, &c.Topics[i]);
    EXPECT_EQ(c.TopicNumbered(5000 + static_cast<uint32_t>(i)), &c.Topics[i]);
    EXPECT_EQ(byName->Title, p.Topics[i].Title);
    EXPECT_EQ(c.Titles.at(byName->Offset), p.Topics[i].Title);
    EXPECT_EQ(std::count(byName->Text.begin(), byName->Text.end(), 'a' + 2), i % 4 == 3 ? 100 + 74 + i : 0) << i;
  }
  // Offsets are distinct and rise, as the viewer's search needs.
  for (size_t i = 1; i < c.Topics.size(); ++i) EXPECT_LT(c.Topics[i - 1].Offset, c.Topics[i].Offset);
  ExpectJumpsResolve(c);
}

// A damaged file gives a clear error, never a read outside it.
TEST(HelpFile, DamagedFilesAreRefused) {
  std::string good = WriteHelpFile(ParseHelpSource("topic A\ntitle: A\nmap: 3\ntext {B}\ntopic B\ntitle: B\n"));
  ASSERT_NO_THROW(ReadHelpFile(good));
  for (uint8_t value : {0x00, 0x7F, 0xFF})
    for (size_t at = 0; at < good.size(); ++at) {
      std::string bad = good;
      bad[at] = static_cast<char>(value);
      try {
        ReadHelpFile(bad);
      } catch (const EHelpError&) {
      }
    }
  for (size_t size : {size_t{0}, size_t{15}, good.size() / 2, good.size() - 1}) {
    std::string cut = good.substr(0, size);
    if (cut.size() >= 16) for (int i = 0; i < 4; ++i) cut[12 + i] = static_cast<char>((cut.size() >> (8 * i)) & 0xFF);
    EXPECT_THROW(ReadHelpFile(cut), EHelpError) << size;
  }
}
