/* pinclock EPOCH PROGRAM [ARG...]: runs PROGRAM with the wall clock stopped at EPOCH (seconds since
 * 1970) and without address space randomisation. For the Free Pascal help compiler, which stamps the
 * time into every CHM it writes, reading the clock by raw system calls out of reach of LD_PRELOAD
 * tools like faketime, and which writes some bytes that follow where its heap happens to lie.
 * Linux x86-64 only; follows the one process it starts (threads and children see the real clock). */
#define _GNU_SOURCE
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/personality.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static void poke(pid_t pid, unsigned long long at, long long first, long long second) {
  if (at == 0) return;
  ptrace(PTRACE_POKEDATA, pid, (void*)at, (void*)first);
  ptrace(PTRACE_POKEDATA, pid, (void*)(at + 8), (void*)second);
}

/* At a system call's exit: overwrite what the clock calls returned. */
static void pin(pid_t pid, long long epoch) {
  struct user_regs_struct regs;
  if (ptrace(PTRACE_GETREGS, pid, 0, &regs) != 0 || (long long)regs.rax < 0) return;
  switch (regs.orig_rax) {
    case SYS_time:
      if (regs.rdi) ptrace(PTRACE_POKEDATA, pid, (void*)regs.rdi, (void*)epoch);
      regs.rax = epoch;
      ptrace(PTRACE_SETREGS, pid, 0, &regs);
      break;
    case SYS_gettimeofday:
      poke(pid, regs.rdi, epoch, 0);
      break;
    case SYS_clock_gettime:
      if (regs.rdi == CLOCK_REALTIME || regs.rdi == CLOCK_REALTIME_COARSE) poke(pid, regs.rsi, epoch, 0);
      break;
  }
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: pinclock EPOCH PROGRAM [ARG...]\n");
    return 2;
  }
  const long long epoch = atoll(argv[1]);
  const pid_t pid = fork();
  if (pid < 0) return perror("pinclock: fork"), 2;
  if (pid == 0) {
    if (personality(ADDR_NO_RANDOMIZE) == -1) perror("pinclock: personality");
    ptrace(PTRACE_TRACEME, 0, 0, 0);
    raise(SIGSTOP);
    execvp(argv[2], argv + 2);
    fprintf(stderr, "pinclock: cannot run %s\n", argv[2]);
    _exit(127);
  }
  int status;
  waitpid(pid, &status, 0);
  ptrace(PTRACE_SETOPTIONS, pid, 0, (void*)(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));
  int in_call = 0, signal_to_pass = 0;
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, pid, 0, (void*)(long)signal_to_pass) != 0) return perror("pinclock"), 2;
    signal_to_pass = 0;
    if (waitpid(pid, &status, 0) < 0) return perror("pinclock: waitpid"), 2;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    if (WSTOPSIG(status) == (SIGTRAP | 0x80)) {
      if (in_call) pin(pid, epoch);
      in_call = !in_call;
    } else if (WSTOPSIG(status) != SIGTRAP) {
      signal_to_pass = WSTOPSIG(status);
    }
  }
}
