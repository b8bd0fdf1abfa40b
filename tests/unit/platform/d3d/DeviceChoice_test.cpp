#include "platform/d3d/Direct3D8.h"
#include "platform/d3d/gl/GlDevice.h"
#include "platform/d3d/soft/SoftDevice.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace d3d;

TEST(DeviceChoice, CpuRasterizersAreToldFromGpus) {
    // GL_RENDERER strings as Mesa and GPU drivers give them.
    EXPECT_TRUE(GlDevice::IsCpuRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(GlDevice::IsCpuRenderer("softpipe"));
    EXPECT_TRUE(GlDevice::IsCpuRenderer("Mesa DRI swrast"));
    EXPECT_TRUE(GlDevice::IsCpuRenderer("Software Rasterizer"));
    EXPECT_FALSE(GlDevice::IsCpuRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(GlDevice::IsCpuRenderer("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)"))
        << "a GPU whose shader compiler is LLVM is still a GPU";
    EXPECT_FALSE(GlDevice::IsCpuRenderer("NVIDIA GeForce GTX 1060/PCIe/SSE2"));
    EXPECT_FALSE(GlDevice::IsCpuRenderer(nullptr));
}

TEST(DeviceChoice, TheEnvironmentNamesTheDeviceOrLeavesTheChoice) {
    EXPECT_EQ(DeviceOverrideFrom(nullptr), DeviceOverride::None);
    EXPECT_EQ(DeviceOverrideFrom(""), DeviceOverride::None);
    EXPECT_EQ(DeviceOverrideFrom("gl"), DeviceOverride::OpenGL);
    EXPECT_EQ(DeviceOverrideFrom("soft"), DeviceOverride::Software);
    EXPECT_EQ(DeviceOverrideFrom("GL "), DeviceOverride::None);
    EXPECT_EQ(DeviceOverrideFrom("vulkan"), DeviceOverride::None);
}

// A stand-in for /dev: OpenGL is worth loading only where a GPU has a device node.
TEST(DeviceChoice, AGpuIsThereOnlyWithItsDeviceNode) {
    const std::filesystem::path dev =
        std::filesystem::temp_directory_path() / ("kosmorra-dev-" + std::to_string(getpid()));
    std::filesystem::create_directories(dev / "dri");
    std::ofstream(dev / "dri" / "card0").put('\0');
    EXPECT_FALSE(GlDevice::GpuPresent(dev.c_str())) << "a display card without a render node";
    std::ofstream(dev / "dri" / "renderD128").put('\0');
    EXPECT_TRUE(GlDevice::GpuPresent(dev.c_str()));
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    EXPECT_FALSE(GlDevice::GpuPresent(dev.c_str())) << "Mesa told to draw with the processor";
    unsetenv("LIBGL_ALWAYS_SOFTWARE");
    std::filesystem::remove_all(dev / "dri");
    std::ofstream(dev / "nvidia0").put('\0');
    EXPECT_TRUE(GlDevice::GpuPresent(dev.c_str()));
    std::filesystem::remove_all(dev);
    EXPECT_FALSE(GlDevice::GpuPresent(dev.c_str())) << "no such folder";
}

// The software device forbids SDL's renderer behind the window surface only where the driver
// has a surface of its own; on Wayland the renderer is the only way a frame reaches the screen.
TEST(DeviceChoice, SoftwarePresentsThroughARendererWhereTheDriverHasNoSurface) {
    EXPECT_TRUE(DriverHasWindowSurface("x11"));
    EXPECT_TRUE(DriverHasWindowSurface("dummy"));
    EXPECT_TRUE(DriverHasWindowSurface("offscreen"));
    EXPECT_FALSE(DriverHasWindowSurface("wayland")) << "a window that never shows a frame";
    EXPECT_FALSE(DriverHasWindowSurface("kmsdrm"));
    EXPECT_FALSE(DriverHasWindowSurface(nullptr)) << "no video yet";
}
