#include "Description.h"

#include <cctype>
#include <map>

namespace {
std::string Lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

bool SameText(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

std::string LinePrefix(int line) { return "Line " + std::to_string(line) + ": "; }

// The parser: one pass over the text, with the line kept for errors.
class TParser {
public:
  explicit TParser(std::string_view text) : s_(text) {}

  TDescObject Object() {
    SkipSpace();
    TDescObject obj;
    obj.Line = line_;
    std::string word = Ident();
    if (!SameText(word, "object") && !SameText(word, "inherited")) Fail("'object' expected");
    std::string first = Ident();
    SkipSpace();
    if (Peek() == ':') {
      ++pos_;
      obj.Name = first;
      obj.ClassName = Ident();
    } else {
      obj.ClassName = first;
    }
    for (;;) {
      SkipSpace();
      if (AtEnd()) Fail("'end' expected for object '" + obj.Name + "'");
      size_t save = pos_;
      int saveLine = line_;
      std::string name = Ident();
      if (SameText(name, "end")) break;
      if (SameText(name, "object") || SameText(name, "inherited")) {
        pos_ = save;
        line_ = saveLine;
        obj.Children.push_back(Object());
        continue;
      }
      obj.Properties.push_back(Property(name, saveLine));
    }
    return obj;
  }

  void ExpectEnd() {
    SkipSpace();
    if (!AtEnd()) Fail("Text after the last 'end'");
  }

private:
  [[noreturn]] void Fail(const std::string& msg) const { throw EDescriptionError(LinePrefix(line_) + msg); }
  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }

  void SkipSpace() {
    while (!AtEnd()) {
      char c = s_[pos_];
      if (c == '\n') { ++line_; ++pos_; }
      else if (std::isspace(static_cast<unsigned char>(c))) ++pos_;
      else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
        while (!AtEnd() && s_[pos_] != '\n') ++pos_;
      } else break;
    }
  }

  std::string Ident() {
    SkipSpace();
    size_t start = pos_;
    if (AtEnd() || !(std::isalpha(static_cast<unsigned char>(Peek())) || Peek() == '_')) Fail("Name expected");
    while (!AtEnd() && (std::isalnum(static_cast<unsigned char>(Peek())) || Peek() == '_' || Peek() == '.')) ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }

  void Expect(char c) {
    SkipSpace();
    if (Peek() != c) Fail(std::string("'") + c + "' expected");
    ++pos_;
  }

  TDescProperty Property(const std::string& name, int line) {
    Expect('=');
    TDescProperty p;
    p.Name = name;
    p.Line = line;
    p.Value = Value();
    return p;
  }

  long long Number() {
    SkipSpace();
    bool negative = false;
    if (Peek() == '-') { negative = true; ++pos_; }
    long long v = 0;
    bool any = false;
    if (Peek() == '$') {
      ++pos_;
      while (std::isxdigit(static_cast<unsigned char>(Peek()))) {
        v = v * 16 + std::stoi(std::string(1, Peek()), nullptr, 16);
        ++pos_;
        any = true;
        if (v > 0xFFFFFFFFLL) Fail("Number too large");
      }
    } else {
      while (std::isdigit(static_cast<unsigned char>(Peek()))) {
        v = v * 10 + (Peek() - '0');
        ++pos_;
        any = true;
        if (v > 0xFFFFFFFFLL) Fail("Number too large");
      }
    }
    if (!any) Fail("Number expected");
    return negative ? -v : v;
  }

  std::string String() {
    std::string out;
    for (;;) {
      SkipSpace();
      bool part = false;
      while (Peek() == '\'' || Peek() == '#') {
        part = true;
        if (Peek() == '#') {
          ++pos_;
          long long code = Number();
          if (code < 0 || code > 255) Fail("Character code out of range");
          out += static_cast<char>(code);
          continue;
        }
        ++pos_;
        for (;;) {
          if (AtEnd() || Peek() == '\n') Fail("Unterminated string");
          char c = s_[pos_++];
          if (c == '\'') {
            if (Peek() == '\'') { out += '\''; ++pos_; continue; }
            break;
          }
          out += c;
        }
      }
      if (!part) Fail("String expected");
      SkipSpace();
      if (Peek() != '+') break;
      ++pos_;
    }
    return out;
  }

  TDescValue Value() {
    SkipSpace();
    TDescValue v;
    v.Line = line_;
    char c = Peek();
    if (c == '\'' || c == '#') {
      v.Kind = TDescValue::vkString;
      v.Str = String();
    } else if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c))) {
      v.Kind = TDescValue::vkInteger;
      v.Int = Number();
    } else if (c == '[') {
      ++pos_;
      v.Kind = TDescValue::vkSet;
      SkipSpace();
      if (Peek() != ']') {
        for (;;) {
          v.Items.push_back(Ident());
          SkipSpace();
          if (Peek() == ']') break;
          Expect(',');
        }
      }
      ++pos_;
    } else if (c == '(') {
      ++pos_;
      v.Kind = TDescValue::vkList;
      for (;;) {
        SkipSpace();
        if (Peek() == ')') { ++pos_; break; }
        if (Peek() == ',') { ++pos_; continue; }
        if (AtEnd()) Fail("')' expected");
        v.Items.push_back(String());
      }
    } else if (c == '{') {
      ++pos_;
      v.Kind = TDescValue::vkBinary;
      int high = -1;
      for (;;) {
        SkipSpace();
        if (AtEnd()) Fail("'}' expected");
        char h = s_[pos_++];
        if (h == '}') break;
        if (!std::isxdigit(static_cast<unsigned char>(h))) Fail("Hex digit expected");
        int d = std::stoi(std::string(1, h), nullptr, 16);
        if (high < 0) high = d;
        else { v.Bytes.push_back(static_cast<uint8_t>(high * 16 + d)); high = -1; }
      }
      if (high >= 0) Fail("Odd number of hex digits");
    } else if (c == '<') {
      ++pos_;
      v.Kind = TDescValue::vkCollection;
      for (;;) {
        SkipSpace();
        if (Peek() == '>') { ++pos_; break; }
        std::string word = Ident();
        if (!SameText(word, "item")) Fail("'item' expected");
        std::vector<TDescProperty> props;
        for (;;) {
          SkipSpace();
          int line = line_;
          std::string name = Ident();
          if (SameText(name, "end")) break;
          props.push_back(Property(name, line));
        }
        v.Collection.push_back(std::move(props));
      }
    } else {
      v.Kind = TDescValue::vkIdent;
      v.Str = Ident();
    }
    return v;
  }

  std::string_view s_;
  size_t pos_ = 0;
  int line_ = 1;
};

std::map<std::string, const TClassInfo*>& Registry() {
  static std::map<std::string, const TClassInfo*> registry;
  return registry;
}
}  // namespace

// StdClasses.cpp
void RegisterStandardClasses();

TDescObject ParseDescription(std::string_view text) {
  TParser parser(text);
  TDescObject root = parser.Object();
  parser.ExpectEnd();
  return root;
}

// Values

void BadValue(const TDescValue&, const char* expected) {
  throw EDescriptionError(std::string("expected ") + expected);
}

long long ValueInt(const TDescValue& v) {
  if (v.Kind != TDescValue::vkInteger) BadValue(v, "a number");
  return v.Int;
}

bool ValueBool(const TDescValue& v) {
  if (v.Kind == TDescValue::vkIdent && SameText(v.Str, "True")) return true;
  if (v.Kind == TDescValue::vkIdent && SameText(v.Str, "False")) return false;
  BadValue(v, "True or False");
}

TColor ValueColor(const TDescValue& v) {
  if (v.Kind == TDescValue::vkInteger) return MakeColor(static_cast<uint32_t>(v.Int));
  TColor c{};
  if (v.Kind == TDescValue::vkIdent && ColorFromName(v.Str, c)) return c;
  BadValue(v, "a colour");
}

int ValueEnum(const TDescValue& v, std::span<const char* const> names) {
  if (v.Kind == TDescValue::vkIdent)
    for (size_t i = 0; i < names.size(); ++i)
      if (SameText(v.Str, names[i])) return static_cast<int>(i);
  std::string expected = "one of";
  for (const char* n : names) expected += std::string(" ") + n;
  throw EDescriptionError(expected.replace(0, 0, "expected "));
}

uint32_t ValueSet(const TDescValue& v, std::span<const char* const> names) {
  if (v.Kind != TDescValue::vkSet) BadValue(v, "a set [...]");
  uint32_t bits = 0;
  for (const auto& item : v.Items) {
    TDescValue one;
    one.Kind = TDescValue::vkIdent;
    one.Str = item;
    bits |= 1u << ValueEnum(one, names);
  }
  return bits;
}

// Classes

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    for (const auto& p : c->props_)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

namespace {
void RegisterStandardOnce() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterStandardClasses();
}
}  // namespace

// The standard classes come first, so a kit class may take a standard name.
void RegisterClass(const TClassInfo& info) {
  RegisterStandardOnce();
  Registry()[Lower(info.Name())] = &info;
}

const TClassInfo* FindClass(std::string_view name) {
  RegisterStandardOnce();
  auto it = Registry().find(Lower(name));
  return it == Registry().end() ? nullptr : it->second;
}

// Loader

void TForm::LoadDescription(std::string_view text) { TDescriptionLoader(*this).Load(text); }

void TDescriptionLoader::Fail(int line, const std::string& message) const {
  throw EDescriptionError(LinePrefix(line) + message);
}

TComponent* TDescriptionLoader::FindComponent(std::string_view name) const {
  if (SameText(name, form_.Name())) return &form_;
  return form_.FindComponent(name);
}

const std::any& TDescriptionLoader::Handler(const TDescValue& v, const std::string& event) const {
  if (v.Kind != TDescValue::vkIdent) Fail(v.Line, "Handler name expected for " + event);
  const std::any* h = form_.FindHandler(v.Str);
  if (!h) Fail(v.Line, "Handler '" + v.Str + "' for " + event + " not found");
  return *h;
}

void TDescriptionLoader::SetProperty(TObjectRef obj, const TClassInfo& info, const TDescProperty& prop) {
  line_ = prop.Line;
  std::string path = prop.Name;
  // "Items.Strings" is the list itself.
  if (path.size() > 8 && SameText(path.substr(path.size() - 8), ".Strings")) path.resize(path.size() - 8);
  const TClassInfo* cls = &info;
  TObjectRef target = obj;
  size_t start = 0;
  for (;;) {
    size_t dot = path.find('.', start);
    std::string part = path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    const TPropInfo* p = cls->FindProperty(part);
    if (!p) Fail(prop.Line, "Unknown property '" + prop.Name + "' of " + info.Name());
    if (dot != std::string::npos) {
      if (!p->Sub) Fail(prop.Line, "Property '" + part + "' of " + cls->Name() + " has no properties of its own");
      target = p->Sub(target);
      cls = p->SubInfo;
      start = dot + 1;
      continue;
    }
    try {
      if (p->AddItem) {
        if (prop.Value.Kind != TDescValue::vkCollection) BadValue(prop.Value, "a collection <item ... end>");
        for (const auto& item : prop.Value.Collection) Apply(p->AddItem(target), *p->SubInfo, item);
      } else if (p->Set) {
        p->Set(target, prop.Value, *this);
      } else {
        Fail(prop.Line, "Property '" + prop.Name + "' of " + info.Name() + " cannot be set as a whole");
      }
    } catch (const EDescriptionError& e) {
      if (e.Message().rfind("Line ", 0) == 0) throw;
      Fail(prop.Line, "Invalid value for '" + prop.Name + "' of " + info.Name() + ": " + e.Message());
    } catch (const Exception& e) {
      Fail(prop.Line, "'" + prop.Name + "' of " + info.Name() + ": " + e.Message());
    }
    return;
  }
}

void TDescriptionLoader::Apply(TObjectRef obj, const TClassInfo& info, const std::vector<TDescProperty>& props) {
  for (const auto& p : props) SetProperty(obj, info, p);
}

void TDescriptionLoader::Create(const TDescObject& node, TComponent* enclosing) {
  line_ = node.Line;
  const TClassInfo* info = FindClass(node.ClassName);
  if (!info || !info->CanCreate()) Fail(node.Line, "Class '" + node.ClassName + "' not found");
  if (!node.Name.empty() && FindComponent(node.Name))
    Fail(node.Line, "A component named '" + node.Name + "' already exists");
  TComponent* c = info->Create(&form_);
  c->BeginLoading();
  c->SetName(node.Name);
  if (auto* control = dynamic_cast<TControl*>(c)) {
    auto* parent = dynamic_cast<TWinControl*>(enclosing);
    if (!parent) Fail(node.Line, "'" + node.Name + "' is a control inside '" + enclosing->Name() + "', which cannot hold controls");
    control->SetParent(parent);
  } else if (enclosing != &form_) {
    c->SetParentComponent(enclosing);
  }
  if (!node.Name.empty()) {
    auto it = form_.fields_.find(Lower(node.Name));
    if (it != form_.fields_.end()) {
      if (!it->second(c)) Fail(node.Line, "Field '" + node.Name + "' does not fit class " + node.ClassName);
      bound_.push_back(Lower(node.Name));
    }
  }
  Apply(MakeRef(*c), *info, node.Properties);
  for (const auto& child : node.Children) Create(child, c);
}

void TDescriptionLoader::Load(std::string_view text) {
  TDescObject root = ParseDescription(text);
  // The form's own class is rarely registered: then it is described as a TForm.
  const TClassInfo* info = FindClass(root.ClassName);
  if (!info) info = &FormClassInfo();
  form_.BeginLoading();
  if (!root.Name.empty()) form_.SetName(root.Name);
  Apply(MakeRef<TComponent>(form_), *info, root.Properties);
  for (const auto& child : root.Children) Create(child, &form_);
  for (auto& fn : deferred_) fn();
  for (const auto& [name, bind] : form_.fields_)
    if (std::find(bound_.begin(), bound_.end(), name) == bound_.end())
      throw EDescriptionError("Field '" + name + "' has no component in the description");
  form_.EndLoading();
}
