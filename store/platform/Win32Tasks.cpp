// Task Scheduler 2.0 through its own interface: tasks listed with their XML where their files cannot be
// read, and switched on and off. A task's file is never written here: Windows keeps a hash of each and
// takes an edited one for corrupt.
#include <taskschd.h>

#include "base/Handles.h"
#include "base/Text.h"
#include "store/platform/ComValues.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

// Folders nest no deeper than this in the listing: a loop or a hostile tree must end.
constexpr int kMaxFolderDepth = 32;

HRESULT Connect(ComPtr<ITaskService>& service) {
  HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                service.PutVoid());
  if (FAILED(hr)) return hr;
  const Variant none;  // this machine, as this user
  return service->Connect(none.value, none.value, none.value, none.value);
}

// The task by its path: the folder part ("\" for the root) and its name.
HRESULT OpenTask(const std::string& path, ComPtr<IRegisteredTask>& task) {
  ComPtr<ITaskService> service;
  HRESULT hr = Connect(service);
  if (FAILED(hr)) return hr;
  const std::wstring wide = ToWide(path);
  const size_t slash = wide.rfind(L'\\');
  if (slash == std::wstring::npos || slash + 1 == wide.size()) return E_INVALIDARG;
  const UniqueBstr folderPath = MakeBstr(slash == 0 ? std::wstring(L"\\") : wide.substr(0, slash));
  const UniqueBstr name = MakeBstr(wide.substr(slash + 1));
  ComPtr<ITaskFolder> folder;
  if (FAILED(hr = service->GetFolder(folderPath.Get(), reinterpret_cast<ITaskFolder**>(folder.PutVoid())))) return hr;
  return folder->GetTask(name.Get(), reinterpret_cast<IRegisteredTask**>(task.PutVoid()));
}

HRESULT AppendTasks(ITaskFolder& folder, std::vector<TaskDocument>& tasks) {
  ComPtr<IRegisteredTaskCollection> collection;
  HRESULT hr = folder.GetTasks(TASK_ENUM_HIDDEN, reinterpret_cast<IRegisteredTaskCollection**>(collection.PutVoid()));
  LONG count = 0;
  if (FAILED(hr) || FAILED(hr = collection->get_Count(&count))) return hr;
  for (LONG i = 1; i <= count; ++i) {  // the collection counts from 1
    const Variant index(static_cast<int>(i));
    ComPtr<IRegisteredTask> task;
    UniqueBstr path, xml;
    if (FAILED(hr = collection->get_Item(index.value, reinterpret_cast<IRegisteredTask**>(task.PutVoid()))) ||
        FAILED(hr = task->get_Path(path.Put())) || FAILED(hr = task->get_Xml(xml.Put())))
      return hr;
    tasks.push_back({FromWide(path.Get() ? path.Get() : L""), FromWide(xml.Get() ? xml.Get() : L"")});
  }
  return S_OK;
}

HRESULT AppendFolder(ITaskFolder& folder, int depth, std::vector<TaskDocument>& tasks) {
  HRESULT hr = AppendTasks(folder, tasks);
  if (FAILED(hr) || depth >= kMaxFolderDepth) return hr;
  ComPtr<ITaskFolderCollection> folders;
  LONG count = 0;
  if (FAILED(hr = folder.GetFolders(0, reinterpret_cast<ITaskFolderCollection**>(folders.PutVoid()))) ||
      FAILED(hr = folders->get_Count(&count)))
    return hr;
  for (LONG i = 1; i <= count; ++i) {
    const Variant index(static_cast<int>(i));
    ComPtr<ITaskFolder> child;
    if (FAILED(hr = folders->get_Item(index.value, reinterpret_cast<ITaskFolder**>(child.PutVoid()))) ||
        FAILED(hr = AppendFolder(*child.Get(), depth + 1, tasks)))
      return hr;
  }
  return S_OK;
}

}  // namespace

HRESULT Win32Platform::ListScheduledTasks(std::vector<TaskDocument>& tasks) {
  tasks.clear();
  ComApartment com;
  ComPtr<ITaskService> service;
  HRESULT hr = Connect(service);
  if (FAILED(hr)) return hr;
  const UniqueBstr root = MakeBstr(L"\\");
  ComPtr<ITaskFolder> folder;
  if (FAILED(hr = service->GetFolder(root.Get(), reinterpret_cast<ITaskFolder**>(folder.PutVoid())))) return hr;
  hr = AppendFolder(*folder.Get(), 0, tasks);
  if (FAILED(hr)) tasks.clear();
  return hr;
}

HRESULT Win32Platform::ScheduledTaskEnabled(const std::string& path, bool& enabled) {
  ComApartment com;
  ComPtr<IRegisteredTask> task;
  HRESULT hr = OpenTask(path, task);
  VARIANT_BOOL value = VARIANT_FALSE;
  if (SUCCEEDED(hr) && SUCCEEDED(hr = task->get_Enabled(&value))) enabled = value != VARIANT_FALSE;
  return hr;
}

HRESULT Win32Platform::EnableScheduledTask(const std::string& path, bool enabled) {
  ComApartment com;
  ComPtr<IRegisteredTask> task;
  const HRESULT hr = OpenTask(path, task);
  return FAILED(hr) ? hr : task->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE);
}

}  // namespace kestrun
