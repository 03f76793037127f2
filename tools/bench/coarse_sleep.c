/* A model of Windows without a raised timer resolution, for the benchmarks: preloaded
 * (LD_PRELOAD) into a program, it rounds every sleep up to a whole timer tick of
 * 15.625 ms, as Windows does with its default timer. A job that depends on short sleeps
 * shows it at once. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <time.h>
#include <unistd.h>

static const long kTickNs = 15625000L; /* 1/64 s: the default timer tick */

static struct timespec RoundedUp(const struct timespec* asked) {
  long long ns = (long long)asked->tv_sec * 1000000000LL + asked->tv_nsec;
  long long ticks = (ns + kTickNs - 1) / kTickNs;
  if (ticks < 1) ticks = 1;
  ns = ticks * kTickNs;
  struct timespec rounded = {(time_t)(ns / 1000000000LL), (long)(ns % 1000000000LL)};
  return rounded;
}

int nanosleep(const struct timespec* asked, struct timespec* left) {
  static int (*real)(clockid_t, int, const struct timespec*, struct timespec*);
  if (!real) real = (int (*)(clockid_t, int, const struct timespec*, struct timespec*))
      dlsym(RTLD_NEXT, "clock_nanosleep");
  if (!asked) return real(CLOCK_MONOTONIC, 0, asked, left);
  struct timespec rounded = RoundedUp(asked);
  int error = real(CLOCK_MONOTONIC, 0, &rounded, left);
  if (error) {
    errno = error;
    return -1;
  }
  return 0;
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* asked,
                    struct timespec* left) {
  static int (*real)(clockid_t, int, const struct timespec*, struct timespec*);
  if (!real) real = (int (*)(clockid_t, int, const struct timespec*, struct timespec*))
      dlsym(RTLD_NEXT, "clock_nanosleep");
  if (!asked) return real(clock, flags, asked, left);
  struct timespec length = *asked;
  if (flags & TIMER_ABSTIME) {
    /* A sleep until a moment: its length from now rounds up the same way. */
    struct timespec now;
    clock_gettime(clock, &now);
    long long ns = ((long long)asked->tv_sec - now.tv_sec) * 1000000000LL +
                   (asked->tv_nsec - now.tv_nsec);
    if (ns < 0) ns = 0;
    length.tv_sec = (time_t)(ns / 1000000000LL);
    length.tv_nsec = (long)(ns % 1000000000LL);
  }
  struct timespec rounded = RoundedUp(&length);
  return real(clock, 0, &rounded, (flags & TIMER_ABSTIME) ? NULL : left);
}

int usleep(useconds_t us) {
  struct timespec asked = {(time_t)(us / 1000000), (long)(us % 1000000) * 1000};
  return nanosleep(&asked, NULL);
}
