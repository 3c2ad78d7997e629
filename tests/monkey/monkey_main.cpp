// tikhomap_monkey [--seed S] [--events N] [--exit-test]: the whole program
// on the tiny sample city under a seeded random stream of a person's
// actions (see monkey_driver.h).
//
// The run itself happens in a child process (this program again, with
// --child), so that a crash or a sanitizer abort is caught like a broken
// invariant. On a failure the seed and the failure are printed, and the
// shortest prefix of the stream that still fails is found by running
// children with fewer events; its event lines are printed.
//
// --exit-test: after the events, "Выход" is chosen and the application's
// event loop must end by itself with every window of the program closed.

// The stack trace of a warning comes from the address sanitizer's runtime,
// which only the sanitized build links.
#if defined(__SANITIZE_ADDRESS__)
#define TIKHOMAP_MONKEY_HAS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TIKHOMAP_MONKEY_HAS_ASAN 1
#endif
#endif
#ifdef TIKHOMAP_MONKEY_HAS_ASAN
#include <sanitizer/common_interface_defs.h>
#endif
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app/program.h"
#include "citygen/city_generator.h"
#include "mapdata/tkm_writer.h"
#include "resources/command_ids.h"
#include "tests/monkey/monkey_driver.h"

namespace {

struct Options {
  uint64_t seed = 1;
  int events = 2000;
  bool child = false;
  bool exitTest = false;
  std::string log;         // where a child writes its event lines
  int stallSeconds = 300;  // no event for this long: the program hangs
};

constexpr const char* kFailureMark = "MONKEY-FAILURE after ";

int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// ---- the child: one run ---------------------------------------------------------

// The offscreen platform's notes about what it cannot do (raise a window,
// grab the keyboard) say nothing about the program: they are dropped.
void quietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
#ifdef TIKHOMAP_MONKEY_HAS_ASAN
  if (qEnvironmentVariableIsSet("MONKEY_TRACE_WARNINGS")) __sanitizer_print_stack_trace();
#endif
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

int runChild(const Options& o, int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(quietMessages);
  std::FILE* log = o.log.empty() ? stdout : std::fopen(o.log.c_str(), "w");
  if (log == nullptr) {
    std::perror(o.log.c_str());
    return 2;
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tikhomap_monkey_" + std::to_string(getpid()));
  std::filesystem::remove_all(folder);
  {
    tikhomap::CityOptions city;
    city.size = tikhomap::CitySize::Tiny;
    const tikhomap::GeneratedCity made = tikhomap::generateCity(city);
    if (!tikhomap::writeMapFolder(folder, made.map, made.regional, made.cityWater)) {
      std::fprintf(stderr, "cannot write the tiny city into %s\n", folder.c_str());
      return 2;
    }
  }
  // Remembered print settings stay in the run's folder, never in the home.
  qputenv("XDG_CONFIG_HOME", (folder / "config").string().c_str());
  // The file dialogs start in the working folder and may make new folders or
  // save reports there: keep all of it inside the run's folder too.
  const std::filesystem::path desk = folder / "desk";
  std::filesystem::create_directories(desk);
  std::filesystem::current_path(desk);
  qputenv("HOME", desk.string().c_str());
  const auto failed = [&folder, log](int events, const std::string& what) {
    std::fprintf(log, "%s%d events: %s\n", kFailureMark, events, what.c_str());
    std::fflush(log);
    std::filesystem::remove_all(folder);
    _exit(3);
  };

  int status = 0;
  {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tikhomap"));
    tikhomap::MainWindow window(folder);
    const tikhomap::ProgramParts parts = tikhomap::installProgram(window);
    // As the program starts: the screen's free area, maximised.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      window.setGeometry(screen->availableGeometry());
    }
    window.showMaximized();
    const int64_t start = nowMs();
    while (!(window.session().baseMapLoaded() && !window.session().map.buildings.empty() &&
             window.composeCount() >= 1 && !window.recomposePending())) {
      if (nowMs() - start > 60000) failed(0, "the tiny city did not load within 60 s");
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    tikhomap::monkey::Driver driver(window, parts.mouse, parts.printing, o.seed);
    driver.setEcho(log);
    driver.setFolders(&parts.folders);
    // A folder that is not a map is answered with a message box; the run
    // notes the answer instead of waiting for a person.
    window.setOpenFailedHandler([log](const QString& message) {
      std::fprintf(log, "        open refused: %s\n", message.toUtf8().constData());
    });
    driver.setFailureHandler(failed);
    std::atomic<bool> over{false};
    std::thread watchdog([&] {
      while (!over) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (!over && nowMs() - driver.lastProgressMs() > o.stallSeconds * 1000LL) {
          failed(driver.eventsDone(),
                 "no progress for " + std::to_string(o.stallSeconds) + " s (the program hangs)");
        }
      }
    });
    driver.run(o.events);
    over = true;
    watchdog.join();
    if (driver.programEnded()) failed(driver.eventsDone(), "the program ended by itself");

    if (o.exitTest) {
      std::fprintf(log, "        menu %d «Выход»\n", tikhomap::ids::kExit);
      std::fflush(log);
      QTimer::singleShot(0, &window, [&window] { window.action(tikhomap::ids::kExit)->trigger(); });
      // The event loop must end by itself, soon.
      QTimer::singleShot(20000, &app, [&] { failed(o.events, "Выход left the program running"); });
      status = QApplication::exec();
      if (status != 0)
        failed(o.events, "Выход ended the program with status " + std::to_string(status));
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible()) {
          failed(o.events, "after Выход the window " + top->objectName().toStdString() + " (" +
                               top->metaObject()->className() + ") is still shown");
        }
      }
      std::fprintf(log, "Выход closed the program\n");
    }
  }
  std::filesystem::remove_all(folder);
  if (log != stdout) std::fclose(log);
  return status;
}

// ---- the parent: runs children and shrinks a failure ------------------------------

struct ChildResult {
  bool failed = false;
  std::string why;  // the failure line, or how the child ended
  int events = 0;   // events carried out before it failed
  std::vector<std::string> lines;
};

ChildResult runOne(const Options& o, int events, const std::string& log, const std::string& err) {
  const std::string seed = std::to_string(o.seed);
  const std::string count = std::to_string(events);
  const std::string stall = std::to_string(o.stallSeconds);
  std::vector<std::string> args = {"tikhomap_monkey", "--child", "--seed", seed,
                                   "--events",        count,     "--log",  log,
                                   "--stall-seconds", stall};
  if (o.exitTest) args.push_back("--exit-test");
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (std::FILE* e = std::freopen(err.c_str(), "w", stderr); e == nullptr) _exit(2);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(2);
    execv("/proc/self/exe", argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ChildResult r;
  std::ifstream in(log);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(kFailureMark, 0) == 0) {
      r.why = line.substr(std::strlen(kFailureMark));
      r.events = std::atoi(r.why.c_str());
      if (const size_t colon = r.why.find(": "); colon != std::string::npos) {
        r.why = r.why.substr(colon + 2);
      }
      continue;
    }
    // Numbered lines are events; indented ones are answers of dialogs.
    r.lines.push_back(line);
    const int n = std::atoi(line.c_str());
    if (n > 0 && r.why.empty()) r.events = n;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return r;
  r.failed = true;
  if (r.why.empty()) {
    r.why = WIFSIGNALED(status) ? "crashed with signal " + std::to_string(WTERMSIG(status))
                                : "ended with status " + std::to_string(WEXITSTATUS(status)) +
                                      " (a sanitizer report or an abort)";
  }
  return r;
}

void printTail(const std::string& file, int lines) {
  std::ifstream in(file);
  std::vector<std::string> all;
  for (std::string line; std::getline(in, line);) all.push_back(line);
  const size_t from = all.size() > static_cast<size_t>(lines) ? all.size() - lines : 0;
  for (size_t i = from; i < all.size(); ++i) std::printf("  | %s\n", all[i].c_str());
}

int supervise(const Options& o) {
  const std::filesystem::path tmp = std::filesystem::temp_directory_path();
  const std::string base =
      (tmp / ("tikhomap_monkey_" + std::to_string(o.seed) + "_" + std::to_string(getpid())))
          .string();
  const std::string log = base + ".log";
  const std::string err = base + ".err";
  const int64_t start = nowMs();
  ChildResult first = runOne(o, o.events, log, err);
  const double seconds = static_cast<double>(nowMs() - start) / 1000.0;
  if (!first.failed) {
    std::printf("monkey: seed %llu: %d events%s, all invariants held (%.1f s)\n",
                static_cast<unsigned long long>(o.seed), o.events, o.exitTest ? " and Выход" : "",
                seconds);
    std::filesystem::remove(log);
    std::filesystem::remove(err);
    return 0;
  }
  std::printf("monkey: seed %llu FAILED after %d of %d events: %s\n",
              static_cast<unsigned long long>(o.seed), first.events, o.events, first.why.c_str());
  std::printf("  the child's last error output:\n");
  printTail(err, 40);

  // The shortest failing prefix: the stream is the same for every length, so
  // a prefix that holds the failing event fails too; bisect over lengths.
  int lo = 1;
  int hi = std::max(1, std::min(first.events, o.events));
  ChildResult shortest = first;
  if (!o.exitTest) {
    const std::string slog = base + ".shrink.log";
    const std::string serr = base + ".shrink.err";
    ChildResult atHi = runOne(o, hi, slog, serr);
    if (atHi.failed) {
      shortest = atHi;
      while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        ChildResult r = runOne(o, mid, slog, serr);
        std::printf("  shrinking: %d events %s\n", mid, r.failed ? "fail" : "pass");
        std::fflush(stdout);
        if (r.failed) {
          hi = mid;
          shortest = r;
        } else {
          lo = mid + 1;
        }
      }
    } else {
      std::printf("  the first %d events alone do not fail: the failure needs the whole run\n", hi);
      hi = o.events;
    }
    std::filesystem::remove(slog);
    std::filesystem::remove(serr);
  }
  std::printf("monkey: seed %llu: the shortest failing prefix has %d events (%s):\n",
              static_cast<unsigned long long>(o.seed), hi, shortest.why.c_str());
  for (const std::string& line : shortest.lines) std::printf("%s\n", line.c_str());
  std::printf("reproduce: scripts/monkey --seed %llu --events %d%s\n",
              static_cast<unsigned long long>(o.seed), hi, o.exitTest ? " --exit-test" : "");
  std::printf("  (the logs of the first run: %s, %s)\n", log.c_str(), err.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--seed") {
      o.seed = std::stoull(value());
    } else if (a == "--events") {
      o.events = std::stoi(value());
    } else if (a == "--child") {
      o.child = true;
    } else if (a == "--exit-test") {
      o.exitTest = true;
    } else if (a == "--log") {
      o.log = value();
    } else if (a == "--stall-seconds") {
      o.stallSeconds = std::stoi(value());
    } else {
      std::fprintf(stderr, "usage: %s [--seed S] [--events N] [--exit-test] [--stall-seconds T]\n",
                   argv[0]);
      return 2;
    }
  }
  if (o.child) {
    // Qt takes only the program name.
    int qtArgc = 1;
    return runChild(o, qtArgc, argv);
  }
  return supervise(o);
}
