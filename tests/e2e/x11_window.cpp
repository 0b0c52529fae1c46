// A small X client for the end-to-end tests: finds a top-level window by its
// exact title, and asks a window to close the way a window manager's close
// box does (WM_DELETE_WINDOW), which xdotool cannot do.
//
//   x11_window find TITLE   prints the window id, or exits 1 when none
//   x11_window close ID     sends WM_DELETE_WINDOW to the window
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

Window findByTitle(Display* display, Window parent, const std::string& title) {
  char* name = nullptr;
  if (XFetchName(display, parent, &name) != 0 && name != nullptr) {
    const bool match = title == name;
    XFree(name);
    if (match) return parent;
  }
  Window root = 0;
  Window up = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && found == 0; ++i) {
    found = findByTitle(display, children[i], title);
  }
  if (children != nullptr) XFree(children);
  return found;
}

int closeWindow(Display* display, Window window) {
  XEvent event;
  std::memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  if (XSendEvent(display, window, False, NoEventMask, &event) == 0) return 1;
  XSync(display, False);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "find") != 0 && std::strcmp(argv[1], "close") != 0)) {
    std::fprintf(stderr, "usage: x11_window find TITLE | close ID\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "x11_window: cannot open the display\n");
    return 2;
  }
  int status = 1;
  if (std::strcmp(argv[1], "find") == 0) {
    const Window window = findByTitle(display, DefaultRootWindow(display), argv[2]);
    if (window != 0) {
      std::printf("%lu\n", static_cast<unsigned long>(window));
      status = 0;
    }
  } else {
    status = closeWindow(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
  }
  XCloseDisplay(display);
  return status;
}
