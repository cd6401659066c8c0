// Window descriptions: a window's controls, their properties and the
// handlers their events are bound to, as text a reader takes in at a glance.
//
//   object ProgressForm: TProgressForm          // the form itself
//     Caption = 'tidy Zaderuzo Studio - Status'
//     BorderStyle = bsDialog
//     BorderIcons = [biSystemMenu]
//     ClientWidth = 368
//     OnCloseQuery = FormCloseQuery             // a handler the form registered
//     object Button1: TButton                   // created, owned by the form
//       Left = 144  Top = 256  Width = 75  Height = 25
//       Caption = 'Cancel'
//       Cancel = True
//       OnClick = Button1Click
//     end
//     object Notebook1: TNotebook
//       object TPage                            // a page needs no name
//         Caption = 'Zip'
//       end
//     end
//     object ListView1: TListView
//       Columns = <item Caption = 'Item Name' Width = 200 end>
//       Items.Strings = ('first' 'second')      // list properties
//     end
//     object Icon1: TImage
//       Picture.Data = {424D...}                // hex bytes
//     end
//   end
//
// Values: integers (-5, $FF), strings ('it''s', #13#10, 'a' + 'b'), names
// (True, alTop, clTeal, a component), sets [fsBold, fsItalic], string lists
// ('a' 'b'), hex bytes {..} and collections <item ... end>.
//
// The loader (TForm::LoadDescription) creates each object by class name,
// names it, places controls in their enclosing windowed control, sets the
// properties in order, binds each "On..." property to the form's handler of
// that name and each registered field to its component, resolves component
// references, then ends loading (Loaded). An unknown class, property,
// handler or field, or a value of the wrong kind, raises EDescriptionError
// naming the line.
//
// A class becomes known by RegisterClass(info); the standard controls are
// known from the start. A kit class describes itself so:
//
//   const TClassInfo& TEllipsisLabel::ClassInfo() {
//     static const TClassInfo info = [] {
//       TClassInfo i("TEllipsisLabel", &CustomLabelClassInfo(), Creator<TEllipsisLabel>());
//       i.Prop("Ellipsis", &TEllipsisLabel::SetEllipsis);
//       return i;
//     }();
//     return info;
//   }
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Forms.h"

class EDescriptionError : public Exception {
public:
  using Exception::Exception;
};

struct TDescProperty;

struct TDescValue {
  enum TKind { vkInteger, vkString, vkIdent, vkSet, vkList, vkBinary, vkCollection };
  TKind Kind = vkInteger;
  long long Int = 0;
  std::string Str;                               // string or name
  std::vector<std::string> Items;                // set names or list strings
  std::vector<uint8_t> Bytes;
  std::vector<std::vector<TDescProperty>> Collection;
  int Line = 0;
};

struct TDescProperty {
  std::string Name;
  TDescValue Value;
  int Line = 0;
};

struct TDescObject {
  std::string Name, ClassName;
  std::vector<TDescProperty> Properties;
  std::vector<TDescObject> Children;
  int Line = 0;
};

TDescObject ParseDescription(std::string_view text);

// What a property setter is handed: the object, a component or not.
struct TObjectRef {
  TComponent* Component = nullptr;
  TPersistent* Persistent = nullptr;
};

class TDescriptionLoader;
class TClassInfo;

struct TPropInfo {
  std::string Name;
  std::function<void(TObjectRef, const TDescValue&, TDescriptionLoader&)> Set;
  // Nested object (Font, CompanyText): its class and how to reach it.
  const TClassInfo* SubInfo = nullptr;
  std::function<TObjectRef(TObjectRef)> Sub;
  // Collection: adds one item and returns it.
  std::function<TObjectRef(TObjectRef)> AddItem;
};

template <class T>
T* CastRef(TObjectRef r) {
  T* p = nullptr;
  if constexpr (std::is_base_of_v<TComponent, T>) p = dynamic_cast<T*>(r.Component);
  else p = dynamic_cast<T*>(r.Persistent);
  if (!p) throw EDescriptionError("Property set on an object of the wrong class");
  return p;
}

template <class T>
TObjectRef MakeRef(T& obj) {
  TObjectRef r;
  if constexpr (std::is_base_of_v<TComponent, T>) r.Component = &obj;
  else r.Persistent = &obj;
  return r;
}

// Value conversion; each kind of property value has one.
[[noreturn]] void BadValue(const TDescValue& v, const char* expected);
long long ValueInt(const TDescValue& v);
bool ValueBool(const TDescValue& v);
TColor ValueColor(const TDescValue& v);
int ValueEnum(const TDescValue& v, std::span<const char* const> names);
uint32_t ValueSet(const TDescValue& v, std::span<const char* const> names);

template <class V>
struct TIsSet : std::false_type {};
template <class E>
struct TIsSet<TSet<E>> : std::true_type { using Enum = E; };

template <class V>
V ConvertValue(const TDescValue& v) {
  if constexpr (std::is_same_v<V, bool>) return ValueBool(v);
  else if constexpr (std::is_same_v<V, char>) {
    if (v.Kind == TDescValue::vkString && v.Str.size() <= 1) return v.Str.empty() ? '\0' : v.Str[0];
    return static_cast<char>(ValueInt(v));
  }
  else if constexpr (std::is_same_v<V, TColor>) return ValueColor(v);
  else if constexpr (std::is_enum_v<V>) return static_cast<V>(ValueEnum(v, EnumNames<V>()));
  else if constexpr (std::is_integral_v<V>) return static_cast<V>(ValueInt(v));
  else if constexpr (std::is_same_v<V, std::string>) {
    if (v.Kind != TDescValue::vkString) BadValue(v, "a string");
    return v.Str;
  }
  else if constexpr (TIsSet<V>::value) return V::FromBits(ValueSet(v, EnumNames<typename TIsSet<V>::Enum>()));
  else if constexpr (std::is_same_v<V, std::vector<std::string>>) {
    if (v.Kind != TDescValue::vkList) BadValue(v, "a list of strings");
    return v.Items;
  }
  else if constexpr (std::is_same_v<V, std::vector<uint8_t>>) {
    if (v.Kind != TDescValue::vkBinary) BadValue(v, "binary data");
    return v.Bytes;
  }
  else static_assert(sizeof(V) == 0, "no conversion for this property type");
}

template <class T>
std::function<TComponent*(TComponent*)> Creator() {
  return [](TComponent* owner) -> TComponent* { return new T(owner); };
}

class TClassInfo {
public:
  TClassInfo(std::string name, const TClassInfo* parent, std::function<TComponent*(TComponent*)> create = {})
      : name_(std::move(name)), parent_(parent), create_(std::move(create)) {}

  const std::string& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  bool CanCreate() const { return static_cast<bool>(create_); }
  TComponent* Create(TComponent* owner) const { return create_(owner); }
  // Looks in this class, then its bases; case-insensitive.
  const TPropInfo* FindProperty(std::string_view name) const;

  TClassInfo& Add(TPropInfo prop) { props_.push_back(std::move(prop)); return *this; }
  TClassInfo& AddSetter(std::string name, std::function<void(TObjectRef, const TDescValue&, TDescriptionLoader&)> set) {
    TPropInfo p;
    p.Name = std::move(name);
    p.Set = std::move(set);
    return Add(std::move(p));
  }

  // A setter: Prop("Caption", &TControl::SetCaption).
  template <class T, class V>
  TClassInfo& Prop(const char* name, void (T::*setter)(V)) {
    using D = std::remove_cvref_t<V>;
    return AddSetter(name, [setter](TObjectRef r, const TDescValue& v, TDescriptionLoader&) {
                  (CastRef<T>(r)->*setter)(ConvertValue<D>(v));
                });
  }
  // A plain field: Prop("Filter", &TOpenDialog::Filter).
  template <class T, class V>
  TClassInfo& Prop(const char* name, V T::*field) {
    return AddSetter(name, [field](TObjectRef r, const TDescValue& v, TDescriptionLoader&) {
                  CastRef<T>(r)->*field = ConvertValue<V>(v);
                });
  }
  // Any setter written out: PropFn<TFoo>("X", [](TFoo& f, const TDescValue& v) {...}).
  template <class T, class F>
  TClassInfo& PropFn(const char* name, F fn) {
    return AddSetter(name, [fn](TObjectRef r, const TDescValue& v, TDescriptionLoader&) { fn(*CastRef<T>(r), v); });
  }
  // An event bound by handler name: Event("OnClick", &TControl::OnClick).
  template <class T, class... A>
  TClassInfo& Event(const char* name, TEvent<A...> T::*field);
  // A component reference resolved after loading: Ref("FocusControl", &TCustomLabel::SetFocusControl).
  template <class T, class R>
  TClassInfo& Ref(const char* name, void (T::*setter)(R*));
  // A nested object: Sub<TControl>("Font", [](TControl& c) -> TFont& { return c.Font(); }, FontClassInfo()).
  template <class T, class F>
  TClassInfo& Sub(const char* name, F get, const TClassInfo& info) {
    TPropInfo p;
    p.Name = name;
    p.SubInfo = &info;
    p.Sub = [get](TObjectRef r) { return MakeRef(get(*CastRef<T>(r))); };
    return Add(std::move(p));
  }
  // A collection: Collection<TListView>("Columns", [](TListView& v) -> TListColumn& {...}, ColumnInfo).
  template <class T, class F>
  TClassInfo& Collection(const char* name, F add, const TClassInfo& info) {
    TPropInfo p;
    p.Name = name;
    p.SubInfo = &info;
    p.AddItem = [add](TObjectRef r) { return MakeRef(add(*CastRef<T>(r))); };
    return Add(std::move(p));
  }

private:
  std::string name_;
  const TClassInfo* parent_;
  std::function<TComponent*(TComponent*)> create_;
  std::vector<TPropInfo> props_;
};

void RegisterClass(const TClassInfo& info);
const TClassInfo* FindClass(std::string_view name);

// The bases kit classes describe themselves on.
const TClassInfo& ComponentClassInfo();
const TClassInfo& ControlClassInfo();
const TClassInfo& GraphicControlClassInfo();
const TClassInfo& WinControlClassInfo();
const TClassInfo& CustomControlClassInfo();
const TClassInfo& CustomLabelClassInfo();
const TClassInfo& FormClassInfo();
const TClassInfo& FontClassInfo();
const TClassInfo& TreeViewClassInfo();
const TClassInfo& ListViewClassInfo();
const TClassInfo& ComboBoxClassInfo();

class TDescriptionLoader {
public:
  explicit TDescriptionLoader(TForm& form) : form_(form) {}
  void Load(std::string_view text);
  TForm& Form() { return form_; }
  // Runs after every object exists (component references).
  void Defer(std::function<void()> fn) { deferred_.push_back(std::move(fn)); }
  TComponent* FindComponent(std::string_view name) const;
  [[noreturn]] void Fail(int line, const std::string& message) const;
  const std::any& Handler(const TDescValue& v, const std::string& event) const;
  int Line() const { return line_; }

private:
  void Apply(TObjectRef obj, const TClassInfo& info, const std::vector<TDescProperty>& props);
  void SetProperty(TObjectRef obj, const TClassInfo& info, const TDescProperty& prop);
  void Create(const TDescObject& node, TComponent* enclosing);

  TForm& form_;
  std::vector<std::function<void()>> deferred_;
  std::vector<std::string> bound_;
  int line_ = 0;
};

template <class T, class... A>
TClassInfo& TClassInfo::Event(const char* name, TEvent<A...> T::*field) {
  std::string event = name;
  return AddSetter(name, [field, event](TObjectRef r, const TDescValue& v, TDescriptionLoader& loader) {
                const std::any& h = loader.Handler(v, event);
                auto* fn = std::any_cast<TEvent<A...>>(&h);
                if (!fn) loader.Fail(v.Line, "Handler '" + v.Str + "' does not fit " + event);
                CastRef<T>(r)->*field = *fn;
              });
}

template <class T, class R>
TClassInfo& TClassInfo::Ref(const char* name, void (T::*setter)(R*)) {
  std::string prop = name;
  return AddSetter(name, [setter, prop](TObjectRef r, const TDescValue& v, TDescriptionLoader& loader) {
                if (v.Kind != TDescValue::vkIdent) BadValue(v, "a component name");
                T* obj = CastRef<T>(r);
                std::string target = v.Str;
                int line = v.Line;
                loader.Defer([&loader, obj, setter, target, line, prop] {
                  TComponent* c = loader.FindComponent(target);
                  if (!c) loader.Fail(line, "Component '" + target + "' for " + prop + " not found");
                  R* typed = dynamic_cast<R*>(c);
                  if (!typed) loader.Fail(line, "Component '" + target + "' does not fit " + prop);
                  (obj->*setter)(typed);
                });
              });
}
