// The running program on hostile map folders: the tiny city with one file
// replaced by a folder, a pipe, a symbolic link loop, 2 GiB of zeros, a cut
// or another city's file. The window must open the map or show its message
// box naming the file; a watchdog ends the test program if it hangs.
#include <QCoreApplication>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/main_window.h"
#include "tests/app/app_fixture.h"
#include "tests/mapdata/hostile_folders.h"
#include "tests/mapdata/sample_map.h"

namespace tikhomap {
namespace {

using hostile::Case;
using hostile::Kind;
using testing::TinyCityFolder;
using testing::waitFor;

// Ends the program when a case is not over in time: a window stuck in a
// blocking read never returns to the test.
class Watchdog {
 public:
  explicit Watchdog(std::string label) : label_(std::move(label)) {
    thread_ = std::thread([this] {
      std::unique_lock lock(mutex_);
      if (!done_.wait_for(lock, std::chrono::seconds(60), [this] { return finished_; })) {
        std::fprintf(stderr, "%s: the window hangs\n", label_.c_str());
        std::fflush(stderr);
        std::_Exit(1);
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      finished_ = true;
    }
    done_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::string label_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

struct WindowCase {
  Case change;
  bool opens;  // false: the message box naming the file
};

Case change(const char* file, Kind kind, const char* label, uint64_t at = 0) {
  return {file, kind, at, 2, std::string(file) + " " + label};
}

TEST(HostileFolderWindowTest, TheWindowOpensTheMapOrNamesTheFile) {
  TinyCityFolder folder;
  const std::filesystem::path intact = folder.path().string() + "_intact";
  const std::filesystem::path other = folder.path().string() + "_other";
  std::filesystem::remove_all(intact);
  std::filesystem::remove_all(other);
  std::filesystem::copy(folder.path(), intact);
  ASSERT_TRUE(writeMapFolder(other, testing::sampleMap(), {}, {}));

  const WindowCase cases[] = {
      {change("3.tkm", Kind::kMissing, "missing"), false},
      {change("3.tkm", Kind::kFolder, "a folder"), false},
      {change("3.tkm", Kind::kPipe, "a pipe"), false},
      {change("8.tkm", Kind::kLinkLoop, "a symbolic link loop"), false},
      {change("8.tkm", Kind::kSparse2GiB, "2 GiB of zeros"), false},
      {change("3.tkm", Kind::kOtherCity, "from the other city"), true},
      {change("3.tkm", Kind::kGrown2GiB, "grown to 2 GiB"), true},
      {change("4.tkm", Kind::kSparse2GiB, "2 GiB of zeros"), true},
      {change("5.tkm", Kind::kCut, "cut", 41), true},
      {change("7.tkm", Kind::kPipe, "a pipe"), true},
      {change("6.tkm", Kind::kOtherCity, "from the other city"), true},
      {change("1.tkm", Kind::kPipe, "a pipe"), true},
      {change("2.tkm", Kind::kFolder, "a folder"), true},
      {change("user.tkm", Kind::kSparse2GiB, "2 GiB of zeros"), true},
      {change("city.txt", Kind::kPipe, "a pipe"), true},
  };
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.change.label);
    hostile::applyCase(c.change, folder.path(), other);
    {
      Watchdog watchdog(c.change.label);
      MainWindow window(folder.path());
      QString message;
      window.setFatalHandler([&message](const QString& m) { message = m; });
      window.resize(900, 700);
      window.show();
      ASSERT_TRUE(waitFor([&] {
        return !message.isEmpty() || (window.composeCount() >= 1 && !window.recomposePending());
      }));
      if (c.opens) {
        EXPECT_TRUE(message.isEmpty()) << message.toStdString();
        EXPECT_TRUE(window.session().baseMapLoaded());
      } else {
        EXPECT_TRUE(message.contains(QString::fromStdString(c.change.file)))
            << message.toStdString();
        EXPECT_EQ(window.composeCount(), 0);
      }
    }
    hostile::restoreCase(c.change, folder.path(), intact);
  }
  std::filesystem::remove_all(intact);
  std::filesystem::remove_all(other);
}

}  // namespace
}  // namespace tikhomap
