#include "app/FontConfigLoad.h"

#include <dlfcn.h>

namespace {
FontConfigLoad* Running = nullptr;
} // namespace

FontConfigLoad::FontConfigLoad() {
    // Qt's GUI library brings fontconfig in; asked by name, it needs no link
    // of its own and is skipped on a Qt built without it.
    using Init = int (*)();
    auto init = reinterpret_cast<Init>(::dlsym(RTLD_DEFAULT, "FcInit"));
    if (!init) return;
    // FcInit keeps the configuration it loads as the current one; a second
    // call finds it there.
    thread_ = std::thread([init] { init(); });
    Running = this;
}

FontConfigLoad::~FontConfigLoad() {
    wait();
    if (Running == this) Running = nullptr;
}

void FontConfigLoad::wait() {
    if (Running && Running->thread_.joinable()) Running->thread_.join();
}
