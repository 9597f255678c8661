#include "services/instance_name.h"

#include <gtest/gtest.h>

namespace {

TEST(InstanceLockName, IsThePathInOneCaseWithoutBackslashes) {
  EXPECT_EQ(InstanceLockName("Local\\N:", "C:\\Program Files\\Nimbrel\\NIMBREL.EXE"),
            "Local\\N:c:/program files/nimbrel/nimbrel.exe");
  EXPECT_EQ(InstanceLockName("P:", "D:\\Widgets\\nimbrel.exe"),
            InstanceLockName("P:", "d:\\widgets\\Nimbrel.exe"));
}

TEST(InstanceLockName, KeepsLongPathsApartWithinTheNameLimit) {
  const std::string deep = "C:\\" + std::string(400, 'a') + "\\nimbrel.exe";
  const std::string a = InstanceLockName("Local\\N:", "C:\\x" + deep.substr(3));
  const std::string b = InstanceLockName("Local\\N:", "C:\\y" + deep.substr(3));
  EXPECT_LE(a.size(), kMaxObjectNameLength);
  EXPECT_EQ(a.substr(0, 8), "Local\\N:");
  EXPECT_EQ(a.find('\\', 8), std::string::npos);
  EXPECT_NE(a, b);
}

}  // namespace
