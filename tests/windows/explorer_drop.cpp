// Does with the files named what Explorer does when its command "Mit KALMIRA konvertieren" is
// chosen on a selection: makes the drop target the installer registered for the command (in a
// KALMIRA that COM starts for it), drops the files on it, and waits until that KALMIRA has ended.
// Usage: explorer_drop.exe FILE...   (full paths); the exit status says whether the drop was taken.
#include <windows.h>
// After windows.h, which they need.
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

// A COM object ends by its last Release: its interface needs no virtual destructor.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

constexpr wchar_t kVerb[] =
    L"Software\\Classes\\SystemFileAssociations\\.bcr\\shell\\kalmira.konvertieren\\DropTarget";

// The files as Explorer's data object gives them to a drop target: a list of their names.
class Files final : public IDataObject {
 public:
  explicit Files(std::wstring names) : names_(std::move(names)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = id == IID_IUnknown || id == IID_IDataObject ? this : nullptr;
    return *object == nullptr ? E_NOINTERFACE : S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the program
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const std::size_t bytes = sizeof(DROPFILES) + names_.size() * sizeof(wchar_t);
    const HGLOBAL list = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(list));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::copy(names_.begin(), names_.end(), reinterpret_cast<wchar_t*>(drop + 1));
    ::GlobalUnlock(list);
    *medium = {TYMED_HGLOBAL, {.hGlobal = list}, nullptr};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::wstring names_;  // each ended by a NUL, the list by another
};

// The KALMIRA that is still running, to wait for; none once it has ended.
HANDLE running_kalmira() {
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {sizeof entry};
  HANDLE process = nullptr;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more && process == nullptr;
       more = ::Process32NextW(snapshot, &entry)) {
    if (::lstrcmpiW(entry.szExeFile, L"kalmira.exe") == 0) {
      process = ::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    }
  }
  ::CloseHandle(snapshot);
  return process;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t text[64];
  DWORD size = sizeof text;
  CLSID drop_target;
  if (::RegGetValueW(HKEY_CURRENT_USER, kVerb, L"CLSID", RRF_RT_REG_SZ, nullptr, text, &size) !=
          ERROR_SUCCESS ||
      FAILED(::CLSIDFromString(text, &drop_target)) || FAILED(::CoInitialize(nullptr))) {
    return 2;
  }
  std::wstring names;
  for (int i = 1; i < argc; ++i) names += std::wstring(argv[i]) + L'\0';
  Files files(names + L'\0');
  IDropTarget* target = nullptr;
  POINTL point = {0, 0};
  DWORD effect = DROPEFFECT_COPY;
  const bool dropped =
      SUCCEEDED(::CoCreateInstance(drop_target, nullptr, CLSCTX_LOCAL_SERVER, IID_IDropTarget,
                                   reinterpret_cast<void**>(&target))) &&
      SUCCEEDED(target->DragEnter(&files, MK_LBUTTON, point, &effect)) &&
      SUCCEEDED(target->Drop(&files, MK_LBUTTON, point, &effect));
  const HANDLE kalmira = running_kalmira();
  if (target != nullptr) target->Release();
  if (kalmira != nullptr) ::WaitForSingleObject(kalmira, 120000);
  ::CoUninitialize();
  return dropped ? 0 : 1;
}
