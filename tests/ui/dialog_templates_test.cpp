// The headless window system makes the operator windows from the templates
// that the windows define for it (ui/headless_templates.cpp), laid out by
// hand after the module's dialog templates (resources/windows.rc) and the
// section list (resources/section_codes.h).  This test reads the templates
// themselves and checks every window and control that the headless system
// makes against them, so that a changed template cannot drift from what the
// tests' windows show.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialog_templates_rc.h"
#include "platform/headless/headless_gui.h"
#include "resources/windows_ids.h"
#include "ui/headless_templates.h"

namespace stats::headless {
namespace {

std::string Trim(std::string s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.back())) s.pop_back();
  size_t first = 0;
  while (first < s.size() && blank(s[first])) ++first;
  return s.substr(first);
}

// Splits a resource statement's arguments at the commas outside quotes;
// quoted arguments lose their quotes.
std::vector<std::string> Arguments(const std::string& text) {
  std::vector<std::string> out;
  std::string current;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      out.push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  out.push_back(Trim(current));
  return out;
}

struct TemplateControl {
  std::string statement;  // LTEXT, AUTOCHECKBOX, COMBOBOX, CONTROL
  std::vector<std::string> args;
};

struct Template {
  int width = 0, height = 0;
  std::string caption;
  int font_size = 0;
  std::string font;
  std::vector<TemplateControl> controls;
};

class Resources {
 public:
  Resources() {
    std::istringstream ids(kWindowsIds);
    for (std::string line; std::getline(ids, line);) {
      std::istringstream words(line);
      std::string define, name;
      int value = 0;
      if (words >> define >> name >> value && define == "#define") ids_[name] = value;
    }
    Parse();
  }

  int Id(const std::string& token) const {
    auto it = ids_.find(token);
    return it != ids_.end() ? it->second : std::stoi(token);
  }
  const std::map<int, Template>& Templates() const { return templates_; }
  // The RCDATA beside a template: its strings joined, quotes removed.
  const std::map<int, std::string>& Data() const { return data_; }

 private:
  void Parse() {
    std::istringstream in(kWindowsRc);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(Trim(line));
    for (size_t i = 0; i < lines.size(); ++i) {
      std::istringstream head(lines[i]);
      std::string name, kind;
      head >> name >> kind;
      if (kind == "DIALOGEX") {
        Template t;
        std::string rest;
        std::getline(head, rest);
        const std::vector<std::string> box = Arguments(rest);
        t.width = std::stoi(box.at(2));
        t.height = std::stoi(box.at(3));
        size_t j = i + 1;
        for (; j < lines.size() && lines[j] != "BEGIN"; ++j) {
          if (lines[j].rfind("CAPTION", 0) == 0) t.caption = Arguments(lines[j].substr(7)).at(0);
          if (lines[j].rfind("FONT", 0) == 0) {
            const std::vector<std::string> font = Arguments(lines[j].substr(4));
            t.font_size = std::stoi(font.at(0));
            t.font = font.at(1);
          }
        }
        // Statements; a line that starts with no statement continues the last.
        for (++j; j < lines.size() && lines[j] != "END"; ++j) {
          std::istringstream words(lines[j]);
          std::string first;
          words >> first;
          const bool statement = !first.empty() && std::all_of(first.begin(), first.end(), [](char c) {
            return c >= 'A' && c <= 'Z';
          });
          if (statement) {
            t.controls.push_back({first, {}});
            std::string args;
            std::getline(words, args);
            t.controls.back().args = Arguments(args);
          } else if (!t.controls.empty()) {
            std::vector<std::string>& args = t.controls.back().args;
            if (!args.empty() && args.back().empty()) args.pop_back();
            for (const std::string& a : Arguments(lines[j])) args.push_back(a);
          }
        }
        templates_[Id(name)] = t;
        i = j;
      } else if (kind == "RCDATA") {
        std::string text;
        size_t j = i + 2;  // after BEGIN
        for (; j < lines.size() && lines[j] != "END"; ++j) {
          const std::string& line = lines[j];
          for (size_t k = 0; k < line.size(); ++k) {
            if (line[k] == '"') continue;
            // The resource compiler's escape \n ends a line of the data.
            if (line[k] == '\\' && k + 1 < line.size() && line[k + 1] == 'n') {
              text.push_back('\n');
              ++k;
            } else {
              text.push_back(line[k]);
            }
          }
        }
        data_[Id(name)] = text;
        i = j;
      }
    }
  }

  std::map<std::string, int> ids_;
  std::map<int, Template> templates_;
  std::map<int, std::string> data_;
};

// Dialog units to pixels, as the headless system takes each template font.
Rect Pixels(const Template& t, int x, int y, int w, int h) {
  int base_x = 0, base_y = 0;
  if (t.font_size == 8 && (t.font == "MS Sans Serif" || t.font == "MS Shell Dlg")) {
    base_x = 6;
    base_y = 13;
  } else if (t.font_size == 10 && t.font == "System") {
    base_x = 8;
    base_y = 16;
  }
  EXPECT_NE(base_x, 0) << "a font the headless system does not know: " << t.font;
  return {x * base_x / 4, y * base_y / 8, (x + w) * base_x / 4, (y + h) * base_y / 8};
}

TEST(DialogTemplates, HeadlessWindowsAreTheTemplates) {
  const Resources rc;
  ui::DefineHeadlessTemplates();
  ASSERT_EQ(rc.Templates().size(), 4u);
  for (const auto& [id, t] : rc.Templates()) {
    SCOPED_TRACE("template " + std::to_string(id));
    WindowState w;
    ASSERT_TRUE(FromTemplate(id, w));
    EXPECT_EQ(w.title, t.caption);
    EXPECT_EQ(w.client_rect, Pixels(t, 0, 0, t.width, t.height));
    ASSERT_EQ(w.controls.size(), t.controls.size());
    for (const TemplateControl& c : t.controls) {
      // LTEXT and AUTOCHECKBOX: text, id, x, y, w, h; COMBOBOX: id, x, y,
      // w, h, styles; CONTROL: text, id, class, styles, x, y, w, h.
      const std::vector<std::string>& a = c.args;
      const bool combo = c.statement == "COMBOBOX";
      const bool control = c.statement == "CONTROL";
      const size_t at = combo ? 1 : control ? 4 : 2;
      ASSERT_GE(a.size(), at + 4) << c.statement;
      const int control_id = rc.Id(a[combo ? 0 : 1]);
      SCOPED_TRACE("control " + std::to_string(control_id));
      const ControlState* s = w.Control(control_id);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->rect, Pixels(t, std::stoi(a[at]), std::stoi(a[at + 1]), std::stoi(a[at + 2]),
                                std::stoi(a[at + 3])));
      EXPECT_EQ(s->text, combo ? "" : a[0]);
      ControlKind kind = ControlKind::kStatic;
      if (c.statement == "AUTOCHECKBOX") kind = ControlKind::kCheckBox;
      if (combo) kind = ControlKind::kCombo;
      if (control && a[2] == "Button" && a[3].find("BS_OWNERDRAW") != std::string::npos) {
        kind = ControlKind::kOwnerDrawButton;
      }
      if (control && a[2] == "ListBox") kind = ControlKind::kListBox;
      EXPECT_EQ(s->kind, kind) << c.statement;
      if (kind == ControlKind::kListBox) {
        EXPECT_EQ(s->sorted, a[3].find("LBS_SORT") != std::string::npos);
      }
    }
  }
}

TEST(DialogTemplates, TheSectionChoicesAreTheTemplatesList) {
  const Resources rc;
  // "<combo id>|<choice>|<choice>...", one line per combo box.
  const std::string data = rc.Data().at(IDD_SETUP);
  std::vector<std::string> parts;
  std::string current;
  for (char c : data) {
    if (c == '|' || c == '\n') {
      parts.push_back(current);
      current.clear();
      if (c == '\n') break;
    } else {
      current += c;
    }
  }
  ASSERT_GE(parts.size(), 2u);
  EXPECT_EQ(std::stoi(parts[0]), IDC_ON_SECTION);
  std::vector<std::string> choices(parts.begin() + 1, parts.end());
  std::sort(choices.begin(), choices.end());  // the combo box sorts them (CBS_SORT)

  ui::DefineHeadlessTemplates();
  WindowState w;
  ASSERT_TRUE(FromTemplate(IDD_SETUP, w));
  const ControlState* combo = w.Control(IDC_ON_SECTION);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->items, choices);
}

// The headless system knows no template but those defined for it, and makes
// a window of one as it was defined.
class Counting : public WindowHandler {
 public:
  bool OnInit(WindowRef) override {
    ++inits;
    return true;
  }
  int inits = 0;
};

TEST(DialogTemplates, OnlyADefinedTemplateMakesAWindow) {
  constexpr int kUnknown = 31999;
  WindowState w;
  EXPECT_FALSE(FromTemplate(kUnknown, w));
  HeadlessGui gui;
  Counting handler;
  EXPECT_EQ(gui.CreateModeless(kUnknown, handler), kNoWindow);
  EXPECT_EQ(handler.inits, 0);

  WindowState layout;
  layout.title = "Probe";
  layout.client_rect = kSansSerif8.Of(0, 0, 40, 20);
  layout.topmost = true;  // not part of a template: a new window starts without it
  layout.controls[7] = MakeControl(7, ControlKind::kCheckBox, kSansSerif8.Of(1, 2, 30, 10), "X");
  DefineTemplate(kUnknown, layout);
  const WindowRef made = gui.CreateModeless(kUnknown, handler);
  ASSERT_NE(made, kNoWindow);
  EXPECT_EQ(handler.inits, 1);
  const auto state = gui.Snapshot(made);
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(state->template_id, kUnknown);
  EXPECT_EQ(state->title, "Probe");
  EXPECT_EQ(state->client_rect, layout.client_rect);
  EXPECT_FALSE(state->topmost);
  ASSERT_NE(state->Control(7), nullptr);
  EXPECT_EQ(state->Control(7)->text, "X");
  EXPECT_EQ(state->Control(7)->kind, ControlKind::kCheckBox);
  EXPECT_TRUE(gui.Close(made));
  EXPECT_TRUE(gui.WaitUntilGone(made, 5000));
}

}  // namespace
}  // namespace stats::headless
