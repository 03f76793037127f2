// The simulator's event loop.
#include "sim_loop.h"

#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "adapter_hold.h"
#include "json_writer.h"
#include "line_output.h"

namespace k470sim {

namespace {

constexpr int kReadChunk = 4096;
constexpr double kRetryAfterErrorS = 0.005;  // master read failed (no slave open): wait
constexpr double kIdlePollS = 0.25;  // longest wait between looks at the parent

volatile sig_atomic_t g_stop = 0;
volatile sig_atomic_t g_reset = 0;  // the reset button was pressed (SIGUSR1)

void OnStopSignal(int) { g_stop = 1; }
void OnResetSignal(int) { g_reset = 1; }

timespec ToTimespec(double s) {
  if (s < 0) s = 0;
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(s);
  ts.tv_nsec = static_cast<long>((s - static_cast<double>(ts.tv_sec)) * 1e9);
  return ts;
}

// Hands the host what has reached it. A byte sent at a rate the host does not listen at
// arrives as garbage. Behind an adapter, a byte that has left the line waits in the
// adapter for its packet.
void Flush(PtyLine& line, LineOutput& out, AdapterHold& adapter, LineNoise& noise,
           LoopStats& stats) {
  double now = Now();
  uint8_t buf[kReadChunk];
  int n = 0;
  if (!out.Empty() && out.NextDue() <= now) {
    HostLine host = line.Host();
    while (!out.Empty() && out.NextDue() <= now && n < kReadChunk) {
      const QueuedByte& q = out.Front();
      bool garbled = !host.is8N1 || host.rate != q.rate;
      const uint8_t value =
          noise.Pass(LineDirection::kUp, garbled ? Scramble(q.value) : q.value, q.due);
      if (garbled) ++stats.sentGarbled;
      stats.lineSeconds += ByteTime(q.rate);
      if (adapter.Active()) {
        adapter.Take(value, q.due);
      } else {
        buf[n++] = value;
      }
      out.Pop();
    }
  }
  if (adapter.Active()) n = static_cast<int>(adapter.Release(now, buf, sizeof buf));
  int off = 0;
  while (off < n) {
    ssize_t w = write(line.MasterFd(), buf + off, static_cast<size_t>(n - off));
    if (w > 0) {
      off += static_cast<int>(w);
    } else if (w < 0 && errno == EINTR) {
      continue;
    } else {
      // The host's receive buffer is full (it does not read) or nobody can take the
      // bytes: they are lost, as on a real line, where the target sends regardless.
      stats.lost += static_cast<uint64_t>(n - off);
      break;
    }
  }
  stats.sent += static_cast<uint64_t>(n);
}

// When the loop must look again to hand the host its next bytes.
double NextWake(const LineOutput& out, const AdapterHold& adapter, const Target& target,
                double now) {
  double at = now + kIdlePollS;
  const double timer = target.NextTimer();
  if (timer >= 0) at = std::min(at, timer);
  if (!out.Empty()) at = std::min(at, out.NextDue());
  if (!adapter.Empty()) at = std::min(at, adapter.ReleaseAt());
  return at;
}

}  // namespace

double Now() {
  static timespec start = [] {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t;
  }();
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec - start.tv_sec) +
         static_cast<double>(t.tv_nsec - start.tv_nsec) / 1e9;
}

void InstallStopSignals() {
  struct sigaction sa{};
  sa.sa_handler = OnStopSignal;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  struct sigaction reset{};
  reset.sa_handler = OnResetSignal;
  sigaction(SIGUSR1, &reset, nullptr);
  signal(SIGHUP, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  // Blocked except inside ppoll, so a stop request cannot slip in between the check and
  // the wait.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGUSR1);
  sigprocmask(SIG_BLOCK, &set, nullptr);
}

void LoopStats::Write(JsonWriter& json) const {
  json.Int("bytes_received", static_cast<int64_t>(received));
  json.Int("bytes_sent", static_cast<int64_t>(sent));
  json.Int("garbled_received", static_cast<int64_t>(garbled));
  json.Int("garbled_sent", static_cast<int64_t>(sentGarbled));
  json.Int("lost_sent", static_cast<int64_t>(lost));
  json.BeginArray("rates");
  for (uint32_t r : rates) json.Int(nullptr, r);
  json.EndArray();
  json.Bool("dropped", dropped);
  json.Number("line_seconds", lineSeconds);
  json.String("stopped_by", stoppedBy);
}

void RunLoop(PtyLine& line, Target& target, const SimOptions& options, pid_t parent,
             LineNoise& noise, LoopStats& stats) {
  LineOutput out(options.pacing);
  AdapterHold adapter(options.latencyMs / 1000.0, static_cast<size_t>(options.packetBytes));
  out.SetMuted(options.silent || options.stopAfter == 0);
  out.SetLimit(options.cutAfter);
  double inLineFree = 0;  // when the host's last byte has fully arrived
  sigset_t waitMask;
  sigprocmask(SIG_SETMASK, nullptr, &waitMask);
  sigdelset(&waitMask, SIGTERM);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGUSR1);
  uint8_t buf[kReadChunk];
  if (options.dropAfter == 0) {
    stats.dropped = true;
    stats.stoppedBy = "drop";
    line.Close();
    return;
  }

  while (!g_stop) {
    // Whoever started the simulator is gone (a test run that was killed, say): stop too,
    // rather than hold a pty for nobody.
    if (getppid() != parent) {
      stats.stoppedBy = "parent";
      return;
    }
    double now = Now();
    // What the target does of its own accord: a reset, a started program's output.
    if (g_reset) {
      g_reset = 0;
      target.OnReset(now, out);
    }
    const double timer = target.NextTimer();
    if (timer >= 0 && timer <= now) target.OnTimer(now, out);
    Flush(line, out, adapter, noise, stats);
    now = Now();
    double wait = std::clamp(NextWake(out, adapter, target, now) - now, 0.0, kIdlePollS);
    pollfd fds[2] = {{line.MasterFd(), POLLIN, 0}, {line.WatchFd(), POLLIN, 0}};
    pollfd& p = fds[0];
    timespec ts = ToTimespec(wait);
    int r = ppoll(fds, line.WatchFd() >= 0 ? 2 : 1, &ts, &waitMask);
    if (r < 0 && errno != EINTR) break;
    if (r <= 0) continue;
    if (fds[1].revents & POLLIN) line.OnHostOpenClose();
    if (!(p.revents & (POLLIN | POLLHUP | POLLERR))) continue;
    if (!(p.revents & POLLIN)) {
      // No slave open at all (should not happen, the simulator holds one): wait.
      timespec pause = ToTimespec(kRetryAfterErrorS);
      ppoll(nullptr, 0, &pause, &waitMask);
      continue;
    }
    ssize_t n = read(line.MasterFd(), buf, sizeof buf);
    if (n <= 0) {
      // EIO when the host side is closed: the host is reopening the port. Wait and retry.
      timespec pause = ToTimespec(kRetryAfterErrorS);
      ppoll(nullptr, 0, &pause, &waitMask);
      continue;
    }
    now = Now();
    HostLine host = line.Host();
    if (stats.rates.empty() || stats.rates.back() != host.rate) stats.rates.push_back(host.rate);
    double byteTime = options.pacing ? ByteTime(host.rate) : 0.0;
    for (ssize_t i = 0; i < n; ++i) {
      RxByte rx;
      inLineFree = std::max(now, inLineFree) + byteTime;
      rx.time = inLineFree;
      rx.rate = host.rate;
      rx.index = stats.received;
      uint32_t listen = target.ListenRate();
      rx.garbled = !host.is8N1 || host.rate == 0 || (listen != 0 && listen != host.rate);
      rx.value = noise.Pass(LineDirection::kDown, rx.garbled ? Scramble(buf[i]) : buf[i], rx.time);
      if (rx.garbled) ++stats.garbled;
      ++stats.received;
      stats.lineSeconds += ByteTime(host.rate);
      if (options.stopAfter >= 0 && rx.index >= static_cast<uint64_t>(options.stopAfter)) {
        out.SetMuted(true);
      }
      target.OnByte(rx, out);
      if (options.dropAfter >= 0 && stats.received >= static_cast<uint64_t>(options.dropAfter)) {
        stats.dropped = true;
        stats.stoppedBy = "drop";
        line.Close();
        return;
      }
    }
  }
  if (g_stop) stats.stoppedBy = "signal";
}

}  // namespace k470sim
