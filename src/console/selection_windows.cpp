// Explorer hands a selection to its command's drop target: a COM object that Explorer makes in
// the program (started with "-Embedding", as its class's LocalServer32 says), and on which it
// drops the selected files, all at once, however many they are. The program takes their names
// and lets Explorer go before it converts them.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "console/selection.h"

// A COM object ends by its last Release, never through a pointer to its interface: the
// interfaces have no virtual destructor, and need none.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace kalmira {
namespace {

// A name in the ANSI code page, as a name on the command line comes.
std::string ansi(const std::wstring& wide) {
  const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string name(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), name.data(), size,
                        nullptr, nullptr);
  return name;
}

// The names of the files dropped, from the drop's file list.
std::vector<std::string> names_in(IDataObject* data) {
  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium;
  std::vector<std::string> names;
  if (FAILED(data->GetData(&format, &medium))) return names;
  if (auto drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal))) {
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      std::wstring wide(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
      ::DragQueryFileW(drop, i, wide.data(), static_cast<UINT>(wide.size() + 1));
      names.push_back(ansi(wide));
    }
    ::GlobalUnlock(medium.hGlobal);
  }
  ::ReleaseStgMedium(&medium);
  return names;
}

// The drop target: takes the names of a drop, then ends the wait for it; so does its last
// release without a drop.
class DropTarget final : public IDropTarget {
 public:
  explicit DropTarget(std::optional<std::vector<std::string>>& dropped) : dropped_(dropped) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = id == IID_IUnknown || id == IID_IDropTarget ? this : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--references_ == 0) ::PostQuitMessage(0);
    return static_cast<ULONG>(references_);
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    dropped_ = names_in(data);
    *effect = DROPEFFECT_COPY;
    ::PostQuitMessage(0);
    return S_OK;
  }

 private:
  std::optional<std::vector<std::string>>& dropped_;
  long references_ = 1;  // the factory's own
};

// Makes the one drop target for Explorer.
class Factory final : public IClassFactory {
 public:
  explicit Factory(DropTarget& target) : target_(target) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = id == IID_IUnknown || id == IID_IClassFactory ? this : nullptr;
    return *object == nullptr ? E_NOINTERFACE : S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the wait
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return target_.QueryInterface(id, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  DropTarget& target_;
};

}  // namespace

std::optional<std::vector<std::string>> explorer_selection(std::span<const std::string> arguments) {
  if (arguments.size() != 1 || (arguments[0] != "-Embedding" && arguments[0] != "/Embedding")) {
    return std::nullopt;
  }
  std::optional<std::vector<std::string>> dropped;
  CLSID drop_target;  // as the build names it, and the installer registers it
  if (FAILED(::CLSIDFromString(KALMIRA_DROP_TARGET, &drop_target)) ||
      FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    return std::vector<std::string>{};
  }
  {
    DropTarget target(dropped);
    Factory factory(target);
    DWORD registration = 0;
    if (SUCCEEDED(::CoRegisterClassObject(drop_target, &factory, CLSCTX_LOCAL_SERVER,
                                          REGCLS_SINGLEUSE, &registration))) {
      for (MSG message; ::GetMessageW(&message, nullptr, 0, 0) > 0;) ::DispatchMessageW(&message);
      ::CoRevokeClassObject(registration);
    }
  }
  ::CoUninitialize();
  return dropped.value_or(std::vector<std::string>{});
}

}  // namespace kalmira
