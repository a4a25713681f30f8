#pragma once
// The fixture every contract test uses: a fresh backend per test, and paths inside its
// scratch key and folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/status.h"
#include "tests/contract/contract_backend.h"

namespace morvel::contract {

class PortContract : public ::testing::Test {
 protected:
  static constexpr platform::RootKey kRoot = platform::RootKey::CurrentUser;

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    backend_ = MakeBackend(name);
  }
  void TearDown() override { backend_.reset(); }

  Backend& backend() { return *backend_; }
  platform::Registry& registry() { return backend_->registry(); }
  platform::FileSystem& files() { return backend_->files(); }

  // A key below the scratch key ("" for the scratch key itself).
  std::string Key(std::string_view sub = {}) const {
    return sub.empty() ? backend_->scratch_key()
                       : backend_->scratch_key() + "\\" + std::string(sub);
  }
  // A path below the scratch folder ("" for the folder itself).
  std::string Path(std::string_view sub = {}) const {
    return sub.empty() ? backend_->scratch_folder()
                       : backend_->scratch_folder() + "\\" + std::string(sub);
  }

 private:
  std::unique_ptr<Backend> backend_;
};

#define SKIP_IF(reason)                                  \
  do {                                                   \
    if (const auto why = (reason)) GTEST_SKIP() << *why; \
  } while (false)

}  // namespace morvel::contract

namespace morvel::platform {
// Readable failures: "not found" rather than an enum number, values with their bytes.
inline void PrintTo(ErrorKind kind, std::ostream* os) { *os << ErrorKindName(kind); }
inline void PrintTo(const RegistryValue& value, std::ostream* os) {
  *os << '"' << value.name << "\" type " << static_cast<std::uint32_t>(value.type) << " [";
  static const char kHex[] = "0123456789abcdef";
  for (std::uint8_t b : value.data) *os << ' ' << kHex[b >> 4] << kHex[b & 15];
  *os << " ]";
}
}  // namespace morvel::platform
