// A weston module that gives the headless compositor one seat with a
// keyboard and a pointer. The headless backend has no input devices, so
// without it no window is ever activated or given the keyboard, and a Qt
// program there never has a focus window. The shell activates windows on
// this seat as it would on a real one: a new window takes the keyboard, and
// the one below gets it back when that window goes.
// Load it with: weston --backend=headless-backend.so --modules=<path>.

#include <libweston/libweston.h>

#include <cstdlib>

extern "C" {

// Part of libweston's backend interface: exported by libweston-10, but not
// in its public headers.
void weston_seat_init(weston_seat* seat, weston_compositor* compositor, const char* name);
int weston_seat_init_pointer(weston_seat* seat);
int weston_seat_init_keyboard(weston_seat* seat, xkb_keymap* keymap);

// Called once by weston after its shell is loaded; the seat lives as long as
// the compositor.
WL_EXPORT int wet_module_init(weston_compositor* compositor, int*, char**) {
  auto* seat = static_cast<weston_seat*>(std::calloc(1, sizeof(weston_seat)));
  if (seat == nullptr) return -1;
  weston_seat_init(seat, compositor, "default");
  if (weston_seat_init_pointer(seat) < 0) return -1;
  // A null keymap takes the compositor's default (us).
  return weston_seat_init_keyboard(seat, nullptr);
}

}  // extern "C"
