#include "platform/emulated/image_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "platform/emulated/machine.h"
#include "temp_image.h"

namespace morvel::platform::emulated {
namespace {

using namespace std::chrono_literals;
using testing::TempImage;

// Two locks on one image exclude each other even within one process (each has its own
// open file), which lets one process stand for two runs here.
TEST(ImageLock, SecondRunWaitsForTheFirstOrEndsWithAClearMessage) {
  TempImage image;
  std::optional<ImageLock> first = ImageLock::Acquire(image.root(), 0ms);
  ASSERT_TRUE(first->held());

  int waits = 0;
  try {
    ImageLock::Acquire(image.root(), 100ms, [&] { ++waits; });
    FAIL() << "a second run got the image while the first held it";
  } catch (const MachineImageError& error) {
    EXPECT_EQ(error.what(), image.root().string() +
                                ": the machine image is in use by another run; try again when "
                                "it has ended");
  }
  EXPECT_EQ(waits, 1);  // told once, however long the wait

  std::thread ends([&] {
    std::this_thread::sleep_for(200ms);
    first.reset();
  });
  const ImageLock second = ImageLock::Acquire(image.root(), 30s);
  ends.join();
  EXPECT_TRUE(second.held());
}

TEST(ImageLock, NothingToLockWhereNoImageOrNoWriting) {
  TempImage image;
  EXPECT_FALSE(ImageLock::Acquire(image.root() / "missing", 0ms).held());
  EXPECT_FALSE(std::filesystem::exists(image.root() / "missing"));
  // A read-only image can be read by any number of runs; none can change it.
  const auto folder = image.MakeFolder("read-only");
  std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  if (::geteuid() != 0) {
    EXPECT_FALSE(ImageLock::Acquire(folder, 0ms).held());
  }
  std::filesystem::permissions(folder, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace morvel::platform::emulated
