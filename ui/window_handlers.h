#pragma once

#include <windows.h>

#include <cstdint>

class ILayer;
class IWindow;

// Optional callbacks an application attaches to a window; every entry may be empty (the
// default), and the window never frees the table. Each callback receives the window first.
struct WindowHandlers {
  // False keeps the idle loop from sleeping.
  bool (*idle)(IWindow* window) = nullptr;
  // Kept for its place in the table; the framework never calls it.
  void (*reserved)(IWindow* window) = nullptr;
  // True allows the window to close.
  bool (*closeQuery)(IWindow* window) = nullptr;
  void (*created)(IWindow* window) = nullptr;
  void (*destroyed)(IWindow* window) = nullptr;
  void (*mouseHover)(IWindow* window) = nullptr;
  void (*mouseLeave)(IWindow* window) = nullptr;
  void (*timer)(IWindow* window, uint32_t timerId) = nullptr;
  void (*trayMessage)(IWindow* window, WPARAM w, LPARAM l) = nullptr;
  // The three command handlers return true when they handled the command.
  bool (*command)(IWindow* window, int32_t id) = nullptr;
  bool (*accelerator)(IWindow* window, int32_t id) = nullptr;
  bool (*controlCommand)(IWindow* window, int32_t id, int32_t code) = nullptr;
};

// Optional callbacks for what the window's elements report; every entry may be empty.
struct ElementHandlers {
  void (*pressed)(IWindow* window, ILayer* element) = nullptr;
  void (*released)(IWindow* window, ILayer* element) = nullptr;
  void (*clicked)(IWindow* window, ILayer* element) = nullptr;
  void (*valueChanged)(IWindow* window, ILayer* element, const char16_t* text) = nullptr;
  void (*titleChanged)(IWindow* window, ILayer* element, const char16_t* text) = nullptr;
  void (*loaded)(IWindow* window, int32_t value) = nullptr;
};
