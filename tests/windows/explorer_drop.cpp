// Does with the files named what Explorer does when its command "Mit KALMIRA konvertieren" is
// chosen on a selection: makes the drop target the installer registered for the command (in a
// KALMIRA that COM starts for it), drops the files on it, and waits until that KALMIRA has ended.
// Usage: explorer_drop.exe FILE...   (full paths); the exit status says whether the drop was taken.
#include <windows.h>
// After windows.h, which they need.
#include <shlobj.h>
#include <tlhelp32.h>

#include <vector>

namespace {

constexpr wchar_t kVerb[] =
    L"Software\\Classes\\SystemFileAssociations\\.bcr\\shell\\kalmira.konvertieren\\DropTarget";

// The files as Explorer hands a selection in one folder to a drop target: the data object the
// folder makes for them. Null where there is none or a path names no file.
IDataObject* selection(int count, wchar_t** paths) {
  if (count < 1) return nullptr;
  std::vector<PIDLIST_ABSOLUTE> items(count);
  std::vector<PCUITEMID_CHILD> children;
  for (int i = 0; i < count; ++i) {
    if (FAILED(::SHParseDisplayName(paths[i], nullptr, &items[i], 0, nullptr))) return nullptr;
    children.push_back(::ILFindLastID(items[i]));
  }
  IShellFolder* folder = nullptr;
  IDataObject* files = nullptr;
  if (SUCCEEDED(::SHBindToParent(items[0], IID_PPV_ARGS(&folder), nullptr))) {
    folder->GetUIObjectOf(nullptr, count, children.data(), IID_IDataObject, nullptr,
                          reinterpret_cast<void**>(&files));
    folder->Release();
  }
  return files;
}

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
  IDataObject* files = selection(argc - 1, argv + 1);
  IDropTarget* target = nullptr;
  POINTL point = {0, 0};
  DWORD effect = DROPEFFECT_COPY;
  const bool dropped = files != nullptr &&
                       SUCCEEDED(::CoCreateInstance(drop_target, nullptr, CLSCTX_LOCAL_SERVER,
                                                    IID_PPV_ARGS(&target))) &&
                       SUCCEEDED(target->DragEnter(files, MK_LBUTTON, point, &effect)) &&
                       SUCCEEDED(target->Drop(files, MK_LBUTTON, point, &effect));
  const HANDLE kalmira = running_kalmira();
  if (target != nullptr) target->Release();
  if (files != nullptr) files->Release();
  if (kalmira != nullptr) ::WaitForSingleObject(kalmira, 120000);
  ::CoUninitialize();
  return dropped ? 0 : 1;
}
