// Automation connections on Windows: COM on the calling thread,
// GetActiveObject for the running program's object, IDispatch::Invoke by
// dispatch id.
#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <utility>

#include "platform/automation_connection.h"
#include "platform/failure_log.h"
#include "platform/win32/handles.h"

namespace stats {
namespace {

// -- Owners of the COM resources ---------------------------------------------

// COM on the calling thread, from CoInitialize to CoUninitialize.  Only a
// successful CoInitialize (S_OK or S_FALSE) is undone.
class ComApartment {
 public:
  ComApartment() : initialised_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComApartment() {
    if (initialised_) ::CoUninitialize();
  }
  // Leaves COM initialised: the thread's end takes it down.
  void Abandon() { initialised_ = false; }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

// One reference to a COM interface, released when this ends.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  Interface* get() const { return p_; }
  Interface* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For the functions that hand out a new reference.
  Interface** put() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }
  // Forgets the reference without releasing it.
  void abandon() { p_ = nullptr; }

 private:
  Interface* p_ = nullptr;
};

// A BSTR of our own, freed when this ends.
class UniqueBstr {
 public:
  explicit UniqueBstr(const std::wstring& text)
      : s_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~UniqueBstr() { ::SysFreeString(s_); }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  BSTR get() const { return s_; }

 private:
  BSTR s_;
};

// A VARIANT, cleared (its string or interface freed) when this ends.
class UniqueVariant {
 public:
  UniqueVariant() { ::VariantInit(&v_); }
  ~UniqueVariant() { ::VariantClear(&v_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

// The error record an Invoke may fill in, freed when this ends.
struct ExceptionInfo {
  EXCEPINFO info{};
  ~ExceptionInfo() {
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrHelpFile);
  }
};

// A BSTR's text (up to its first NUL) in the ANSI code page, the one in
// which the host hands its calls to the plug-in's entry points.
std::string ToHostText(BSTR text) {
  if (text == nullptr) return std::string();
  std::wstring_view wide(text, ::SysStringLen(text));
  const size_t nul = wide.find(L'\0');
  if (nul != std::wstring_view::npos) wide = wide.substr(0, nul);
  return win32::FromWide(wide, win32::TextCoding::kHostCodePage);
}

// Logs a failed COM call with the system's text of its result.
void LogFailure(const char* call, const std::string& subject, HRESULT hr) {
  failure_log::Record(call, subject, win32::ErrorText(static_cast<DWORD>(hr)));
}

// -- The connection -------------------------------------------------------------

class ComConnection final : public AutomationConnection {
 public:
  bool Connect(const std::string& prog_id) override {
    if (!apartment_) apartment_ = std::make_unique<ComApartment>();
    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(win32::Widen(prog_id).c_str(), &clsid);
    if (FAILED(hr)) {
      LogFailure("CLSIDFromProgID", prog_id, hr);
      return Connected();
    }
    ComPtr<IUnknown> unknown;
    hr = ::GetActiveObject(clsid, nullptr, unknown.put());
    if (FAILED(hr) || !unknown) {
      LogFailure("GetActiveObject", prog_id, hr);
      return Connected();
    }
    ComPtr<IDispatch> dispatch;
    hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
    if (SUCCEEDED(hr) && dispatch) {
      dispatch_ = std::move(dispatch);
    } else {
      LogFailure("QueryInterface(IDispatch)", prog_id, hr);
    }
    return Connected();
  }

  bool Connected() const override { return static_cast<bool>(dispatch_); }

  void Disconnect() override {
    // The reference goes before the apartment that it lives in.
    dispatch_.reset();
    apartment_.reset();
  }

  void Release() override { dispatch_.reset(); }

  void Abandon() override {
    dispatch_.abandon();
    // COM stays initialised on the thread, which is about to end.
    if (apartment_) apartment_->Abandon();
    apartment_.reset();
  }

  bool Invoke(int dispid, bool property_get, const AutomationValue* argument,
              AutomationValue* result) override {
    if (!dispatch_) return false;
    VARIANT arg;
    ::VariantInit(&arg);
    std::unique_ptr<UniqueBstr> text;
    if (argument != nullptr && argument->kind == AutomationValue::Kind::kInt) {
      arg.vt = VT_I4;
      arg.lVal = argument->int_value;
    } else if (argument != nullptr && argument->kind == AutomationValue::Kind::kText) {
      text = std::make_unique<UniqueBstr>(win32::Widen(argument->text));
      if (text->get() == nullptr) {
        failure_log::Record("SysAllocStringLen", "dispid " + std::to_string(dispid),
                            "out of memory");
        return false;
      }
      arg.vt = VT_BSTR;
      arg.bstrVal = text->get();  // still owned by text
    } else if (argument != nullptr && argument->kind == AutomationValue::Kind::kNumber) {
      arg.vt = VT_R8;
      arg.dblVal = argument->number;
    }
    DISPPARAMS params{};
    params.rgvarg = arg.vt != VT_EMPTY ? &arg : nullptr;
    params.cArgs = arg.vt != VT_EMPTY ? 1 : 0;
    ExceptionInfo error;
    UINT bad_argument = 0;
    UniqueVariant answer;
    const HRESULT hr = dispatch_->Invoke(
        static_cast<DISPID>(dispid), IID_NULL, LOCALE_USER_DEFAULT,
        property_get ? DISPATCH_PROPERTYGET : DISPATCH_METHOD, &params, answer.get(),
        &error.info, &bad_argument);
    if (FAILED(hr)) {
      LogFailure("IDispatch::Invoke", "dispid " + std::to_string(dispid), hr);
      return false;
    }
    if (result != nullptr) *result = ValueOf(answer);
    return true;
  }

 private:
  // A string stays a string; any other kind that the system converts to a
  // number is taken as one.
  static AutomationValue ValueOf(UniqueVariant& v) {
    AutomationValue value;
    if ((*v).vt == VT_BSTR) {
      value.kind = AutomationValue::Kind::kText;
      value.text = ToHostText((*v).bstrVal);
    } else if ((*v).vt == VT_R8 ||
               SUCCEEDED(::VariantChangeType(v.get(), v.get(), 0, VT_R8))) {
      value.kind = AutomationValue::Kind::kNumber;
      value.number = (*v).dblVal;
    }
    return value;
  }

  std::unique_ptr<ComApartment> apartment_;
  ComPtr<IDispatch> dispatch_;
};

}  // namespace

std::unique_ptr<AutomationConnection> NewAutomationConnection() {
  return std::make_unique<ComConnection>();
}

}  // namespace stats
