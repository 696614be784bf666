// Preloaded into a run to hold one of its calls, so that a test knows where the run stands: the
// call named by HOLD_CALL (unlink, flock, or fflush of a file), once HOLD_SKIP of them (none unless set) have
// gone by, waits until the file named by HOLD_UNTIL exists, a signal arrives or ten seconds pass,
// having made that name + ".held". Only the calls the program makes itself are seen.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int seen = 0;

void hold(const char* call) {
  const char* name = std::getenv("HOLD_CALL");
  const char* gate = std::getenv("HOLD_UNTIL");
  const char* skip = std::getenv("HOLD_SKIP");
  if (name == nullptr || gate == nullptr || std::strcmp(name, call) != 0 ||
      seen++ != (skip ? std::strtol(skip, nullptr, 10) : 0)) {
    return;
  }
  if (std::FILE* held = std::fopen((std::string(gate) + ".held").c_str(), "w")) {
    (void)std::fclose(held);
  }
  for (int tick = 0; tick < 1000 && access(gate, F_OK) != 0 && usleep(10000) == 0; ++tick) {
  }
}

}  // namespace

extern "C" int unlink(const char* path) noexcept {
  hold("unlink");
  return reinterpret_cast<int (*)(const char*)>(dlsym(RTLD_NEXT, "unlink"))(path);
}

extern "C" int unlinkat(int directory, const char* path, int flags) noexcept {
  hold("unlink");
  return reinterpret_cast<int (*)(int, const char*, int)>(dlsym(RTLD_NEXT, "unlinkat"))(directory, path, flags);
}

extern "C" int flock(int descriptor, int operation) noexcept {
  hold("flock");
  return reinterpret_cast<int (*)(int, int)>(dlsym(RTLD_NEXT, "flock"))(descriptor, operation);
}

extern "C" int fflush(std::FILE* stream) {
  if (stream != stdout) {
    hold("fflush");
  }
  return reinterpret_cast<int (*)(std::FILE*)>(dlsym(RTLD_NEXT, "fflush"))(stream);
}
