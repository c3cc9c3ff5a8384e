#include "ui/setup_window.h"

#include <mutex>

#include "host/automation.h"
#include "model/settings.h"
#include "resources/windows_ids.h"
#include "ui/contest_link.h"
#include "ui/lookup.h"
#include "ui/placement.h"
#include "ui/ui_state.h"
#include "ui/window_thread.h"

namespace stats::ui {
namespace {

constexpr int kOptionControls[4] = {IDC_OPT_SECTION, IDC_OPT_PREFIX, IDC_OPT_PREVIOUS,
                                    IDC_OPT_ON_TOP};
constexpr const char* kOptionKeys[4] = {"setup_on_section", "setup_wpx_pref", "setup_prev_qso",
                                        "setup_window_on_top"};
// A companion window is switched by the option of the same number.
constexpr size_t kOptionOf[kCompanionCount] = {0, 1, 2};

// Makes a companion window with a new handler.  The handler of the last
// window of its kind goes only now: that window was destroyed when its
// reference was cleared, so nothing calls the old handler any more.
template <typename Window>
WindowRef MakeCompanion(std::unique_ptr<Window>& slot, int template_id) {
  auto handler = std::make_unique<Window>();
  const WindowRef ref = Gui().CreateModeless(template_id, *handler);
  if (ref != kNoWindow) slot = std::move(handler);
  return ref;
}

}  // namespace

Setup_UBA_Pfx::Setup_UBA_Pfx(WindowThread& thread) : thread_(thread) {}

Setup_UBA_Pfx::~Setup_UBA_Pfx() = default;

bool Setup_UBA_Pfx::OnInit(WindowRef window) {
  window_ = window;
  UiState& ui = Ui();
  ui.setup.store(window);
  WindowSystem& gui = Gui();
  PushValues();

  // Place and options.
  PlaceWindow(window, kSetupPosition);
  for (size_t k = 0; k < options_.size(); ++k) {
    options_[k] = settings::ReadInt(kOptionKeys[k]) != 0 ? 1 : 0;
  }
  ui.on_top.store(options_[kOptOnTop] != 0);
  gui.MakeTopmost(window);
  gui.SetColors(window, kBlack, kWindowColor);
  gui.SetLargeIcon(window, IDI_STATS);

  // The mode is read and the section emptied in one step: a newer run may
  // start while this window opens, and a section it has just set for a
  // Belgian station must not be emptied by a window that saw the mode of
  // the run before.
  const ContestView view = Link().OpenSetup();
  const bool on_station = view.on_station;
  const Texts texts{view.russian, view.contest_year};
  gui.SetTitle(window, texts.SetupTitle());
  if (texts.russian) {
    gui.SetControlText(window, IDC_VIEW_LABEL, kRussianViewLabel);
    gui.SetControlText(window, IDC_OPT_SECTION, kRussianSectionOption);
    gui.SetControlText(window, IDC_OPT_PREFIX, kRussianPrefixOption);
    gui.SetControlText(window, IDC_OPT_PREVIOUS, kRussianPreviousOption);
  }

  // Only a Belgian station has a section of its own.  Another station's run
  // empties it for this run, but the stored key stays for the next run as a
  // Belgian station.
  if (on_station) {
    on_section_text_ = settings::Read("ON_Section");
  } else {
    gui.EnableControl(window, IDC_ON_SECTION_LABEL, false);
    gui.EnableControl(window, IDC_ON_SECTION, false);
    on_section_text_.clear();
  }
  PushValues();

  // The host is called only with a module reference held (the one handed
  // over for the opening): the calls wait for the host's thread.
  if (HoldsReference(thread_)) {
    host::Automation& host = host::Host();
    host.Connect();
    host.SendCommand("<MODE:BPSK31>");
    host.SendCommand("<BAUDRATE:63>");
  }
  // The first refresh is part of the opening: the opening's reference goes
  // with it.
  PostRefresh(HoldsReference(thread_) ? 1 : 0);
  gui.DisableCloseCommand(window);
  // A newer run, or the unload, came while this window opened.
  if (thread_.cancelled.load() || ui.unloading.load()) gui.Close(window);
  return true;
}

void Setup_UBA_Pfx::PushValues() {
  WindowSystem& gui = Gui();
  for (size_t k = 0; k < options_.size(); ++k) {
    gui.SetCheck(window_, kOptionControls[k], options_[k] != 0);
  }
  gui.SetControlText(window_, IDC_ON_SECTION, gui.HostToUtf8(on_section_text_));
}

void Setup_UBA_Pfx::PostRefresh(std::uintptr_t carries_reference) {
  Gui().Post(window_, kRefreshMessage, carries_reference);
}

void Setup_UBA_Pfx::OnCommand(WindowRef window, int control, int notification) {
  switch (control) {
    case kIdOk:
      return;  // Enter does nothing
    case kIdCancel:
      Gui().Close(window);  // Esc ends the setup window
      return;
    case IDC_OPT_SECTION:
      if (notification == kButtonClicked) ToggleCompanion(kSectionWindow);
      return;
    case IDC_OPT_PREFIX:
      if (notification == kButtonClicked) ToggleCompanion(kPrefixWindow);
      return;
    case IDC_OPT_PREVIOUS:
      if (notification == kButtonClicked) ToggleCompanion(kPreviousQsoWindow);
      return;
    case IDC_OPT_ON_TOP:
      if (notification == kButtonClicked) ToggleOnTop();
      return;
    case IDC_ON_SECTION:
      // Only a confirmed choice counts; typing into the edit field alone
      // changes nothing.
      if (notification == kComboSelEndOk) SelectSection();
      return;
    default:
      return;
  }
}

void Setup_UBA_Pfx::ToggleCompanion(Companion kind) {
  if (closing_ || Ui().unloading.load()) return;
  // Whether the window exists decides, not the check mark.
  const size_t option = kOptionOf[kind];
  if (Ui().companions[kind].load() != kNoWindow) {
    CloseCompanion(kind);
    options_[option] = 0;
    settings::Write(kOptionKeys[option], "0");
  } else {
    OpenCompanion(kind);
    options_[option] = 1;
    PostRefresh();
    settings::Write(kOptionKeys[option], "1");
  }
}

void Setup_UBA_Pfx::ToggleOnTop() {
  options_[kOptOnTop] = options_[kOptOnTop] != 0 ? 0 : 1;
  Ui().on_top.store(options_[kOptOnTop] != 0);
  settings::Write(kOptionKeys[kOptOnTop], options_[kOptOnTop] != 0 ? "1" : "0");
  // The refresh reopens those whose options are set, with the new setting.
  CloseCompanion(kPreviousQsoWindow);
  CloseCompanion(kPrefixWindow);
  CloseCompanion(kSectionWindow);
  PushValues();
  PostRefresh();
}

void Setup_UBA_Pfx::SelectSection() {
  WindowSystem& gui = Gui();
  on_section_text_ = gui.Utf8ToHost(gui.ComboSelectedText(window_, IDC_ON_SECTION));
  Link().ChooseSection(on_section_text_);
  settings::Write("ON_Section", on_section_text_);
  PushValues();
  PostRefresh();
}

void Setup_UBA_Pfx::OpenCompanion(Companion kind) {
  UiState& ui = Ui();
  if (ui.companions[kind].load() != kNoWindow) return;
  WindowRef ref = kNoWindow;
  switch (kind) {
    case kSectionWindow:
      ref = MakeCompanion(section_, IDD_SECTION);
      break;
    case kPrefixWindow:
      ref = MakeCompanion(prefix_, IDD_PREFIX);
      break;
    case kPreviousQsoWindow:
      ref = MakeCompanion(previous_, IDD_PREVIOUS_QSO);
      break;
  }
  if (ref == kNoWindow) return;
  ui.companions[kind].store(ref);
  Gui().Show(ref);
}

void Setup_UBA_Pfx::CloseCompanion(Companion kind) {
  // The window clears its own reference as it is destroyed.
  const WindowRef ref = Ui().companions[kind].load();
  if (ref != kNoWindow) Gui().Close(ref);
}

void Setup_UBA_Pfx::OnSetCursor(WindowRef window) { SavePosition(window, kSetupPosition); }

std::intptr_t Setup_UBA_Pfx::OnUserMessage(WindowRef /*window*/, unsigned message,
                                           std::uintptr_t wparam, std::intptr_t /*lparam*/) {
  if (message == kRefreshMessage) Refresh(wparam != 0);
  return 0;
}

void Setup_UBA_Pfx::OnClose(WindowRef /*window*/) { closing_ = true; }

void Setup_UBA_Pfx::OnDestroy(WindowRef window) {
  closing_ = true;
  CloseCompanion(kSectionWindow);
  CloseCompanion(kPrefixWindow);
  CloseCompanion(kPreviousQsoWindow);
  // From now on the host's thread posts nothing here, and a new window
  // thread may open its setup window.
  WindowRef expected = window;
  Ui().setup.compare_exchange_strong(expected, kNoWindow);
}

void Setup_UBA_Pfx::Refresh(bool carries_reference) {
  UiState& ui = Ui();
  // The reference that came with this refresh goes once it is done, before
  // the typing check may post the next one.
  struct Done {
    WindowThread& thread;
    UiState& ui;
    bool carries_reference;
    ~Done() {
      if (carries_reference) {
        // The host's object is held only while a reference is: its release
        // waits for the host's thread, and so would an apartment that ends
        // with the thread holding it.
        host::Host().LetGoOfHost();
        LetGoOfOne(thread);
      }
      ui.refresh_done.store(1);
    }
  } done{thread_, ui, carries_reference};
  // A window on its way out opens nothing: not during a new run's start,
  // nor during the unload.
  if (closing_ || ui.unloading.load()) return;

  // 1. Companion windows whose options are set.
  for (size_t k = 0; k < kCompanionCount; ++k) {
    if (options_[kOptionOf[k]] != 0) OpenCompanion(static_cast<Companion>(k));
  }

  // The host first, without any lock: the call being typed, the frequency,
  // and "<SP1>" when the frequency has moved.  Those calls wait for the
  // host's thread, so they are made only with a module reference held (the
  // host asked for this refresh); a refresh of the window's own (an option
  // changed) shows what the last one read.
  host::Automation& host = host::Host();
  std::string call;
  int band = -1;
  if (HoldsReference(thread_)) {
    if (!host.Connected()) host.Connect();
    if (!host.Connected()) return;
    call = host.GetEntryField(host::kEntryFieldCall);
    const double hz = host.GetFrequency();
    bool moved = false;
    {
      std::lock_guard lock(ui.mutex);
      moved = FrequencyMoved(hz, ui.last_command_frequency);
      if (moved) ui.last_command_frequency = hz;
      ui.host_answered = true;
    }
    if (moved) host.SendCommand("<SP1>");
    band = BandIndexOfFrequency(hz);
  } else {
    std::lock_guard lock(ui.mutex);
    if (!ui.host_answered) return;
    call = ui.entered_call;
    band = ui.band_index;
  }
  // The host answered while the window was being closed.
  if (closing_ || ui.unloading.load()) return;

  // The contest data, in one snapshot: the rows of the call and the worked
  // lists of the band.
  ContestView view = Link().Read(call, band);
  const Texts texts{view.russian, view.contest_year};
  const std::vector<std::string>& prefixes = view.prefixes;
  const std::vector<std::string>& sections = view.sections;
  {
    std::lock_guard lock(ui.mutex);
    ui.entered_call = call;
    ui.band_index = band;
    ui.info_rows = std::move(view.info_rows);
  }

  // The windows, without any lock.
  WindowSystem& gui = Gui();
  const std::string band_text = BandText(band);
  const WindowRef previous = ui.companions[kPreviousQsoWindow].load();
  if (previous != kNoWindow) gui.SetTitle(previous, texts.PreviousQsoTitle(gui.HostToUtf8(call)));

  const WindowRef prefix = ui.companions[kPrefixWindow].load();
  if (prefix != kNoWindow) {
    gui.SetTitle(prefix, texts.PrefixTitle(band_text));
    // Off the six bands the list keeps what it showed.
    if (band >= 0) {
      gui.ListClear(prefix, IDC_PREFIX_LIST);
      for (const std::string& p : prefixes) {
        std::string entry = " ";
        entry += gui.HostToUtf8(p);
        gui.ListAdd(prefix, IDC_PREFIX_LIST, entry);
      }
      // Columns as wide as the longest prefix; the list scrolls sideways
      // when they do not all fit.
      gui.FitListColumns(prefix, IDC_PREFIX_LIST);
    }
    gui.InvalidateControl(prefix, IDC_PREFIX_LIST);
  }

  if (previous != kNoWindow) gui.InvalidateControl(previous, IDC_INFO_TABLE);

  const WindowRef section = ui.companions[kSectionWindow].load();
  if (section != kNoWindow && section_) {
    const size_t n = band >= 0 ? sections.size() : 0;
    section_->Fill(section, texts.SectionTitle(static_cast<int>(n), band_text), sections, n);
  }
}

}  // namespace stats::ui
