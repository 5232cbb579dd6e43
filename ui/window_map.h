#pragma once

#include <cstdint>
#include <map>

class IWindow;

// A registry of live windows by key. It does not own the window objects: it destroys their
// native windows, never the objects. The order of the operations is fixed.
class IWindowMap {
 public:
  virtual IWindow* Find(int32_t key) = 0;
  // Enters window under key (-1: a key made from its handle) and tells the window its key and
  // its map. The key, or -1 without a window or when the key is taken.
  virtual int32_t Add(int32_t key, IWindow* window) = 0;
  // Destroys the window under key and forgets it; false when the key is not present.
  virtual bool Remove(int32_t key) = 0;
  // PaintNow on every window; true when at least one painted.
  virtual bool PaintAll() = 0;
  virtual void DestroyAll() = 0;
  virtual void DestroyAllExcept(int32_t key) = 0;
  virtual ~IWindowMap() = default;
  // IdleStep on every window; true only when every one of them is idle.
  virtual bool IdleAll() = 0;
};

class CWindowMap : public IWindowMap {
 public:
  CWindowMap() = default;
  ~CWindowMap() override;
  CWindowMap(const CWindowMap&) = delete;
  CWindowMap& operator=(const CWindowMap&) = delete;

  IWindow* Find(int32_t key) override;
  int32_t Add(int32_t key, IWindow* window) override;
  bool Remove(int32_t key) override;
  bool PaintAll() override;
  void DestroyAll() override;
  void DestroyAllExcept(int32_t key) override;
  bool IdleAll() override;

  int32_t Count() const { return static_cast<int32_t>(windows_.size()); }

 private:
  std::map<int32_t, IWindow*> windows_;
};
