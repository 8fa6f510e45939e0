#include "ui/win32/accessible_names.h"

#include <oleacc.h>

#include "search/win32/wide_text.h"

namespace dustvane {

namespace {

// Spelled out here: the import library's IID_IAccessible and friends are
// stubs, not the identifiers themselves.
constexpr GUID kAccPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

}  // namespace

Win32AccessibleNames::~Win32AccessibleNames() {
  Clear();
  if (services_) services_->Release();
  if (startedCom_) CoUninitialize();
}

void Win32AccessibleNames::Give(HWND control, const std::string& name) {
  if (!services_) {
    // COM on this thread, for as long as the names are kept.
    if (!startedCom_) startedCom_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER, kAccPropServicesInterface,
                                reinterpret_cast<void**>(&services_)))) {
      services_ = nullptr;
      return;
    }
  }
  if (SUCCEEDED(services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kNameProperty,
                                          WideFromUtf8(name).c_str()))) {
    named_.push_back(control);
  }
}

void Win32AccessibleNames::Clear() {
  for (HWND control : named_) {
    services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &kNameProperty, 1);
  }
  named_.clear();
}

}  // namespace dustvane
