// shortcut-target LINK: prints the program a shortcut (.lnk) starts, as the
// shell resolves it, in UTF-8. The installer test starts that program.

#include <windows.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "search/win32/wide_text.h"

namespace {

int Fail(const char* what, HRESULT result) {
  std::fprintf(stderr, "shortcut-target: %s failed: 0x%08lx\n", what, static_cast<unsigned long>(result));
  return 1;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc != 2) {
    std::fprintf(stderr, "usage: shortcut-target LINK\n");
    return 2;
  }
  HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(result)) return Fail("CoInitializeEx", result);
  IShellLinkW* link = nullptr;
  result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                            reinterpret_cast<void**>(&link));
  if (FAILED(result)) return Fail("CoCreateInstance", result);
  IPersistFile* file = nullptr;
  result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(result)) return Fail("QueryInterface", result);
  result = file->Load(argv[1], STGM_READ);
  if (FAILED(result)) return Fail("IPersistFile::Load", result);
  wchar_t target[MAX_PATH] = {};
  result = link->GetPath(target, MAX_PATH, nullptr, 0);
  if (result != S_OK) return Fail("IShellLinkW::GetPath", result);

  std::printf("%s\n", dustvane::Utf8FromWide(target).c_str());
  file->Release();
  link->Release();
  CoUninitialize();
  return 0;
}
