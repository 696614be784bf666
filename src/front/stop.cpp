// Handlers that only set a flag, installed without SA_RESTART so that a blocked call returns.
#include "front/stop.h"

#include <csignal>
#include <cstdlib>

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

}  // namespace

void listen_for(int signal) {
  struct sigaction current {};
  if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
    set_action(signal, on_stop);
  }
}

void stop_listening(int signal) {
  struct sigaction current {};
  if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == on_stop) {
    set_action(signal, SIG_DFL);
  }
}

void end_by(int signal) {
  set_action(signal, SIG_DFL);
  sigset_t pending{};
  (void)sigemptyset(&pending);
  (void)sigaddset(&pending, signal);
  (void)sigprocmask(SIG_UNBLOCK, &pending, nullptr);
  (void)std::raise(signal);
  std::_Exit(128 + signal);  // not reached: the signal's default action ends the program
}

}  // namespace tessmar
