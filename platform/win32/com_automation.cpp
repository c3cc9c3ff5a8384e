// The client of the running host's automation object on Windows: COM on
// the window thread, IDispatch::Invoke with the host's fixed dispatch ids.
#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <utility>

#include "host/automation.h"
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

// -- The client ---------------------------------------------------------------

class ComHost final : public host::Automation {
 public:
  bool Connect() override {
    if (!apartment_) apartment_ = std::make_unique<ComApartment>();
    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(win32::Widen(host::kProgId).c_str(), &clsid);
    if (FAILED(hr)) {
      LogFailure("CLSIDFromProgID", host::kProgId, hr);
      return Connected();
    }
    // Only a running host is used: none is started.
    ComPtr<IUnknown> unknown;
    hr = ::GetActiveObject(clsid, nullptr, unknown.put());
    if (FAILED(hr) || !unknown) {
      LogFailure("GetActiveObject", host::kProgId, hr);
      return Connected();
    }
    ComPtr<IDispatch> dispatch;
    hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
    if (SUCCEEDED(hr) && dispatch) {
      dispatch_ = std::move(dispatch);
    } else {
      LogFailure("QueryInterface(IDispatch)", host::kProgId, hr);
    }
    return Connected();
  }

  bool Connected() override { return static_cast<bool>(dispatch_); }

  void Disconnect() override {
    // The reference goes before the apartment that it lives in.
    dispatch_.reset();
    apartment_.reset();
  }

  void LetGoOfHost() override { dispatch_.reset(); }

  void Abandon() override {
    dispatch_.abandon();
    // COM stays initialised on the thread, which is about to end.
    if (apartment_) apartment_->Abandon();
    apartment_.reset();
  }

  std::string GetEntryField(int field) override {
    if (!dispatch_) return std::string();
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = field;
    UniqueVariant result;
    if (!Call(host::kDispidEntryField, DISPATCH_METHOD, &argument, result.get())) {
      return std::string();
    }
    // Whatever the host answered, only a string is read as one.
    if ((*result).vt != VT_BSTR) return std::string();
    return ToHostText((*result).bstrVal);
  }

  double GetFrequency() override {
    if (!dispatch_) return 0.0;
    UniqueVariant result;
    if (!Call(host::kDispidFrequency, DISPATCH_PROPERTYGET, nullptr, result.get())) return 0.0;
    if ((*result).vt == VT_R8) return (*result).dblVal;
    // Another kind of number is taken as one; a text is no frequency.
    if ((*result).vt == VT_BSTR ||
        FAILED(::VariantChangeType(result.get(), result.get(), 0, VT_R8))) {
      return 0.0;
    }
    return (*result).dblVal;
  }

  void SendCommand(const std::string& command) override {
    if (!dispatch_) return;
    UniqueBstr text(win32::Widen(command));
    if (text.get() == nullptr) return;
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = text.get();  // still owned by text
    UniqueVariant result;
    Call(host::kDispidSendCommand, DISPATCH_METHOD, &argument, result.get());
  }

 private:
  // One Invoke by dispatch id with at most one positional argument; true
  // when it succeeded.
  bool Call(int dispid, WORD kind, VARIANT* argument, VARIANT* result) {
    DISPPARAMS params{};
    params.rgvarg = argument;
    params.cArgs = argument != nullptr ? 1 : 0;
    ExceptionInfo error;
    UINT bad_argument = 0;
    const HRESULT hr = dispatch_->Invoke(static_cast<DISPID>(dispid), IID_NULL,
                                         LOCALE_USER_DEFAULT, kind, &params, result, &error.info,
                                         &bad_argument);
    if (SUCCEEDED(hr)) return true;
    LogFailure("IDispatch::Invoke", "dispid " + std::to_string(dispid), hr);
    return false;
  }

  std::unique_ptr<ComApartment> apartment_;
  ComPtr<IDispatch> dispatch_;
};

}  // namespace

namespace host {

Automation& NativeHost() {
  // Lives until the process ends, like the window thread that uses it.
  static ComHost* host = new ComHost;
  return *host;
}

}  // namespace host
}  // namespace stats
