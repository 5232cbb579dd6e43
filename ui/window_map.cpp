#include "ui/window_map.h"

#include <utility>
#include <vector>

#include "ui/window.h"
#include "ui/window_geometry.h"

namespace {

// Walks a copy of the entries: a window's own handling (its WM_DESTROY above all) may change the
// map meanwhile, and an entry it erased is not visited again.
template <typename Action>
void ForEachEntered(std::map<int32_t, IWindow*>& windows, Action action) {
  const std::vector<std::pair<int32_t, IWindow*>> entries(windows.begin(), windows.end());
  for (const auto& entry : entries) {
    auto current = windows.find(entry.first);
    if (current == windows.end() || current->second != entry.second) continue;
    if (entry.second != nullptr) action(entry.first, *entry.second);
  }
}

}  // namespace

CWindowMap::~CWindowMap() { DestroyAll(); }

IWindow* CWindowMap::Find(int32_t key) {
  auto entry = windows_.find(key);
  return entry == windows_.end() ? nullptr : entry->second;
}

int32_t CWindowMap::Add(int32_t key, IWindow* window) {
  if (window == nullptr) return -1;
  if (key == -1) {
    key = AutomaticWindowKey(reinterpret_cast<uintptr_t>(window->GetHwnd()));
  }
  if (!windows_.emplace(key, window).second) return -1;
  window->SetId(key);
  window->SetMap(this);
  return key;
}

bool CWindowMap::Remove(int32_t key) {
  auto entry = windows_.find(key);
  if (entry == windows_.end()) return false;
  const int32_t removedKey = key;
  IWindow* window = entry->second;
  // Destroying the window may come back here through its WM_DESTROY and erase the entry first.
  if (window != nullptr) window->Destroy();
  windows_.erase(removedKey);
  return true;
}

bool CWindowMap::PaintAll() {
  bool painted = false;
  ForEachEntered(windows_, [&painted](int32_t, IWindow& window) {
    if (window.PaintNow()) painted = true;
  });
  return painted;
}

void CWindowMap::DestroyAll() {
  ForEachEntered(windows_, [](int32_t, IWindow& window) { window.Destroy(); });
  windows_.clear();
}

void CWindowMap::DestroyAllExcept(int32_t key) {
  ForEachEntered(windows_, [this, key](int32_t entryKey, IWindow& window) {
    if (entryKey == key) return;
    window.Destroy();
    windows_.erase(entryKey);
  });
}

bool CWindowMap::IdleAll() {
  bool idle = true;
  ForEachEntered(windows_, [&idle](int32_t, IWindow& window) {
    if (!window.IdleStep()) idle = false;
  });
  return idle;
}
