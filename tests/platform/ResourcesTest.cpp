#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/ConsoleInteraction.h"
#include "platform/posix/PosixResources.h"
#include "tests/platform/TestSupport.h"

namespace diags::platform::posix {
namespace {

using diags::testing::ScopedEnv;

TEST(ResourceModule, OnlyTheResourceModuleOpens) {
    PosixResources resources;
    EXPECT_FALSE(resources.Open("OTHER.DLL"));
    EXPECT_FALSE(resources.Open(""));
    EXPECT_FALSE(resources.Open("KVUIEN.DLL.bak"));
    EXPECT_TRUE(resources.Open("kvuien.dll"));
    EXPECT_TRUE(resources.Open("/opt/diags/KVUIEN.DLL"));
    EXPECT_TRUE(resources.Open("C:\\Program Files\\Common\\KVUIEN.DLL"));
}

TEST(ResourceModule, NothingIsServedBeforeItIsOpen) {
    PosixResources resources;
    EXPECT_EQ(resources.String(9031), std::nullopt);
    EXPECT_EQ(resources.LoadPicture(2006, 16, 16), nullptr);
    ASSERT_TRUE(resources.Open("KVUIEN.DLL"));
    EXPECT_TRUE(resources.String(9031));
    EXPECT_EQ(resources.String(1), std::nullopt);
}

TEST(ResourceModule, EveryKnownPictureLoadsAtAnySizeAndOthersDoNot) {
    PosixResources resources;
    ASSERT_TRUE(resources.Open("KVUIEN.DLL"));
    EXPECT_EQ(KnownPictureIds().size(), 10u);
    for (std::int32_t id : KnownPictureIds()) {
        const PicturePtr picture = resources.LoadPicture(id, 32, 32);
        ASSERT_TRUE(picture) << id;
        EXPECT_EQ(picture->Id(), id);
        EXPECT_EQ(picture->Width(), 32);
        EXPECT_EQ(picture->NativeHandle(), 0u);
    }
    EXPECT_EQ(resources.LoadPicture(101, 16, 16), nullptr);
    EXPECT_EQ(resources.LoadPicture(2006, 0, 16), nullptr);
}

TEST(ResourceModule, ItsDirectoryIsTheProgramsUnlessConfigured) {
    PosixResources resources;
    {
        ScopedEnv dir("DIAGS_MODULE_DIR", "/opt/diags");
        EXPECT_EQ(resources.ModuleDirectory(), "/opt/diags");
    }
    ScopedEnv dir("DIAGS_MODULE_DIR", std::nullopt);
    EXPECT_EQ(resources.ModuleDirectory(),
              std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
}

TEST(InstalledPlatform, EveryPartIsPresentAndLivesForTheProcess) {
    Platform& current = Current();
    EXPECT_TRUE(current.registry && current.fileSystem && current.windowing && current.shell &&
                current.interaction && current.resources);
    EXPECT_EQ(&Current(), &current);
    EXPECT_EQ(Current().fileSystem->Separator(), '/');
}

TEST(InstalledPlatform, APartReplacedForATestComesBackAfterwards) {
    Interaction* const native = Current().interaction;
    ConsoleInteraction other;
    {
        ScopedPart<Interaction> replaced(&Platform::interaction, other);
        EXPECT_EQ(Current().interaction, &other);
    }
    EXPECT_EQ(Current().interaction, native);
}

}  // namespace
}  // namespace diags::platform::posix
