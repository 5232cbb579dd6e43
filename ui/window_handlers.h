#pragma once

#include <windows.h>

#include <cstdint>

class ILayer;
class IWindow;

// Optional callbacks an application attaches to a window; every entry may be empty, and the
// window never frees the table. Each callback receives the window first.
struct WindowHandlers {
  // False keeps the idle loop from sleeping.
  bool (*idle)(IWindow* window);
  // Kept for its place in the table; the framework never calls it.
  void (*reserved)(IWindow* window);
  // True allows the window to close.
  bool (*closeQuery)(IWindow* window);
  void (*created)(IWindow* window);
  void (*destroyed)(IWindow* window);
  void (*mouseHover)(IWindow* window);
  void (*mouseLeave)(IWindow* window);
  void (*timer)(IWindow* window, uint32_t timerId);
  void (*trayMessage)(IWindow* window, WPARAM w, LPARAM l);
  // The three command handlers return true when they handled the command.
  bool (*command)(IWindow* window, int32_t id);
  bool (*accelerator)(IWindow* window, int32_t id);
  bool (*controlCommand)(IWindow* window, int32_t id, int32_t code);
};

// Optional callbacks for what the window's elements report; every entry may be empty.
struct ElementHandlers {
  void (*pressed)(IWindow* window, ILayer* element);
  void (*released)(IWindow* window, ILayer* element);
  void (*clicked)(IWindow* window, ILayer* element);
  void (*valueChanged)(IWindow* window, ILayer* element, const char16_t* text);
  void (*titleChanged)(IWindow* window, ILayer* element, const char16_t* text);
  void (*loaded)(IWindow* window, int32_t value);
};
