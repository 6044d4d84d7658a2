#include "platform/machine/MountTable.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

constexpr const char* Sample = R"(22 27 0:21 / /proc rw,relatime - proc proc rw
97 27 11:0 / /media/user/TORVA_CD ro,nosuid,nodev,relatime shared:52 - iso9660 /dev/sr0 ro,uid=1000
98 27 7:3 / /mnt/my\040disc ro,relatime shared:53 master:1 - udf /dev/loop3 ro
99 27 0:50 / /mnt/net rw - nfs server:/export rw
100 27 7:4 / /mnt/tab\011and\134slash ro - iso9660 /dev/loop4 ro
101 27 0:51 / /mnt/fuse ro - fuse.fuseiso fuseiso ro
not a mount line
102 27 7:5 / /mnt/cut ro -
)";

TEST(MountTable, ParsesLinesAndUnescapesNames)
{
    std::vector<MountEntry> mounts = ParseMountInfo(Sample);
    ASSERT_EQ(mounts.size(), 6u) << "the two bad lines are skipped";
    EXPECT_EQ(mounts[1].mountPoint, "/media/user/TORVA_CD");
    EXPECT_EQ(mounts[1].fileSystem, "iso9660");
    EXPECT_EQ(mounts[1].source, "/dev/sr0");
    EXPECT_EQ(mounts[2].mountPoint, "/mnt/my disc") << "optional fields before the separator";
    EXPECT_EQ(mounts[2].source, "/dev/loop3");
    EXPECT_EQ(mounts[4].mountPoint, "/mnt/tab\tand\\slash");
}

TEST(MountTable, FindsDiscMountsWithADevice)
{
    std::vector<MountEntry> mounts = ParseMountInfo(Sample);
    struct Row {
        const char* folder;
        const char* device; // nullptr: no disc mounted there
    };
    const Row rows[] = {
        { "/media/user/TORVA_CD", "/dev/sr0" },
        { "/mnt/my disc", "/dev/loop3" },
        { "/mnt/tab\tand\\slash", "/dev/loop4" },
        { "/mnt/net", nullptr },    // not a disc file system
        { "/mnt/fuse", nullptr },   // no device to read
        { "/media/user", nullptr }, // beside a mount point
        { "/media/user/TORVA_CD/Torva", nullptr },
    };
    for (const Row& row : rows) {
        auto mount = DiscMountAt(mounts, row.folder);
        if (row.device) {
            ASSERT_TRUE(mount) << row.folder;
            EXPECT_EQ(mount->source, row.device) << row.folder;
        } else {
            EXPECT_FALSE(mount) << row.folder;
        }
    }
    // A later mount on the same folder hides the disc.
    mounts.push_back({ "/media/user/TORVA_CD", "tmpfs", "tmpfs" });
    EXPECT_FALSE(DiscMountAt(mounts, "/media/user/TORVA_CD"));
}

}
}
