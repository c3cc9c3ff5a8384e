#include "platform/headless/headless_gui.h"

#include <algorithm>
#include <chrono>

namespace stats::headless {
namespace {

// The frame around a dialog's client area: borders and caption.
constexpr int kBorder = 3;
constexpr int kCaption = 22;

// The templates defined so far; never destroyed, as a window thread may
// make a window while the process tears down its static objects.
struct Templates {
  std::mutex mutex;
  std::map<int, WindowState> layouts;
};

Templates& DefinedTemplates() {
  static Templates* templates = new Templates;
  return *templates;
}

Rect FrameAround(int left, int top, const Rect& client) {
  return {left, top, left + client.Width() + 2 * kBorder,
          top + client.Height() + kCaption + 2 * kBorder};
}

// Records the operations of one paint.
class RecordingContext final : public DrawContext {
 public:
  RecordingContext(Rect item, int dpi) : item_(item), dpi_(dpi) {}
  Rect ItemRect() const override { return item_; }
  int Dpi() const override { return dpi_; }
  void Fill(const Rect& rect, Color color) override {
    DrawOp op;
    op.kind = DrawOp::Kind::kFill;
    op.rect = rect;
    op.color = color;
    ops.push_back(op);
  }
  void SetTransparentBackground() override {
    DrawOp op;
    op.kind = DrawOp::Kind::kTransparent;
    ops.push_back(op);
  }
  void PutText(int x, int y, std::string_view utf8) override {
    DrawOp op;
    op.kind = DrawOp::Kind::kText;
    op.x = x;
    op.y = y;
    op.text = std::string(utf8);
    ops.push_back(op);
  }
  std::vector<DrawOp> ops;

 private:
  Rect item_;
  int dpi_;
};

}  // namespace

ControlState MakeControl(int id, ControlKind kind, Rect rect, std::string text) {
  ControlState c;
  c.id = id;
  c.kind = kind;
  c.rect = rect;
  c.text = std::move(text);
  return c;
}

void DefineTemplate(int template_id, const WindowState& layout) {
  WindowState w;
  w.title = layout.title;
  w.client_rect = layout.client_rect;
  w.controls = layout.controls;
  Templates& templates = DefinedTemplates();
  std::lock_guard lock(templates.mutex);
  templates.layouts[template_id] = std::move(w);
}

bool FromTemplate(int template_id, WindowState& w) {
  Templates& templates = DefinedTemplates();
  std::lock_guard lock(templates.mutex);
  const auto it = templates.layouts.find(template_id);
  if (it == templates.layouts.end()) return false;
  w.title = it->second.title;
  w.client_rect = it->second.client_rect;
  w.controls = it->second.controls;
  return true;
}

HeadlessGui::HeadlessGui() = default;
HeadlessGui::~HeadlessGui() = default;

HeadlessGui::Win* HeadlessGui::Find(WindowRef window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

const HeadlessGui::Win* HeadlessGui::Find(WindowRef window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

WindowRef HeadlessGui::Make(int template_id, WindowHandler& handler, bool modal) {
  auto win = std::make_unique<Win>();
  if (!FromTemplate(template_id, win->state)) return kNoWindow;
  win->state.template_id = template_id;
  win->state.modal = modal;
  win->state.window_rect = FrameAround(0, 0, win->state.client_rect);
  win->handler = &handler;
  win->owner = std::this_thread::get_id();
  std::lock_guard lock(mutex_);
  const WindowRef ref = next_ref_++;
  win->state.ref = ref;
  windows_[ref] = std::move(win);
  queues_[std::this_thread::get_id()];
  changed_.notify_all();
  return ref;
}

bool HeadlessGui::RunModal(int template_id, WindowHandler& handler) {
  const WindowRef ref = Make(template_id, handler, true);
  if (ref == kNoWindow) return false;
  handler.OnInit(ref);
  Show(ref);
  Change(ref, [](Win& w) { w.ready = true; });

  std::unique_lock lock(mutex_);
  std::deque<Message>& queue = queues_[std::this_thread::get_id()];
  for (;;) {
    Win* w = Find(ref);
    if (w == nullptr || w->end_modal) break;
    if (queue.empty()) {
      changed_.wait(lock);
      continue;
    }
    Message message = std::move(queue.front());
    queue.pop_front();
    lock.unlock();
    Dispatch(message);
    lock.lock();
  }
  lock.unlock();
  Destroy(ref);
  return true;
}

WindowRef HeadlessGui::CreateModeless(int template_id, WindowHandler& handler) {
  const WindowRef ref = Make(template_id, handler, false);
  if (ref == kNoWindow) return kNoWindow;
  handler.OnInit(ref);
  Change(ref, [](Win& w) { w.ready = true; });
  return ref;
}

WindowHandler* HeadlessGui::HandlerOf(WindowRef window) {
  std::lock_guard lock(mutex_);
  Win* w = Find(window);
  return w != nullptr && !w->destroying ? w->handler : nullptr;
}

void HeadlessGui::Finish(const std::shared_ptr<Completion>& done, bool handled) {
  if (!done) return;
  std::lock_guard lock(mutex_);
  done->finished = true;
  done->handled = handled;
  changed_.notify_all();
}

void HeadlessGui::Dispatch(Message& message) {
  bool handled = false;
  switch (message.kind) {
    case Message::Kind::kUser:
      if (WindowHandler* h = HandlerOf(message.target)) {
        h->OnUserMessage(message.target, message.message, message.wparam, message.lparam);
        handled = true;
      }
      break;
    case Message::Kind::kClose:
      if (HandlerOf(message.target) != nullptr) {
        HandleClose(message.target);
        handled = true;
      }
      break;
    case Message::Kind::kInvoke:
      handled = HandlerOf(message.target) != nullptr && message.invoke();
      break;
  }
  Finish(message.done, handled);
}

void HeadlessGui::HandleClose(WindowRef window) {
  WindowHandler* h = HandlerOf(window);
  if (h == nullptr) return;
  h->OnClose(window);
  bool modal = false;
  if (!Change(window, [&](Win& w) {
        modal = w.state.modal;
        if (modal) w.end_modal = true;
      })) {
    return;
  }
  if (!modal) Destroy(window);
}

void HeadlessGui::Destroy(WindowRef window) {
  WindowHandler* h = nullptr;
  {
    std::lock_guard lock(mutex_);
    Win* w = Find(window);
    if (w == nullptr || w->destroying) return;
    w->destroying = true;
    h = w->handler;
  }
  h->OnDestroy(window);
  std::vector<std::shared_ptr<Completion>> orphans;
  {
    std::lock_guard lock(mutex_);
    // Messages still queued for the window die with it.
    for (auto& [thread, queue] : queues_) {
      for (auto it = queue.begin(); it != queue.end();) {
        if (it->target == window) {
          if (it->done) orphans.push_back(it->done);
          it = queue.erase(it);
        } else {
          ++it;
        }
      }
    }
    windows_.erase(window);
    for (auto& done : orphans) done->finished = true;
    changed_.notify_all();
  }
}

bool HeadlessGui::Change(WindowRef window, const std::function<void(Win&)>& fn) {
  std::lock_guard lock(mutex_);
  Win* w = Find(window);
  if (w == nullptr) return false;
  fn(*w);
  changed_.notify_all();
  return true;
}

bool HeadlessGui::ChangeControl(WindowRef window, int control,
                                const std::function<void(ControlState&)>& fn) {
  std::lock_guard lock(mutex_);
  Win* w = Find(window);
  if (w == nullptr) return false;
  auto it = w->state.controls.find(control);
  if (it == w->state.controls.end()) return false;
  fn(it->second);
  return true;
}

bool HeadlessGui::Show(WindowRef window) {
  return Change(window, [](Win& w) { w.state.visible = true; });
}

bool HeadlessGui::Close(WindowRef window) {
  std::thread::id owner;
  {
    std::lock_guard lock(mutex_);
    const Win* w = Find(window);
    if (w == nullptr) return false;
    owner = w->owner;
  }
  if (owner != std::this_thread::get_id()) return SendClose(window, kActionTimeoutMs);
  HandleClose(window);
  return true;
}

bool HeadlessGui::SetTitle(WindowRef window, const std::string& utf8) {
  return Change(window, [&](Win& w) { w.state.title = utf8; });
}

bool HeadlessGui::MoveTo(WindowRef window, int x, int y) {
  return Change(window,
                [&](Win& w) { w.state.window_rect = FrameAround(x, y, w.state.client_rect); });
}

bool HeadlessGui::MakeTopmost(WindowRef window) {
  return Change(window, [](Win& w) {
    w.state.topmost = true;
    ++w.state.topmost_calls;
  });
}

Rect HeadlessGui::WindowRect(WindowRef window) {
  std::lock_guard lock(mutex_);
  const Win* w = Find(window);
  return w != nullptr ? w->state.window_rect : Rect{};
}

Rect HeadlessGui::ClientRect(WindowRef window) {
  std::lock_guard lock(mutex_);
  const Win* w = Find(window);
  return w != nullptr ? w->state.client_rect : Rect{};
}

Rect HeadlessGui::WorkArea(WindowRef window) {
  std::lock_guard lock(mutex_);
  return Find(window) != nullptr ? work_area_ : Rect{};
}

void HeadlessGui::SetScreen(const Rect& work_area, int dpi) {
  std::lock_guard lock(mutex_);
  work_area_ = work_area;
  dpi_ = dpi;
}

bool HeadlessGui::SetLargeIcon(WindowRef window, int icon_id) {
  return Change(window, [&](Win& w) { w.state.large_icon = icon_id; });
}

bool HeadlessGui::DisableCloseCommand(WindowRef window) {
  return Change(window, [](Win& w) { w.state.close_disabled = true; });
}

bool HeadlessGui::SetColors(WindowRef window, Color text, Color background) {
  return Change(window, [&](Win& w) {
    w.state.has_colors = true;
    w.state.text_color = text;
    w.state.background_color = background;
  });
}

bool HeadlessGui::SetCheck(WindowRef window, int control, bool checked) {
  return ChangeControl(window, control, [&](ControlState& c) { c.checked = checked; });
}

bool HeadlessGui::IsChecked(WindowRef window, int control) {
  bool checked = false;
  ChangeControl(window, control, [&](ControlState& c) { checked = c.checked; });
  return checked;
}

bool HeadlessGui::EnableControl(WindowRef window, int control, bool enabled) {
  return ChangeControl(window, control, [&](ControlState& c) { c.enabled = enabled; });
}

bool HeadlessGui::SetControlText(WindowRef window, int control, const std::string& utf8) {
  return ChangeControl(window, control, [&](ControlState& c) { c.text = utf8; });
}

std::string HeadlessGui::ControlText(WindowRef window, int control) {
  std::string text;
  ChangeControl(window, control, [&](ControlState& c) { text = c.text; });
  return text;
}

std::string HeadlessGui::ComboSelectedText(WindowRef window, int control) {
  std::string text;
  ChangeControl(window, control, [&](ControlState& c) {
    if (c.selected >= 0 && static_cast<size_t>(c.selected) < c.items.size()) {
      text = c.items[static_cast<size_t>(c.selected)];
    }
  });
  return text;
}

bool HeadlessGui::ListClear(WindowRef window, int control) {
  return ChangeControl(window, control, [](ControlState& c) { c.items.clear(); });
}

bool HeadlessGui::ListAdd(WindowRef window, int control, const std::string& utf8) {
  return ChangeControl(window, control, [&](ControlState& c) {
    if (c.sorted) {
      c.items.insert(std::upper_bound(c.items.begin(), c.items.end(), utf8), utf8);
    } else {
      c.items.push_back(utf8);
    }
  });
}

bool HeadlessGui::FitListColumns(WindowRef window, int control) {
  return ChangeControl(window, control, [](ControlState& c) {
    size_t longest = 0;
    for (const std::string& item : c.items) longest = std::max(longest, item.size());
    c.column_width = static_cast<int>(longest) * kCharWidth + kCharWidth;
  });
}

bool HeadlessGui::MoveControl(WindowRef window, int control, const Rect& rect) {
  return ChangeControl(window, control, [&](ControlState& c) {
    c.rect = rect;
    ++c.moves;
  });
}

bool HeadlessGui::InvalidateControl(WindowRef window, int control) {
  return ChangeControl(window, control, [](ControlState& c) { ++c.invalidations; });
}

bool HeadlessGui::Post(WindowRef window, unsigned message, std::uintptr_t wparam,
                       std::intptr_t lparam) {
  if (message < kUserMessage) return false;
  std::lock_guard lock(mutex_);
  const Win* w = Find(window);
  if (w == nullptr || w->destroying) return false;
  Message m;
  m.kind = Message::Kind::kUser;
  m.target = window;
  m.message = message;
  m.wparam = wparam;
  m.lparam = lparam;
  queues_[w->owner].push_back(std::move(m));
  changed_.notify_all();
  return true;
}

bool HeadlessGui::Invoke(WindowRef window, std::function<bool()> fn, unsigned timeout_ms) {
  auto done = std::make_shared<Completion>();
  std::unique_lock lock(mutex_);
  const Win* w = Find(window);
  if (w == nullptr || w->destroying) return false;
  Message m;
  m.kind = Message::Kind::kInvoke;
  m.target = window;
  m.invoke = std::move(fn);
  m.done = done;
  if (w->owner == std::this_thread::get_id()) {
    // Sent on the window's own thread: handled at once.
    lock.unlock();
    Dispatch(m);
    return done->handled;
  }
  queues_[w->owner].push_back(std::move(m));
  changed_.notify_all();
  changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return done->finished; });
  return done->finished && done->handled;
}

bool HeadlessGui::SendClose(WindowRef window, unsigned timeout_ms) {
  auto done = std::make_shared<Completion>();
  std::unique_lock lock(mutex_);
  const Win* w = Find(window);
  if (w == nullptr || w->destroying) return false;
  if (w->owner == std::this_thread::get_id()) {
    lock.unlock();
    HandleClose(window);
    return true;
  }
  Message m;
  m.kind = Message::Kind::kClose;
  m.target = window;
  m.done = done;
  queues_[w->owner].push_back(std::move(m));
  changed_.notify_all();
  changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return done->finished; });
  return done->finished && done->handled;
}

std::string HeadlessGui::HostToUtf8(std::string_view host_text) const {
  return std::string(host_text);
}

std::string HeadlessGui::Utf8ToHost(std::string_view utf8) const { return std::string(utf8); }

// -- Test interface ---------------------------------------------------------

std::optional<WindowState> HeadlessGui::Snapshot(WindowRef window) const {
  std::lock_guard lock(mutex_);
  const Win* w = Find(window);
  if (w == nullptr) return std::nullopt;
  return w->state;
}

std::vector<WindowRef> HeadlessGui::WindowsOf(int template_id) const {
  std::lock_guard lock(mutex_);
  std::vector<WindowRef> refs;
  for (const auto& [ref, w] : windows_) {
    if (w->state.template_id == template_id && !w->destroying) refs.push_back(ref);
  }
  return refs;
}

std::vector<WindowRef> HeadlessGui::AllWindows() const {
  std::lock_guard lock(mutex_);
  std::vector<WindowRef> refs;
  for (const auto& [ref, w] : windows_) {
    if (!w->destroying) refs.push_back(ref);
  }
  return refs;
}

WindowRef HeadlessGui::WaitForWindow(int template_id, unsigned timeout_ms) {
  std::unique_lock lock(mutex_);
  WindowRef found = kNoWindow;
  changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
    for (const auto& [ref, w] : windows_) {
      if (w->state.template_id == template_id && w->ready && !w->destroying) {
        found = ref;
        return true;
      }
    }
    return false;
  });
  return found;
}

bool HeadlessGui::WaitUntilGone(WindowRef window, unsigned timeout_ms) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [&] { return Find(window) == nullptr; });
}

bool HeadlessGui::Sync(WindowRef window, unsigned timeout_ms) {
  return Invoke(window, [] { return true; }, timeout_ms);
}

bool HeadlessGui::Click(WindowRef window, int control) {
  return Invoke(
      window,
      [=, this] {
        bool found = false;
        ChangeControl(window, control, [&](ControlState& c) {
          found = c.enabled;
          if (found && c.kind == ControlKind::kCheckBox) c.checked = !c.checked;
        });
        WindowHandler* h = HandlerOf(window);
        if (!found || h == nullptr) return false;
        h->OnCommand(window, control, kButtonClicked);
        return true;
      },
      kActionTimeoutMs);
}

bool HeadlessGui::SelectComboItem(WindowRef window, int control, const std::string& item) {
  return Invoke(
      window,
      [=, this] {
        bool found = false;
        ChangeControl(window, control, [&](ControlState& c) {
          auto it = std::find(c.items.begin(), c.items.end(), item);
          if (!c.enabled || c.kind != ControlKind::kCombo || it == c.items.end()) return;
          found = true;
          c.selected = static_cast<int>(it - c.items.begin());
          c.text = item;
        });
        WindowHandler* h = HandlerOf(window);
        if (!found || h == nullptr) return false;
        h->OnCommand(window, control, kComboSelEndOk);
        return true;
      },
      kActionTimeoutMs);
}

bool HeadlessGui::TypeComboText(WindowRef window, int control, const std::string& text) {
  return Invoke(
      window,
      [=, this] {
        bool found = false;
        ChangeControl(window, control, [&](ControlState& c) {
          found = c.enabled && c.kind == ControlKind::kCombo;
          if (found) c.text = text;
        });
        WindowHandler* h = HandlerOf(window);
        if (!found || h == nullptr) return false;
        h->OnCommand(window, control, kComboEditChange);
        return true;
      },
      kActionTimeoutMs);
}

bool HeadlessGui::PressKey(WindowRef window, int command) {
  return Invoke(
      window,
      [=, this] {
        WindowHandler* h = HandlerOf(window);
        if (h == nullptr) return false;
        h->OnCommand(window, command, kButtonClicked);
        return true;
      },
      kActionTimeoutMs);
}

bool HeadlessGui::PointerOver(WindowRef window) {
  return Invoke(
      window,
      [=, this] {
        WindowHandler* h = HandlerOf(window);
        if (h == nullptr) return false;
        h->OnSetCursor(window);
        return true;
      },
      kActionTimeoutMs);
}

bool HeadlessGui::DragTo(WindowRef window, int x, int y) {
  return Invoke(
      window, [=, this] { return MoveTo(window, x, y); }, kActionTimeoutMs);
}

bool HeadlessGui::ResizeClient(WindowRef window, int width, int height) {
  return Invoke(
      window,
      [=, this] {
        if (!Change(window, [&](Win& w) {
              w.state.client_rect = {0, 0, width, height};
              w.state.window_rect =
                  FrameAround(w.state.window_rect.left, w.state.window_rect.top,
                              w.state.client_rect);
            })) {
          return false;
        }
        WindowHandler* h = HandlerOf(window);
        if (h == nullptr) return false;
        h->OnSize(window, width, height);
        return true;
      },
      kActionTimeoutMs);
}

std::optional<std::vector<DrawOp>> HeadlessGui::Paint(WindowRef window, int control) {
  // Shared with the window thread, which may run the paint after a timeout.
  auto result = std::make_shared<std::vector<DrawOp>>();
  const bool handled = Invoke(
      window,
      [=, this] {
        Rect item;
        bool owner_draw = false;
        ChangeControl(window, control, [&](ControlState& c) {
          owner_draw = c.kind == ControlKind::kOwnerDrawButton;
          item = {0, 0, c.rect.Width(), c.rect.Height()};
        });
        WindowHandler* h = HandlerOf(window);
        if (!owner_draw || h == nullptr) return false;
        int dpi = 96;
        {
          std::lock_guard lock(mutex_);
          dpi = dpi_;
        }
        RecordingContext dc(item, dpi);
        h->OnDrawItem(window, control, dc);
        ChangeControl(window, control, [&](ControlState& c) { c.last_paint = dc.ops; });
        std::lock_guard lock(mutex_);
        *result = std::move(dc.ops);
        return true;
      },
      kActionTimeoutMs);
  if (!handled) return std::nullopt;
  std::lock_guard lock(mutex_);
  return *result;
}

HeadlessGui& Headless() {
  // Lives until the process ends: a window thread may outlive the tests'
  // static objects.
  static HeadlessGui* gui = new HeadlessGui;
  return *gui;
}

}  // namespace stats::headless
