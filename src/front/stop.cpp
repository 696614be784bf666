// Handlers that only set a flag, installed without SA_RESTART so that a blocked call returns.
#include "front/stop.h"

#include <cstdlib>
#include <vector>

#include "wav/fail.h"

namespace tessmar {
namespace {

extern "C" void on_stop(int signal) { stop_signal = signal; }

void set_action(int signal, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  (void)sigemptyset(&action.sa_mask);
  (void)sigaction(signal, &action, nullptr);
}

// Every signal whose default action ends the program and that no fault of the program raises: a
// crash's signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGSYS, SIGTRAP) cannot be cleaned up
// after, SIGKILL cannot be caught, and past a file-size limit (SIGXFSZ) a write fails instead.
std::vector<int> stop_signals() {
  std::vector<int> signals = {SIGHUP,  SIGINT,  SIGQUIT, SIGPIPE, SIGALRM, SIGTERM,   SIGUSR1,
                              SIGUSR2, SIGPROF, SIGXCPU, SIGPOLL, SIGPWR,  SIGSTKFLT, SIGVTALRM};
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
    signals.push_back(signal);
  }
  return signals;
}

}  // namespace

void listen_for_stops() {
  for (const int signal : stop_signals()) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
      set_action(signal, on_stop);
    }
  }
}

void stop_listening() {
  for (const int signal : stop_signals()) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == on_stop) {
      set_action(signal, SIG_DFL);
    }
  }
}

void stop_if_asked() {
  if (stop_signal != 0) {
    fail(Fault::kStopped);
  }
}

void act_by_default(int signal) {
  set_action(signal, SIG_DFL);
  sigset_t pending{};
  (void)sigemptyset(&pending);
  (void)sigaddset(&pending, signal);
  (void)sigprocmask(SIG_UNBLOCK, &pending, nullptr);
  (void)std::raise(signal);
}

void end_by(int signal) {
  act_by_default(signal);
  std::_Exit(128 + signal);  // not reached: the signal's default action ends the program
}

}  // namespace tessmar
