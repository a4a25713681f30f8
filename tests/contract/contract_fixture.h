#pragma once
// The fixture every contract test uses: a fresh Windows XP machine per test (natively an
// image, under Wine the real backend), and paths inside its scratch key and folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "platform/registry.h"
#include "platform/status.h"
#include "tests/harness/two_backend_test.h"

namespace morvel::contract {

class PortContract : public testing::TwoBackendTest {
 protected:
  static constexpr platform::RootKey kRoot = platform::RootKey::CurrentUser;

  const testing::MachineSetup& Machine() const override {
    static const testing::MachineSetup setup = [] {
      testing::MachineSetup s;
      s.scratch = "Morvel Contract Tests";
      s.machine_ini = "[System]\r\nPlatform=NT\r\nVersion=5.1\r\n";
      s.version = platform::WindowsVersion{platform::WindowsFamily::Nt, 5, 1};
      s.machine_folders = true;
      s.locks_share_read_write = true;  // as a browser holds its index.dat
      return s;
    }();
    return setup;
  }

  testing::TestMachine& backend() { return machine(); }
};

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
