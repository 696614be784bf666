// Preloaded into a run to hold each removal until the file named by HOLD_UNLINK_UNTIL exists
// (ten seconds at most), having made that name + ".held": a test then knows that the run stands
// just before a removal, and lets it go on when it has arranged what should happen meanwhile.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

void hold() {
  const char* gate = std::getenv("HOLD_UNLINK_UNTIL");
  if (gate == nullptr) {
    return;
  }
  (void)close(open((std::string(gate) + ".held").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  for (int tick = 0; tick < 1000 && access(gate, F_OK) != 0; ++tick) {
    (void)usleep(10000);
  }
}

}  // namespace

extern "C" int unlink(const char* path) noexcept {
  hold();
  return reinterpret_cast<int (*)(const char*)>(dlsym(RTLD_NEXT, "unlink"))(path);
}

extern "C" int unlinkat(int directory, const char* path, int flags) noexcept {
  hold();
  return reinterpret_cast<int (*)(int, const char*, int)>(dlsym(RTLD_NEXT, "unlinkat"))(directory, path, flags);
}
